// Deleting, copying, moving, attributes, folders and existence.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "errhandlingapi.h"
#include "file_errors.h"
#include "fileapi.h"
#include "shlwapi_path.h"
#include "winbase_file.h"
#include "winerror.h"

namespace {

bool IsReadOnly(const struct stat& st) {
    return (st.st_mode & S_IWUSR) == 0;
}

// Copies the content, mode and modification time of an open file to a new or truncated one.
bool CopyContents(int from, const struct stat& source, const std::string& to, bool failIfExists) {
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
    int out = open(to.c_str(), flags, source.st_mode & 0777);
    if (out < 0) {
        int error = errno;
        qx::win32::SetLastErrorFromErrno(error, to);
        if (error == EEXIST) {
            SetLastError(ERROR_FILE_EXISTS);
        }
        return false;
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n < 0) {
                SetLastError(qx::win32::Win32ErrorFromErrno(errno));
                close(out);
                unlink(to.c_str());
                return false;
            }
            break;
        }
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w < 0) {
                SetLastError(qx::win32::Win32ErrorFromErrno(errno));
                close(out);
                unlink(to.c_str()); // a partial copy is worse than none
                return false;
            }
            done += w;
        }
    }
    fchmod(out, source.st_mode & 0777);
    struct timespec times[2] = {source.st_atim, source.st_mtim};
    futimens(out, times);
    if (close(out) != 0) {
        SetLastError(qx::win32::Win32ErrorFromErrno(errno));
        unlink(to.c_str());
        return false;
    }
    return true;
}

BOOL CopyFileCommon(const std::string& from, const std::string& to, bool failIfExists) {
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        qx::win32::SetLastErrorFromErrno(errno, from);
        return FALSE;
    }
    struct stat source, target;
    if (fstat(in, &source) != 0 || S_ISDIR(source.st_mode)) {
        close(in);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (stat(to.c_str(), &target) == 0) {
        DWORD error = ERROR_SUCCESS;
        if (target.st_dev == source.st_dev && target.st_ino == source.st_ino) {
            error = ERROR_SHARING_VIOLATION; // copying a file onto itself would empty it
        } else if (failIfExists) {
            error = ERROR_FILE_EXISTS;
        } else if (S_ISDIR(target.st_mode) || IsReadOnly(target)) {
            error = ERROR_ACCESS_DENIED;
        }
        if (error != ERROR_SUCCESS) {
            close(in);
            SetLastError(error);
            return FALSE;
        }
    }
    bool ok = CopyContents(in, source, to, failIfExists);
    close(in);
    return ok ? TRUE : FALSE;
}

} // namespace

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    std::string path;
    if (!qx::win32::ResolveAnsiPath(lpFileName, path)) {
        return FALSE;
    }
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        qx::win32::SetLastErrorFromErrno(errno, path);
        return FALSE;
    }
    if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && IsReadOnly(st))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(path.c_str()) != 0) {
        qx::win32::SetLastErrorFromErrno(errno, path);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    std::string path;
    if (!qx::win32::ResolveAnsiPath(lpFileName, path)) {
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        qx::win32::SetLastErrorFromErrno(errno, path);
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if (!S_ISDIR(st.st_mode) && IsReadOnly(st)) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    std::string path;
    if (!qx::win32::ResolveAnsiPath(lpPathName, path)) {
        return FALSE;
    }
    if (mkdir(path.c_str(), 0777) != 0) {
        int error = errno;
        SetLastError(error == EEXIST   ? ERROR_ALREADY_EXISTS
                     : error == ENOENT ? ERROR_PATH_NOT_FOUND
                                       : qx::win32::Win32ErrorFromErrno(error));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI PathFileExistsA(LPCSTR pszPath) {
    std::string path;
    if (!qx::win32::ResolveAnsiPath(pszPath, path)) {
        return FALSE;
    }
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        qx::win32::SetLastErrorFromErrno(errno, path);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
    std::string from, to;
    if (!qx::win32::ResolveAnsiPath(lpExistingFileName, from) ||
        !qx::win32::ResolveAnsiPath(lpNewFileName, to)) {
        return FALSE;
    }
    return CopyFileCommon(from, to, bFailIfExists != FALSE);
}

BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
    std::string from, to;
    if (!qx::win32::ResolveAnsiPath(lpExistingFileName, from) ||
        !qx::win32::ResolveAnsiPath(lpNewFileName, to)) {
        return FALSE;
    }
    struct stat st;
    if (lstat(from.c_str(), &st) != 0) {
        qx::win32::SetLastErrorFromErrno(errno, from);
        return FALSE;
    }
    int result = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (result != 0 && errno == EINVAL) {
        // A file system without "no replace" renames: test first.
        struct stat existing;
        if (lstat(to.c_str(), &existing) == 0) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        result = rename(from.c_str(), to.c_str());
    }
    if (result == 0) {
        return TRUE;
    }
    int error = errno;
    if (error == EEXIST || error == ENOTEMPTY) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (error == EXDEV && S_ISREG(st.st_mode)) {
        // Across file systems a file is copied, then the original removed.
        if (!CopyFileCommon(from, to, true)) {
            if (GetLastError() == ERROR_FILE_EXISTS) {
                SetLastError(ERROR_ALREADY_EXISTS);
            }
            return FALSE;
        }
        if (unlink(from.c_str()) != 0) {
            SetLastError(qx::win32::Win32ErrorFromErrno(errno));
            return FALSE;
        }
        return TRUE;
    }
    qx::win32::SetLastErrorFromErrno(error, error == ENOENT ? to : from);
    return FALSE;
}

BOOL WINAPI ReplaceFileA(LPCSTR lpReplacedFileName, LPCSTR lpReplacementFileName, LPCSTR lpBackupFileName,
                         DWORD dwReplaceFlags, LPVOID lpExclude, LPVOID lpReserved) {
    if (lpBackupFileName != nullptr || dwReplaceFlags != 0 || lpExclude != nullptr || lpReserved != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string replaced, replacement;
    if (!qx::win32::ResolveAnsiPath(lpReplacedFileName, replaced) ||
        !qx::win32::ResolveAnsiPath(lpReplacementFileName, replacement)) {
        return FALSE;
    }
    struct stat old;
    if (stat(replaced.c_str(), &old) != 0) {
        qx::win32::SetLastErrorFromErrno(errno, replaced);
        return FALSE;
    }
    struct stat fresh;
    if (lstat(replacement.c_str(), &fresh) != 0) {
        qx::win32::SetLastErrorFromErrno(errno, replacement);
        return FALSE;
    }
    if (!S_ISREG(old.st_mode) || !S_ISREG(fresh.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (chmod(replacement.c_str(), old.st_mode & 07777) != 0 ||
        rename(replacement.c_str(), replaced.c_str()) != 0) {
        int error = errno;
        // The replacement keeps its name, and as far as possible its own mode.
        chmod(replacement.c_str(), fresh.st_mode & 07777);
        SetLastError(qx::win32::Win32ErrorFromErrno(error));
        return FALSE;
    }
    return TRUE;
}
