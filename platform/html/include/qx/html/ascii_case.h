// ASCII case folding for the names of the page (tags, attributes, style properties, keywords): the
// browser folds only A-Z, so "İ" and full-width letters never match their ASCII look-alikes.
#pragma once

#include <string>
#include <string_view>

namespace qx::html {

inline char16_t LowerAsciiChar(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}
inline char16_t UpperAsciiChar(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

inline std::u16string LowerAscii(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        c = LowerAsciiChar(c);
    return out;
}

inline std::u16string UpperAscii(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        c = UpperAsciiChar(c);
    return out;
}

inline bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAsciiChar(a[i]) != LowerAsciiChar(b[i]))
            return false;
    return true;
}

} // namespace qx::html
