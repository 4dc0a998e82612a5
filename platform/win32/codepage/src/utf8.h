// UTF-8 decoding and encoding with the replacement rules of the system's conversions: each
// maximal invalid subsequence becomes one U+FFFD, a lone surrogate becomes U+FFFD.
#pragma once

#include <cstddef>

namespace qx::win32 {

// Decodes one code point from in[0..length); sets `consumed` (at least 1). Returns the code
// point, or -1 for an invalid sequence.
long DecodeUtf8(const unsigned char* in, std::size_t length, std::size_t& consumed);

// Writes the UTF-8 form of a code point (at most 4 bytes); returns its length.
std::size_t EncodeUtf8(char32_t codePoint, unsigned char* out);

} // namespace qx::win32
