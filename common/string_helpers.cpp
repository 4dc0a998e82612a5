#include "string_helpers.h"

#include <cstring>

std::string BeforeFirstNul(const std::string& text) {
    size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

std::string ToLowerAscii(const std::string& text) {
    std::string result = BeforeFirstNul(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

std::string ToUpperAscii(const std::string& text) {
    std::string result = BeforeFirstNul(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

std::string ReplaceAll(const std::string& text, const std::string& find, const std::string& replacement,
                       int matchCase) {
    if (text.empty())
        return std::string();
    // An empty pattern would match everywhere without moving on.
    if (find.empty())
        return text;
    const bool exact = matchCase == 1;
    const std::string searchText = exact ? text : ToLowerAscii(text);
    const std::string searchFor = exact ? find : ToLowerAscii(find);
    if (searchFor.empty())
        return text;

    std::string result;
    result.reserve(text.size());
    size_t pos = 0;
    for (;;) {
        size_t hit = searchText.find(searchFor, pos);
        if (hit == std::string::npos)
            break;
        result.append(text, pos, hit - pos);
        result += replacement;
        pos = hit + searchFor.size();
    }
    result.append(text, pos, std::string::npos);
    return result;
}

long FindNoCase(const std::string& text, const std::string& pattern, long start) {
    if (start < 0)
        return -1;
    const std::string lowerText = ToLowerAscii(text);
    const std::string lowerPattern = ToLowerAscii(pattern);
    if (static_cast<size_t>(start) > lowerText.size())
        return -1;
    size_t hit = lowerText.find(lowerPattern, static_cast<size_t>(start));
    return hit == std::string::npos ? -1 : static_cast<long>(hit);
}

bool AppendLfToCrLf(std::string& out, std::string_view text) {
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    size_t copied = 0;
    for (size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) {
        const bool afterReturn = at > 0 ? text[at - 1] == '\r' : !out.empty() && out.back() == '\r';
        if (afterReturn)
            continue;
        out.append(text, copied, at - copied);
        out += "\r\n";
        copied = at + 1;
    }
    out.append(text, copied, std::string_view::npos);
    return nul == std::string_view::npos;
}

std::string LfToCrLf(std::string_view text) {
    // The result is made in a buffer of its final size: the line feeds that need a carriage
    // return are counted first.
    const std::string_view source = text.substr(0, text.find('\0'));
    size_t lone = 0;
    for (size_t at = source.find('\n'); at != std::string_view::npos; at = source.find('\n', at + 1))
        lone += (at == 0 || source[at - 1] != '\r') ? 1 : 0;
    std::string result;
    result.reserve(source.size() + lone);
    AppendLfToCrLf(result, source);
    return result;
}

std::string TrimSpaces(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string_view TrimWhite(std::string_view text) {
    const char* const white = " \t\r\n\f\v";
    const size_t first = text.find_first_not_of(white);
    if (first == std::string_view::npos)
        return std::string_view();
    return text.substr(first, text.find_last_not_of(white) - first + 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        x = (x >= 'A' && x <= 'Z') ? static_cast<char>(x - 'A' + 'a') : x;
        y = (y >= 'A' && y <= 'Z') ? static_cast<char>(y - 'A' + 'a') : y;
        if (x != y)
            return false;
    }
    return true;
}
