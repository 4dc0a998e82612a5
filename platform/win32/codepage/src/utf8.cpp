#include "qx/win32/codepage.h"
#include "qx/win32/utf.h"

namespace qx::win32 {

long DecodeUtf8(const unsigned char* in, std::size_t length, std::size_t& consumed) {
    unsigned char b0 = in[0];
    consumed = 1;
    if (b0 < 0x80) {
        return b0;
    }
    std::size_t need;
    unsigned char low = 0x80, high = 0xBF;
    char32_t cp;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) {
            low = 0xA0; // no overlong forms
        } else if (b0 == 0xED) {
            high = 0x9F; // no surrogates
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0) {
            low = 0x90;
        } else if (b0 == 0xF4) {
            high = 0x8F; // nothing above U+10FFFF
        }
    } else {
        return -1;
    }
    for (std::size_t i = 1; i <= need; ++i) {
        if (i >= length) {
            return -1;
        }
        unsigned char b = in[i];
        if (b < low || b > high) {
            return -1;
        }
        low = 0x80;
        high = 0xBF;
        cp = (cp << 6) | (b & 0x3F);
        consumed = i + 1;
    }
    return static_cast<long>(cp);
}

std::size_t EncodeUtf8(char32_t cp, unsigned char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<unsigned char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
    out[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    return 4;
}

void AppendUtf8(char32_t codePoint, std::string& out) {
    unsigned char bytes[4];
    out.append(reinterpret_cast<const char*>(bytes), EncodeUtf8(codePoint, bytes));
}

long DecodeUtf16(const char16_t* in, std::size_t length, std::size_t& consumed) {
    consumed = 1;
    const char32_t unit = in[0];
    if (IsHighSurrogate(unit) && length > 1 && IsLowSurrogate(in[1])) {
        consumed = 2;
        return static_cast<long>(0x10000 + ((unit - 0xD800) << 10) + (in[1] - 0xDC00));
    }
    return IsSurrogate(unit) ? -1 : static_cast<long>(unit);
}

std::size_t EncodeUtf16(char32_t codePoint, char16_t* out) {
    if (codePoint < 0x10000) {
        out[0] = static_cast<char16_t>(codePoint);
        return 1;
    }
    codePoint -= 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (codePoint >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    return 2;
}

void AppendUtf16(char32_t codePoint, std::u16string& out) {
    char16_t units[2];
    out.append(units, EncodeUtf16(codePoint, units));
}

bool IsWellFormedUtf16(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t consumed = 1;
        if (DecodeUtf16(text.data() + i, text.size() - i, consumed) < 0) {
            return false;
        }
        i += consumed;
    }
    return true;
}

bool Utf8ToWideStrict(std::string_view text, std::u16string& result) {
    result.clear();
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t consumed = 1;
        const long cp = DecodeUtf8(in + i, text.size() - i, consumed);
        if (cp < 0) {
            result.clear();
            return false;
        }
        i += consumed;
        AppendUtf16(static_cast<char32_t>(cp), result);
    }
    return true;
}

} // namespace qx::win32
