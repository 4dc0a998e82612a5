#include "script_text.h"

namespace qx::script {
namespace {

void AppendUnit(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one sequence at bytes[i]; returns the code point (U+FFFD for broken input) and moves i.
char32_t DecodeOne(std::string_view bytes, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    int length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + length > bytes.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMinimum[length] || c > 0x10FFFF) {
        ++i;
        return 0xFFFD;
    }
    i += length;
    return c;
}

} // namespace

std::string Utf16ToCesu8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text)
        AppendUnit(out, unit);
    return out;
}

std::u16string Cesu8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const char32_t c = DecodeOne(bytes, i);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string Utf8ToCesu8(std::string_view text) {
    return Utf16ToCesu8(Cesu8ToUtf16(text));
}

std::string Utf16ToUtf8Text(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUnit(out, c);
    }
    return out;
}

void PushText(duk_context* ctx, std::u16string_view text) {
    const std::string bytes = Utf16ToCesu8(text);
    duk_push_lstring(ctx, bytes.data(), bytes.size());
}

std::u16string ToText(duk_context* ctx, duk_idx_t index) {
    duk_size_t length = 0;
    duk_dup(ctx, index);
    const char* bytes = duk_safe_to_lstring(ctx, -1, &length);
    std::u16string result = Cesu8ToUtf16(std::string_view(bytes ? bytes : "", bytes ? length : 0));
    duk_pop(ctx);
    return result;
}

} // namespace qx::script
