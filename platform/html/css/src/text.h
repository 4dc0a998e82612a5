// Small text helpers of the style code: ASCII case folding, trimming, splitting values into words.
#pragma once

#include "qx/html/css/declaration_scan.h"

#include <string>
#include <string_view>
#include <vector>

namespace qx::html::css::detail {

inline char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}
inline char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}
inline bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}
inline bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

std::u16string ToLower(std::u16string_view text);
std::u16string ToUpper(std::u16string_view text);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
std::u16string_view Trim(std::u16string_view text);
// Whether `word` is one of the space-separated words of `list` (any case).
bool InWordList(std::u16string_view list, std::u16string_view word);
// The value's words: split at white space outside quotes and parentheses.
std::vector<std::u16string_view> SplitWords(std::u16string_view value);
// White space runs outside quotes become one space; the ends are trimmed.
std::u16string CollapseSpaces(std::u16string_view value);
std::u16string FromAscii(std::string_view text);

} // namespace qx::html::css::detail
