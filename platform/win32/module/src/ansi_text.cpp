#include "qx/module/ansi_text.h"

#include <cerrno>
#include <iconv.h>

namespace qx::module {
namespace {

constexpr const char* kAnsiCodePage = "CP949";

// Decodes one code point from UTF-16; lone surrogates come back as U+FFFD.
char32_t NextCodePoint(std::u16string_view text, size_t& i) {
    char32_t unit = text[i++];
    if (unit >= 0xD800 && unit <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
        return 0x10000 + ((unit - 0xD800) << 10) + (text[i++] - 0xDC00);
    }
    if (unit >= 0xD800 && unit <= 0xDFFF) {
        return 0xFFFD;
    }
    return unit;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

} // namespace

std::string Utf16ToAnsi(std::u16string_view text) {
    std::string out;
    Converter conv(kAnsiCodePage, "UTF-32LE");
    for (size_t i = 0; i < text.size();) {
        char32_t cp = NextCodePoint(text, i);
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        char in[4] = {static_cast<char>(cp & 0xFF), static_cast<char>((cp >> 8) & 0xFF),
                      static_cast<char>((cp >> 16) & 0xFF), static_cast<char>((cp >> 24) & 0xFF)};
        char buf[8];
        char* inp = in;
        size_t inLeft = sizeof(in);
        char* outp = buf;
        size_t outLeft = sizeof(buf);
        if (conv.ok() && iconv(conv.get(), &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1)) {
            out.append(buf, outp);
        } else {
            out.push_back('?');
            if (conv.ok()) {
                iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
            }
        }
    }
    return out;
}

std::u16string AnsiToUtf16(std::string_view ansi) {
    std::u16string out;
    Converter conv("UTF-16LE", kAnsiCodePage);
    size_t i = 0;
    while (i < ansi.size()) {
        unsigned char c = static_cast<unsigned char>(ansi[i]);
        if (c < 0x80) {
            out.push_back(c);
            ++i;
            continue;
        }
        // A lead byte and its trail byte make one character; anything that does not convert is '?'.
        size_t len = (i + 1 < ansi.size()) ? 2 : 1;
        char in[2] = {ansi[i], len == 2 ? ansi[i + 1] : '\0'};
        char buf[8];
        char* inp = in;
        size_t inLeft = len;
        char* outp = buf;
        size_t outLeft = sizeof(buf);
        if (conv.ok() && len == 2 &&
            iconv(conv.get(), &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1) && inLeft == 0) {
            for (char* p = buf; p + 1 < outp; p += 2) {
                out.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                                    (static_cast<unsigned char>(p[1]) << 8)));
            }
            i += 2;
        } else {
            if (conv.ok()) {
                iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
            }
            out.push_back(u'?');
            ++i;
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        char32_t cp = NextCodePoint(text, i);
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 4;
        if (extra == 4) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        bool valid = true;
        for (size_t k = 1; k <= extra; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        // An overlong form (C0 AF for "/") is no character: it must not pass for the short one.
        static constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
        if (!valid || cp < kShortest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        AppendUtf16(out, cp);
        i += extra + 1;
    }
    return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
    return Utf16ToUtf8(AnsiToUtf16(ansi));
}

std::string Utf8ToAnsi(std::string_view text) {
    return Utf16ToAnsi(Utf8ToUtf16(text));
}

} // namespace qx::module
