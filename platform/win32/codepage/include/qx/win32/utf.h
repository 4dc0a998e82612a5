// The platform's one UTF-8 / UTF-16 codec, one code point at a time. Every conversion between
// the two forms goes through these; each caller keeps its own rule for bad input (fail, or
// U+FFFD and how far to skip).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qx::win32 {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

constexpr bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
constexpr bool IsSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// Decodes one well-formed UTF-8 sequence from in[0..length) (length at least 1). Returns the
// code point, or -1 for an ill-formed sequence (overlong forms, surrogates and code points
// beyond U+10FFFF included); `consumed` is then the length of its maximal valid prefix (at
// least 1), the part that one U+FFFD stands for.
long DecodeUtf8(const unsigned char* in, std::size_t length, std::size_t& consumed);

// Writes the UTF-8 form of a code point (at most 4 bytes); returns its length.
std::size_t EncodeUtf8(char32_t codePoint, unsigned char* out);
void AppendUtf8(char32_t codePoint, std::string& out);

// Decodes one code point from in[0..length) (length at least 1): a surrogate pair is one code
// point (consumed 2). Returns -1 for a lone surrogate (consumed 1).
long DecodeUtf16(const char16_t* in, std::size_t length, std::size_t& consumed);

// Writes the UTF-16 form of a code point (a pair beyond U+FFFF); returns 1 or 2.
std::size_t EncodeUtf16(char32_t codePoint, char16_t* out);
void AppendUtf16(char32_t codePoint, std::u16string& out);

// True when the text holds no lone surrogate.
bool IsWellFormedUtf16(std::u16string_view text);

} // namespace qx::win32
