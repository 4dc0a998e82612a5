// ForEachDeclaration (declarations.h): the scanner of "name: value; ..." lists.
#pragma once

#include <string>
#include <string_view>

namespace qx::html::css {

namespace detail {
// Follows quotes and parentheses through a value, one character at a time.
struct QuoteScanner {
    char16_t quote = 0;
    int depth = 0; // open parentheses outside quotes
    // Feeds one character; true when it stands outside quotes (the quote characters themselves
    // count as inside).
    bool Outside(char16_t c) {
        if (quote) {
            if (c == quote)
                quote = 0;
            return false;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
            return false;
        }
        if (c == u'(')
            ++depth;
        else if (c == u')' && depth > 0)
            --depth;
        return true;
    }
};

// The text with its comments removed and at most `limit` characters read.
std::u16string StripComments(std::u16string_view text, std::size_t limit);
// Splits off " !important" (any case, spaces allowed after "!"); true when it was there.
bool TakeImportant(std::u16string_view& value);
} // namespace detail

template <typename Add>
void ForEachDeclaration(std::u16string_view text, Add&& add) {
    std::u16string clean = detail::StripComments(text, static_cast<std::size_t>(-1));
    std::u16string_view rest = clean;
    while (!rest.empty()) {
        // The declaration ends at a semicolon outside quotes and parentheses.
        std::size_t end = 0;
        detail::QuoteScanner scan;
        for (; end < rest.size(); ++end)
            if (scan.Outside(rest[end]) && rest[end] == u';' && scan.depth == 0)
                break;
        std::u16string_view one = rest.substr(0, end);
        rest = end < rest.size() ? rest.substr(end + 1) : std::u16string_view();
        std::size_t colon = one.find(u':');
        if (colon == std::u16string_view::npos)
            continue;
        std::u16string_view value = one.substr(colon + 1);
        bool important = detail::TakeImportant(value);
        add(one.substr(0, colon), value, important);
    }
}

} // namespace qx::html::css
