#include "text.h"

namespace qx::html::css::detail {

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool InWordList(std::u16string_view list, std::u16string_view word) {
    while (!list.empty()) {
        std::size_t end = list.find(u' ');
        if (EqualsNoCase(list.substr(0, end), word))
            return true;
        if (end == std::u16string_view::npos)
            break;
        list.remove_prefix(end + 1);
    }
    return false;
}

std::vector<std::u16string_view> SplitWords(std::u16string_view value) {
    std::vector<std::u16string_view> words;
    std::size_t start = std::u16string_view::npos;
    QuoteScanner scan;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        char16_t c = i < value.size() ? value[i] : u' ';
        bool boundary = scan.Outside(c) && IsSpace(c) && scan.depth == 0;
        if (boundary && start != std::u16string_view::npos) {
            words.push_back(value.substr(start, i - start));
            start = std::u16string_view::npos;
        } else if (!boundary && start == std::u16string_view::npos) {
            start = i;
        }
    }
    if (start != std::u16string_view::npos && start < value.size()) // an unclosed quote runs to the end
        words.push_back(value.substr(start));
    return words;
}

std::u16string CollapseSpaces(std::u16string_view value) {
    std::u16string out;
    out.reserve(value.size());
    char16_t quote = 0;
    bool pendingSpace = false;
    for (char16_t c : Trim(value)) {
        if (!quote && IsSpace(c)) {
            pendingSpace = true;
            continue;
        }
        if (pendingSpace)
            out.push_back(u' ');
        pendingSpace = false;
        if (quote && c == quote)
            quote = 0;
        else if (!quote && (c == u'"' || c == u'\''))
            quote = c;
        out.push_back(c);
    }
    return out;
}

std::u16string FromAscii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

} // namespace qx::html::css::detail
