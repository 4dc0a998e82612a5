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

std::string LfToCrLf(const std::string& text) {
    const std::string source = BeforeFirstNul(text);
    std::string result;
    result.reserve(source.size() * 2);
    for (size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '\n' && (i == 0 || source[i - 1] != '\r'))
            result += '\r';
        result += source[i];
    }
    return result;
}

std::string TrimSpaces(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}
