#include "utf8_text.h"

#include <cstdint>
#include <cstring>

namespace qx::html::dom {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool AllAscii(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return (word & 0x8080808080808080ULL) == 0;
}

// The character at text[at] and its length in bytes; length 0 for a malformed sequence.
char32_t Decode(std::string_view text, std::size_t at, std::size_t* length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    *length = 0;
    std::size_t count;
    char32_t code;
    char32_t least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        count = 2, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        count = 3, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        count = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return kReplacement;
    }
    if (text.size() - at < count)
        return kReplacement;
    for (std::size_t i = 1; i < count; ++i) {
        const auto c = static_cast<unsigned char>(text[at + i]);
        if ((c & 0xC0) != 0x80)
            return kReplacement;
        code = (code << 6) | (c & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return kReplacement;
    *length = count;
    return code;
}

} // namespace

bool IsWellFormedUtf8(std::string_view bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at >= 8 && AllAscii(bytes.data() + at)) {
            at += 8;
            continue;
        }
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        std::size_t length;
        Decode(bytes, at, &length);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

void AppendUtf8AsWide(std::u16string& out, std::string_view text) {
    const std::size_t start = out.size();
    out.resize(start + text.size()); // UTF-16 never takes more units than UTF-8 takes bytes
    char16_t* to = out.data() + start;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (c < 0x80) {
            *to++ = c;
            ++at;
            continue;
        }
        std::size_t length;
        const char32_t code = Decode(text, at, &length);
        at += length ? length : 1;
        if (code >= 0x10000) {
            *to++ = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            *to++ = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            *to++ = static_cast<char16_t>(code);
        }
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
}

} // namespace qx::html::dom
