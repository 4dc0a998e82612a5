#include "system_helper.h"

#include <winbase_version.h>
#include <winmodule.h>

#include <cstring>

namespace {

bool ReadVersion(OSVERSIONINFOA& info) {
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) != FALSE;
}

} // namespace

std::string SystemHelper::GetModulePath(HMODULE module) {
    char path[MAX_PATH * 4] = {};
    DWORD length = GetModuleFileNameA(module, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return {};
    return std::string(path, length);
}

bool SystemHelper::IsOperatingSystem(const char* name) {
    if (name == nullptr)
        return false;
    if (std::strcmp(name, "all") == 0)
        return true;
    OSVERSIONINFOA info;
    if (!ReadVersion(info))
        return false;
    bool windows9x = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    bool nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    DWORD major = info.dwMajorVersion, minor = info.dwMinorVersion;
    if (std::strcmp(name, "win95") == 0)
        return windows9x && major == 4 && minor == 0;
    if (std::strcmp(name, "win98") == 0)
        return windows9x && major == 4 && minor > 0;
    if (std::strcmp(name, "winnt35") == 0)
        return nt && major == 3;
    if (std::strcmp(name, "winnt40") == 0)
        return nt && major == 4;
    if (std::strcmp(name, "win2000") == 0)
        return nt && major == 5;
    return false;
}

bool SystemHelper::IsNtPlatform() {
    OSVERSIONINFOA info;
    return ReadVersion(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}
