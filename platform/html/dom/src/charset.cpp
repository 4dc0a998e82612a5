// Which charset a document's bytes are in, and the conversions to and from UTF-16 through the
// platform's code pages.
#include "charset.h"

#include "qx/html/dom/html_parser.h"
#include "qx/win32/codepage.h"
#include "stringapiset.h"
#include "utf8_text.h"

#include <algorithm>
#include <cctype>

namespace qx::html::dom {

namespace {

std::string LowerBytes(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view text) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

// The value after "charset=" in a META's content or charset attribute (quotes and the rest dropped).
std::string CharsetToken(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && (text.front() == '"' || text.front() == '\''))
        text.remove_prefix(1);
    std::size_t end = 0;
    while (end < text.size() && text[end] != '"' && text[end] != '\'' && text[end] != ';' &&
           text[end] != '>' && text[end] != ' ' && text[end] != '/')
        ++end;
    return std::string(text.substr(0, end));
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        out.push_back(static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    return out;
}

} // namespace

unsigned CodePageOfCharset(std::string_view charset) {
    const std::string name = LowerBytes(Trim(charset));
    struct Name {
        std::string_view name;
        unsigned codePage;
    };
    static constexpr Name kNames[] = {
        {"utf-8", 65001},        {"utf8", 65001},        {"unicode-1-1-utf-8", 65001},
        {"ks_c_5601-1987", 949}, {"euc-kr", 949},        {"ks_c_5601", 949},
        {"ks_c_5601-1989", 949}, {"korean", 949},        {"cp949", 949},
        {"windows-949", 949},    {"x-windows-949", 949}, {"uhc", 949},
        {"utf-16", 1200},        {"utf-16le", 1200},     {"unicode", 1200},
        {"utf-16be", 1201},      {"unicodefffe", 1201},  {"iso-8859-1", 1252},
        {"latin1", 1252},        {"windows-1252", 1252}, {"us-ascii", 1252},
        {"ascii", 1252},         {"shift_jis", 932},     {"x-sjis", 932},
        {"gb2312", 936},         {"gbk", 936},           {"big5", 950},
        {"euc-jp", 20932},       {"koi8-r", 20866},      {"iso-8859-2", 28592},
        {"windows-1250", 1250},  {"windows-1251", 1251}, {"iso-8859-15", 28605},
    };
    for (const Name& n : kNames)
        if (n.name == name)
            return n.codePage;
    return 0;
}

std::string MetaCharset(std::string_view bytes) {
    bytes = bytes.substr(0, std::min<std::size_t>(bytes.size(), 4096));
    const std::string lower = LowerBytes(bytes);
    for (std::size_t at = lower.find("<meta"); at != std::string::npos; at = lower.find("<meta", at + 5)) {
        const std::size_t end = lower.find('>', at);
        const std::string_view tag =
            std::string_view(lower).substr(at, end == std::string::npos ? end : end - at);
        const std::size_t charset = tag.find("charset");
        if (charset == std::string_view::npos)
            continue;
        std::string_view rest = tag.substr(charset + 7);
        rest = Trim(rest);
        if (rest.empty() || rest.front() != '=')
            continue;
        std::string token = CharsetToken(rest.substr(1));
        if (CodePageOfCharset(token))
            return token;
    }
    return {};
}

DecodedDocument DecodeDocumentBytes(const DocumentBytes& source) {
    std::string_view bytes = source.bytes;
    std::string charset;
    if (CodePageOfCharset(source.headerCharset))
        charset = LowerBytes(Trim(source.headerCharset));
    bool bomUtf8 = bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF";
    bool bomLe = bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE";
    bool bomBe = bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF";
    if (charset.empty()) {
        if (bomUtf8)
            charset = "utf-8";
        else if (bomLe)
            charset = "utf-16";
        else if (bomBe)
            charset = "utf-16be";
    }
    if (charset.empty())
        charset = MetaCharset(bytes);
    if (charset.empty() && CodePageOfCharset(source.callerCharset))
        charset = LowerBytes(Trim(source.callerCharset));
    if (charset.empty())
        charset = IsWellFormedUtf8(bytes) ? "utf-8" : "ks_c_5601-1987";

    DecodedDocument out;
    out.charset = charset;
    const unsigned codePage = CodePageOfCharset(charset);
    if (codePage == 1200 || codePage == 1201) {
        if (bomLe || bomBe)
            bytes.remove_prefix(2);
        out.text = DecodeUtf16(bytes, codePage == 1201);
        return out;
    }
    if (codePage == 65001) {
        if (bomUtf8)
            bytes.remove_prefix(3);
        if (IsWellFormedUtf8(bytes))
            out.utf8 = bytes;
        else
            out.text = win32::Utf8ToWide(bytes);
        return out;
    }
    if (bytes.empty())
        return out;
    const int length = static_cast<int>(std::min<std::size_t>(bytes.size(), 0x7FFFFFFF));
    const int wide = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (wide <= 0) {
        out.text = win32::Utf8ToWide(bytes); // a code page the platform cannot convert
        out.charset = "utf-8";
        return out;
    }
    out.text.resize(static_cast<std::size_t>(wide));
    MultiByteToWideChar(codePage, 0, bytes.data(), length, reinterpret_cast<LPWSTR>(out.text.data()), wide);
    return out;
}

std::string EncodeDocumentText(std::u16string_view text, std::string_view charset) {
    const unsigned codePage = CodePageOfCharset(charset);
    if (codePage == 0 || codePage == 65001)
        return win32::WideToUtf8(text);
    std::string out;
    if (codePage == 1200 || codePage == 1201) {
        for (char16_t c : text) {
            const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
            out.push_back(codePage == 1201 ? hi : lo);
            out.push_back(codePage == 1201 ? lo : hi);
        }
        return out;
    }
    // Runs convert whole; a character the code page lacks becomes "&#N;".
    auto convert = [codePage](std::u16string_view run, std::string& into) {
        if (run.empty())
            return true;
        BOOL usedDefault = FALSE;
        const auto* wide = reinterpret_cast<LPCWSTR>(run.data());
        const int n = WideCharToMultiByte(codePage, 0, wide, static_cast<int>(run.size()), nullptr, 0,
                                          nullptr, &usedDefault);
        if (n <= 0 || usedDefault)
            return false;
        const std::size_t at = into.size();
        into.resize(at + static_cast<std::size_t>(n));
        WideCharToMultiByte(codePage, 0, wide, static_cast<int>(run.size()), into.data() + at, n, nullptr,
                            nullptr);
        return true;
    };
    if (convert(text, out))
        return out;
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t width = (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size()) ? 2 : 1;
        if (!convert(text.substr(i, width), out)) {
            char32_t code = text[i];
            if (width == 2)
                code = 0x10000 + ((text[i] - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            out += "&#" + std::to_string(static_cast<unsigned long>(code)) + ";";
        }
        i += width - 1;
    }
    return out;
}

} // namespace qx::html::dom
