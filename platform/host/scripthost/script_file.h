// Reading a script file, in the encodings the Windows script host read: UTF-16 after its
// byte-order mark, UTF-8 with or without its mark when the bytes are valid UTF-8, and the ANSI
// code page otherwise (a script saved by an editor of the system's own language).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qx::host {

// The largest script file the host reads.
inline constexpr std::size_t kMaxScriptBytes = 64u * 1024 * 1024;

// The script's text as UTF-8 (the engine's source encoding), whatever encoding the bytes are in.
// A UTF-16 unit without its partner, or an odd last byte, becomes U+FFFD.
std::string DecodeScriptBytes(std::string_view bytes);

// Reads and decodes the file; "" when it worked, else what is wrong with it ("it is a folder,
// not a script file", "No such file or directory").
std::string ReadScriptFile(const std::string& path, std::string& utf8);

} // namespace qx::host
