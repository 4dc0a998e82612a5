// The words of a manifest line and the conversions every kind of resource shares.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace respack {

// A word of a line: bare, or quoted with the escapes \n \r \t \\ \" resolved.
struct Token {
    std::string text;
    bool quoted = false;
};

// Splits a line into words; '#' outside quotes starts a comment. Throws on a broken string.
std::vector<Token> Tokenize(const std::string& line);

// UTF-8 to UTF-16; throws on bytes that are not UTF-8.
std::u16string Utf8ToUtf16(const std::string& s);

// A decimal or 0x hexadecimal number up to `max`; throws "bad <what>" otherwise.
unsigned long Number(const Token& t, unsigned long max, const char* what);

// Little-endian words appended to a resource's bytes.
inline void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

} // namespace respack
