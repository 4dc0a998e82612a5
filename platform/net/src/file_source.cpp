// Bodies of local files, read as the reader asks for them.
#include "byte_source.h"
#include "qx/win32/file_paths.h"
#include "winerror.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace qx::net {
namespace {

class FileSource : public ByteSource {
public:
    FileSource(int fd, std::int64_t size) : fd_(fd), size_(size) {}
    ~FileSource() override { ::close(fd_); }

    HRESULT Read(BYTE* buffer, ULONG size, ULONG* count) override {
        *count = 0;
        if (cancelled_) {
            return E_ABORT;
        }
        if (size == 0) {
            return AtEnd() ? S_FALSE : S_OK;
        }
        for (;;) {
            ssize_t got = ::read(fd_, buffer, size);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                return INET_E_DOWNLOAD_FAILURE;
            }
            if (got == 0) {
                ended_ = true;
                return S_FALSE;
            }
            position_ += got;
            *count = static_cast<ULONG>(got);
            return S_OK;
        }
    }

    bool AtEnd() const override { return ended_ || position_ >= size_; }
    std::int64_t Length() const override { return size_; }
    void Cancel() override { cancelled_ = true; }

private:
    int fd_;
    std::int64_t size_;
    std::int64_t position_ = 0;
    bool ended_ = false;
    std::atomic<bool> cancelled_{false};
};

} // namespace

HRESULT OpenFileSource(const std::string& ansiPath, std::unique_ptr<ByteSource>& source) {
    std::string path = qx::win32::OsPathFromAnsi(ansiPath.c_str());
    if (path.empty()) {
        return INET_E_RESOURCE_NOT_FOUND;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == EACCES || errno == EPERM ? E_ACCESSDENIED : INET_E_RESOURCE_NOT_FOUND;
    }
    struct stat st = {};
    // Only regular files have a body: folders, devices and pipes do not.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return INET_E_RESOURCE_NOT_FOUND;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    source = std::make_unique<FileSource>(fd, static_cast<std::int64_t>(st.st_size));
    return S_OK;
}

} // namespace qx::net
