// The process list over /proc. A query handle remembers the id and the image path read when it
// was opened, so that a later query answers for the process that was opened even if the id is
// reused meanwhile.
#include "psapi_processes.h"

#include "errhandlingapi.h"
#include "qx/win32/codepage.h"
#include "qx/win32/kernel_object.h"
#include "winerror.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

class ProcessQuery : public qx::win32::KernelObject {
public:
    ProcessQuery(DWORD id, std::string image) : id_(id), image_(std::move(image)) {}
    DWORD Id() const { return id_; }
    const std::string& Image() const { return image_; }

private:
    DWORD id_;
    std::string image_;
};

bool ParseProcessId(const char* name, DWORD& id) {
    if (*name == '\0')
        return false;
    unsigned long value = 0;
    for (const char* p = name; *p; ++p) {
        if (*p < '0' || *p > '9' || value > 0xFFFFFFFFul / 10)
            return false;
        value = value * 10 + static_cast<unsigned long>(*p - '0');
    }
    if (value == 0 || value > 0xFFFFFFFFul)
        return false;
    id = static_cast<DWORD>(value);
    return true;
}

// The target of /proc/<id>/exe; errno tells why it could not be read.
bool ReadImagePath(DWORD id, std::string& path) {
    std::string link = "/proc/" + std::to_string(id) + "/exe";
    std::string target(256, '\0');
    for (;;) {
        ssize_t n = readlink(link.c_str(), target.data(), target.size());
        if (n < 0)
            return false;
        if (static_cast<size_t>(n) < target.size()) {
            target.resize(static_cast<size_t>(n));
            break;
        }
        target.resize(target.size() * 2);
    }
    // A program whose file was replaced or removed still runs; its link says so after the path.
    const std::string deleted = " (deleted)";
    if (target.size() > deleted.size() && target.ends_with(deleted))
        target.resize(target.size() - deleted.size());
    path = std::move(target);
    return true;
}

} // namespace

BOOL WINAPI EnumProcesses(DWORD* lpidProcess, DWORD cb, LPDWORD lpcbNeeded) {
    if (lpcbNeeded == nullptr || (lpidProcess == nullptr && cb != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DIR* folder = opendir("/proc");
    if (folder == nullptr) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD capacity = cb / sizeof(DWORD);
    DWORD count = 0;
    while (dirent* entry = readdir(folder)) {
        DWORD id = 0;
        if (count == capacity)
            break;
        if (ParseProcessId(entry->d_name, id))
            lpidProcess[count++] = id;
    }
    closedir(folder);
    *lpcbNeeded = count * static_cast<DWORD>(sizeof(DWORD));
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

HANDLE WINAPI OpenProcess(DWORD dwDesiredAccess, BOOL, DWORD dwProcessId) {
    const DWORD granted = PROCESS_VM_READ | PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION;
    if (dwProcessId == 0 || dwDesiredAccess == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if ((dwDesiredAccess & ~granted) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    std::string image;
    if (!ReadImagePath(dwProcessId, image)) {
        // A kernel thread has no image and a gone process no folder: no process to query.
        bool exists = access(("/proc/" + std::to_string(dwProcessId)).c_str(), F_OK) == 0;
        SetLastError(exists && (errno == EACCES || errno == EPERM) ? ERROR_ACCESS_DENIED
                                                                   : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HANDLE handle = qx::win32::InsertHandle(std::make_shared<ProcessQuery>(dwProcessId, std::move(image)));
    if (handle == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI QueryFullProcessImageNameA(HANDLE hProcess, DWORD, LPSTR lpExeName, PDWORD lpdwSize) {
    auto query = qx::win32::ReferenceHandleAs<ProcessQuery>(hProcess);
    if (!query) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpExeName == nullptr || lpdwSize == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool lossy = false;
    std::string ansi = qx::win32::Utf8ToAnsi(query->Image(), &lossy);
    if (lossy) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return FALSE;
    }
    if (*lpdwSize < ansi.size() + 1) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(lpExeName, ansi.c_str(), ansi.size() + 1);
    *lpdwSize = static_cast<DWORD>(ansi.size());
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
