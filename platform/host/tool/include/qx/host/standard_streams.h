// The end of a console tool's run: what it wrote must have reached standard output and standard
// error, or the tool must say so and fail (a full disk, a closed pipe, a file system error that
// shows only when the file is closed).
#pragma once

#include <string_view>

namespace qx::host {

// Flushes standard output and standard error and closes their files. When a write to standard
// output failed, now or earlier, "<program>: cannot write to standard output: <reason>" goes to
// standard error (unless `quiet`: the tool has said so already). Returns false when a write or
// the closing of either stream failed. Nothing may be written to them afterwards.
bool CloseStandardStreams(std::string_view program, bool quiet = false);

} // namespace qx::host
