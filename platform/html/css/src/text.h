// Small text helpers of the style code: ASCII case folding, trimming, splitting values into words.
#pragma once

#include "qx/html/ascii_case.h"
#include "qx/html/css/declaration_scan.h"

#include <string>
#include <string_view>
#include <vector>

namespace qx::html::css::detail {

// ASCII case folding is the DOM's too (qx/html/ascii_case.h).
inline char16_t Lower(char16_t c) {
    return LowerAsciiChar(c);
}
inline char16_t Upper(char16_t c) {
    return UpperAsciiChar(c);
}
inline std::u16string ToLower(std::u16string_view text) {
    return LowerAscii(text);
}
inline std::u16string ToUpper(std::u16string_view text) {
    return UpperAscii(text);
}
using html::EqualsNoCase;
inline bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}
inline bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

std::u16string_view Trim(std::u16string_view text);
// Whether `word` is one of the space-separated words of `list` (any case).
bool InWordList(std::u16string_view list, std::u16string_view word);
// The value's words: split at white space outside quotes and parentheses.
std::vector<std::u16string_view> SplitWords(std::u16string_view value);
// White space runs outside quotes become one space; the ends are trimmed.
std::u16string CollapseSpaces(std::u16string_view value);
std::u16string FromAscii(std::string_view text);

} // namespace qx::html::css::detail
