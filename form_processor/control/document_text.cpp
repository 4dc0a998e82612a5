// The texts of the document road: the URL a chosen file is loaded by, line breaks before the
// converter sees a text, and image sources and backgrounds as they are saved.
#include "document_text.h"

std::string FileUrlForPath(std::string_view path) {
    // The platform reads "%" as an escape, "#" as a fragment and "?" as a query in a file: URL;
    // escaped, they stay part of the name.
    std::string url = "file://";
    url.reserve(url.size() + path.size());
    for (char c : path) {
        switch (c) {
        case '%':
            url += "%25";
            break;
        case '#':
            url += "%23";
            break;
        case '?':
            url += "%3F";
            break;
        default:
            url += c;
            break;
        }
    }
    return url;
}

std::string NormaliseLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

namespace {

bool StartsWithFileScheme(std::string_view text) {
    constexpr std::string_view kScheme = "file://";
    if (text.size() < kScheme.size())
        return false;
    for (size_t i = 0; i < kScheme.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kScheme[i])
            return false;
    }
    return true;
}

} // namespace

std::string NormaliseSource(std::string_view source) {
    std::string out;
    out.reserve(source.size() + 1);
    std::string_view rest = source;
    if (StartsWithFileScheme(source) && (source.size() <= 7 || source[7] != '/')) {
        out = "file:///";
        rest = source.substr(7);
    }
    for (char c : rest)
        out += c == '\\' ? '/' : c;
    return out;
}
