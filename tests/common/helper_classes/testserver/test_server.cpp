// A self-registering test server: its registration entries and DllGetVersion write what they
// were asked to the file named by QX_HELPER_CLASSES_SERVER_LOG.
#include "winerror.h"
#include "wintypes.h"

#include <cstdio>
#include <cstdlib>

#define QX_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

HRESULT Log(const char* what) {
    const char* path = std::getenv("QX_HELPER_CLASSES_SERVER_LOG");
    if (path == nullptr)
        return E_FAIL;
    FILE* f = std::fopen(path, "a");
    if (f == nullptr)
        return E_FAIL;
    std::fprintf(f, "%s\n", what);
    std::fclose(f);
    return S_OK;
}

} // namespace

QX_EXPORT HRESULT DllRegisterServer() {
    return Log("DllRegisterServer");
}

QX_EXPORT HRESULT DllUnregisterServer() {
    return Log("DllUnregisterServer");
}

struct VersionInfo {
    DWORD cbSize, dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformID;
};

QX_EXPORT HRESULT DllGetVersion(VersionInfo* info) {
    if (info == nullptr || info->cbSize < sizeof(VersionInfo))
        return E_INVALIDARG;
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 8513;
    info->dwPlatformID = 2;
    return S_OK;
}
