#include "script_text.h"

#include "qx/win32/utf.h"

namespace qx::script {
namespace {

// CESU-8 writes each UTF-16 unit on its own, a surrogate as a three-byte sequence.
void AppendUnit(std::string& out, char32_t c) {
    win32::AppendUtf8(c, out);
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
        win32::AppendUtf16(DecodeOne(bytes, i), out);
    }
    return out;
}

std::string Utf8ToCesu8(std::string_view text) {
    return Utf16ToCesu8(Cesu8ToUtf16(text));
}

std::string Utf16ToUtf8Text(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t consumed = 1;
        const long c = win32::DecodeUtf16(text.data() + i, text.size() - i, consumed);
        win32::AppendUtf8(c < 0 ? win32::kReplacementCharacter : static_cast<char32_t>(c), out);
        i += consumed;
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
