// The temporary folder, temporary file names and the short and long path forms.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "errhandlingapi.h"
#include "file_errors.h"
#include "fileapi.h"
#include "qx/win32/codepage.h"
#include "qx/win32/file_paths.h"
#include "winerror.h"

namespace {

// Copies `text` out as the documented "length without NUL, or the size needed with NUL".
DWORD CopyOut(const std::string& text, DWORD capacity, LPSTR buffer) {
    if (buffer == nullptr || capacity < text.size() + 1) {
        return static_cast<DWORD>(text.size() + 1);
    }
    std::memmove(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
}

// Successive numbers within a process, from a random start so that processes seldom collide.
UINT NextUnique() {
    static std::atomic<UINT> next{[] {
        std::random_device seed;
        return static_cast<UINT>(seed());
    }()};
    UINT value;
    do {
        value = next.fetch_add(1) & 0xFFFF;
    } while (value == 0);
    return value;
}

std::string NameFor(const std::string& folder, const std::string& prefix, UINT unique) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%X", unique);
    std::string name;
    name.reserve(folder.size() + prefix.size() + 8);
    name.append(folder).append(prefix).append(hex).append(".tmp");
    return name;
}

} // namespace

DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    DWORD error = ERROR_SUCCESS;
    std::string folder = qx::win32::TemporaryFolder(&error);
    if (folder.empty()) {
        SetLastError(error);
        return 0;
    }
    bool lossy = false;
    std::string ansi = qx::win32::Utf8ToAnsi(folder, &lossy);
    if (lossy) {
        // A folder whose name has no ANSI form could not be named back to the system.
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return CopyOut(ansi, nBufferLength, lpBuffer);
}

UINT WINAPI GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique, LPSTR lpTempFileName) {
    if (lpPathName == nullptr || lpTempFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string folder(*lpPathName != '\0' ? lpPathName : ".");
    if (folder.back() != '\\' && folder.back() != '/') {
        folder +=
            folder.find('/') != std::string::npos && folder.find('\\') == std::string::npos ? '/' : '\\';
    }
    std::string prefix = lpPrefixString != nullptr ? lpPrefixString : "";
    // The name, "<folder><prefix><up to four hex digits>.tmp", must fit in MAX_PATH.
    if (folder.size() + prefix.size() + 8 >= MAX_PATH) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    uUnique &= 0xFFFF;
    if (uUnique != 0) {
        // A number given by the caller only forms the name; nothing is created.
        std::string name = NameFor(folder, prefix, uUnique);
        std::memcpy(lpTempFileName, name.c_str(), name.size() + 1);
        return uUnique;
    }
    for (UINT attempt = 0; attempt < 0xFFFF; ++attempt) {
        UINT unique = NextUnique();
        std::string name = NameFor(folder, prefix, unique);
        std::string path;
        if (!qx::win32::ResolveAnsiPath(name.c_str(), path)) {
            return 0;
        }
        // O_EXCL never follows a link planted under the name; O_NOFOLLOW says so twice.
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            close(fd);
            std::memcpy(lpTempFileName, name.c_str(), name.size() + 1);
            SetLastError(ERROR_SUCCESS);
            return unique;
        }
        if (errno != EEXIST) {
            int error = errno;
            SetLastError(error == ENOENT || error == ENOTDIR ? ERROR_DIRECTORY
                                                             : qx::win32::Win32ErrorFromErrno(error));
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

DWORD WINAPI GetShortPathNameA(LPCSTR lpszLongPath, LPSTR lpszShortPath, DWORD cchBuffer) {
    if (lpszLongPath == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string path;
    if (!qx::win32::ResolveAnsiPath(lpszLongPath, path)) {
        return 0;
    }
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        qx::win32::SetLastErrorFromErrno(errno, path);
        return 0;
    }
    // Names have no second, short form here: the path is its own short form.
    return CopyOut(lpszLongPath, cchBuffer, lpszShortPath);
}

DWORD WINAPI GetLongPathNameA(LPCSTR lpszShortPath, LPSTR lpszLongPath, DWORD cchBuffer) {
    if (lpszShortPath == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string path;
    if (!qx::win32::ResolveAnsiPath(lpszShortPath, path)) {
        return 0;
    }
    // The long form is the canonical file system path: links resolved, "." and ".." gone, so
    // that two names of one existing file compare equal. Drive paths come back under the root.
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) {
        qx::win32::SetLastErrorFromErrno(errno, path);
        return 0;
    }
    bool lossy = false;
    std::string ansi = qx::win32::Utf8ToAnsi(resolved, &lossy);
    if (lossy) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return CopyOut(ansi, cchBuffer, lpszLongPath);
}
