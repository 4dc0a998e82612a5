// File handles: CreateFile with the five dispositions, synchronous reads and writes, the
// file pointer and the size. Share modes are taken and not enforced: this system's files are
// never opened twice at once with conflicting modes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

#include "errhandlingapi.h"
#include "file_errors.h"
#include "fileapi.h"
#include "qx/win32/file_paths.h"
#include "qx/win32/kernel_object.h"
#include "winerror.h"

namespace {

class FileObject : public qx::win32::KernelObject {
public:
    FileObject(int fd, std::string path, bool deleteOnClose)
        : fd_(fd), path_(std::move(path)), deleteOnClose_(deleteOnClose) {}
    ~FileObject() override {
        close(fd_);
        if (deleteOnClose_) {
            unlink(path_.c_str());
        }
    }
    int Fd() const { return fd_; }

private:
    int fd_;
    std::string path_;
    bool deleteOnClose_;
};

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

HANDLE CreateFileCommon(const std::string& path, DWORD access, DWORD disposition, DWORD flags, bool given) {
    if (path.empty()) {
        return Fail(given ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND);
    }
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING || (flags & FILE_FLAG_OVERLAPPED) != 0) {
        return Fail(ERROR_INVALID_PARAMETER); // asynchronous I/O is not provided
    }
    bool read = (access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA)) != 0;
    bool write = (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
    bool appendOnly =
        (access & FILE_APPEND_DATA) != 0 && (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA)) == 0;
    if (disposition == TRUNCATE_EXISTING && !write) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    int base = O_CLOEXEC |
               (read && write ? O_RDWR
                : write       ? O_WRONLY
                              : O_RDONLY) |
               (appendOnly ? O_APPEND : 0);
    mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;

    int fd = -1;
    bool existed = false;
    switch (disposition) {
    case CREATE_NEW:
        fd = open(path.c_str(), base | O_CREAT | O_EXCL, mode);
        break;
    case OPEN_EXISTING:
        fd = open(path.c_str(), base);
        break;
    case TRUNCATE_EXISTING:
        fd = open(path.c_str(), base | O_TRUNC);
        break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        // Tells a new file from an existing one without a race: try to create it first.
        for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
            fd = open(path.c_str(), base | O_CREAT | O_EXCL, mode);
            if (fd >= 0 || errno != EEXIST) {
                break;
            }
            fd = open(path.c_str(), base | (disposition == CREATE_ALWAYS ? O_TRUNC : 0));
            if (fd >= 0) {
                existed = true;
            } else if (errno != ENOENT) {
                break;
            }
        }
        break;
    }
    if (fd < 0) {
        int error = errno;
        qx::win32::SetLastErrorFromErrno(error, path);
        if (error == EEXIST) {
            SetLastError(ERROR_FILE_EXISTS);
        }
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return Fail(ERROR_ACCESS_DENIED);
    }
    HANDLE handle = qx::win32::InsertHandle(
        std::make_shared<FileObject>(fd, path, (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0));
    if (handle == nullptr) {
        return Fail(ERROR_TOO_MANY_OPEN_FILES);
    }
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

std::shared_ptr<FileObject> FileOf(HANDLE handle) {
    auto file = qx::win32::ReferenceHandleAs<FileObject>(handle);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return file;
}

// A read or write on a file opened without that access reports access denied.
DWORD TransferError(int error) {
    return error == EBADF ? ERROR_ACCESS_DENIED : qx::win32::Win32ErrorFromErrno(error);
}

bool Seek(HANDLE hFile, LONGLONG distance, DWORD method, LONGLONG& position) {
    auto file = FileOf(hFile);
    if (!file) {
        return false;
    }
    LONGLONG origin = 0;
    if (method == FILE_CURRENT) {
        origin = lseek(file->Fd(), 0, SEEK_CUR);
    } else if (method == FILE_END) {
        struct stat st;
        origin = fstat(file->Fd(), &st) == 0 ? st.st_size : -1;
    } else if (method != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (origin < 0) {
        SetLastError(qx::win32::Win32ErrorFromErrno(errno));
        return false;
    }
    if ((distance < 0 && origin + distance < 0) || (distance > 0 && origin > INT64_MAX - distance)) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return false;
    }
    position = origin + distance;
    if (lseek(file->Fd(), position, SEEK_SET) < 0) {
        SetLastError(qx::win32::Win32ErrorFromErrno(errno));
        return false;
    }
    return true;
}

bool Size(HANDLE hFile, LONGLONG& size) {
    auto file = FileOf(hFile);
    if (!file) {
        return false;
    }
    struct stat st;
    if (fstat(file->Fd(), &st) != 0) {
        SetLastError(qx::win32::Win32ErrorFromErrno(errno));
        return false;
    }
    size = st.st_size;
    return true;
}

} // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    return CreateFileCommon(qx::win32::OsPathFromAnsi(lpFileName), dwDesiredAccess, dwCreationDisposition,
                            dwFlagsAndAttributes, lpFileName != nullptr && *lpFileName != '\0');
}

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    return CreateFileCommon(qx::win32::OsPathFromWide(lpFileName), dwDesiredAccess, dwCreationDisposition,
                            dwFlagsAndAttributes, lpFileName != nullptr && *lpFileName != u'\0');
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesRead) {
        *lpNumberOfBytesRead = 0;
    }
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToRead > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto file = FileOf(hFile);
    if (!file) {
        return FALSE;
    }
    auto* out = static_cast<char*>(lpBuffer);
    DWORD total = 0;
    while (total < nNumberOfBytesToRead) {
        ssize_t n = read(file->Fd(), out + total, nNumberOfBytesToRead - total);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetLastError(TransferError(errno));
            if (lpNumberOfBytesRead) {
                *lpNumberOfBytesRead = total;
            }
            return FALSE;
        }
        if (n == 0) {
            break; // end of file: success with fewer bytes
        }
        total += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesRead) {
        *lpNumberOfBytesRead = total;
    }
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesWritten) {
        *lpNumberOfBytesWritten = 0;
    }
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToWrite > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto file = FileOf(hFile);
    if (!file) {
        return FALSE;
    }
    const auto* in = static_cast<const char*>(lpBuffer);
    DWORD total = 0;
    while (total < nNumberOfBytesToWrite) {
        ssize_t n = write(file->Fd(), in + total, nNumberOfBytesToWrite - total);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetLastError(TransferError(errno));
            if (lpNumberOfBytesWritten) {
                *lpNumberOfBytesWritten = total;
            }
            return FALSE;
        }
        total += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesWritten) {
        *lpNumberOfBytesWritten = total;
    }
    return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
    LONGLONG distance = lDistanceToMove;
    if (lpDistanceToMoveHigh != nullptr) {
        distance =
            static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<ULONG>(*lpDistanceToMoveHigh)) << 32) |
                                  static_cast<ULONG>(lDistanceToMove));
    }
    LONGLONG position = 0;
    if (lpDistanceToMoveHigh == nullptr) {
        // Without a high part the new position must fit in 32 bits; test before moving.
        LONGLONG current = 0;
        if (!Seek(hFile, 0, FILE_CURRENT, current)) {
            return INVALID_SET_FILE_POINTER;
        }
        if (!Seek(hFile, distance, dwMoveMethod, position)) {
            return INVALID_SET_FILE_POINTER;
        }
        if (position > 0xFFFFFFFELL) {
            Seek(hFile, current, FILE_BEGIN, current);
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_SET_FILE_POINTER;
        }
    } else if (!Seek(hFile, distance, dwMoveMethod, position)) {
        return INVALID_SET_FILE_POINTER;
    } else {
        *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<ULONGLONG>(position) >> 32);
    }
    // INVALID_SET_FILE_POINTER can be a real position: callers tell by the last error.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position & 0xFFFFFFFF);
}

BOOL WINAPI SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, LARGE_INTEGER* lpNewFilePointer,
                             DWORD dwMoveMethod) {
    LONGLONG position = 0;
    if (!Seek(hFile, liDistanceToMove.QuadPart, dwMoveMethod, position)) {
        return FALSE;
    }
    if (lpNewFilePointer) {
        lpNewFilePointer->QuadPart = position;
    }
    return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    LONGLONG size = 0;
    if (!Size(hFile, size)) {
        return INVALID_FILE_SIZE;
    }
    if (lpFileSizeHigh) {
        *lpFileSizeHigh = static_cast<DWORD>(static_cast<ULONGLONG>(size) >> 32);
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size & 0xFFFFFFFF);
}

BOOL WINAPI GetFileSizeEx(HANDLE hFile, LARGE_INTEGER* lpFileSize) {
    LONGLONG size = 0;
    if (lpFileSize == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!Size(hFile, size)) {
        return FALSE;
    }
    lpFileSize->QuadPart = size;
    return TRUE;
}
