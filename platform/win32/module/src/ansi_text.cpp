#include "qx/module/ansi_text.h"

#include "qx/win32/utf.h"

#include <cerrno>
#include <iconv.h>

namespace qx::module {
namespace {

constexpr const char* kAnsiCodePage = "CP949";

// One code point from UTF-16; lone surrogates come back as U+FFFD.
char32_t NextCodePoint(std::u16string_view text, size_t& i) {
    size_t consumed = 1;
    const long cp = win32::DecodeUtf16(text.data() + i, text.size() - i, consumed);
    i += consumed;
    return cp < 0 ? win32::kReplacementCharacter : static_cast<char32_t>(cp);
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
        win32::AppendUtf8(NextCodePoint(text, i), out);
    }
    return out;
}

// Each byte of an ill-formed sequence becomes its own U+FFFD, so that an overlong form
// (C0 AF for "/") can never pass for the short one.
std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        size_t consumed = 1;
        const long cp = win32::DecodeUtf8(in + i, text.size() - i, consumed);
        if (cp < 0) {
            out.push_back(static_cast<char16_t>(win32::kReplacementCharacter));
            ++i;
            continue;
        }
        win32::AppendUtf16(static_cast<char32_t>(cp), out);
        i += consumed;
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
