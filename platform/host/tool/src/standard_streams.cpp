#include "qx/host/standard_streams.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace qx::host {
namespace {

// Flushes the stream and closes its file descriptor; the errno of the first failure, 0 when none.
// A stream's error flag stays set after a failed write, so an earlier failure shows here too.
int CloseStream(std::FILE* stream, int fd) {
    errno = 0;
    int error = 0;
    if (std::fflush(stream) != 0 || std::ferror(stream) != 0)
        error = errno != 0 ? errno : EIO;
    // The descriptor, not the FILE: the C++ streams may still flush their (empty) buffers into it.
    if (::close(fd) != 0 && errno != EBADF && error == 0)
        error = errno;
    return error;
}

} // namespace

bool CloseStandardStreams(std::string_view program, bool quiet) {
    const int outError = CloseStream(stdout, STDOUT_FILENO);
    if (outError != 0 && !quiet) {
        const std::string text =
            std::string(program) + ": cannot write to standard output: " + std::strerror(outError) + "\n";
        std::fputs(text.c_str(), stderr);
    }
    const int errError = CloseStream(stderr, STDERR_FILENO);
    return outError == 0 && errError == 0;
}

} // namespace qx::host
