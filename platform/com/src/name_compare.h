// Internal: member names compare without regard to case, as Automation does.
#pragma once

#include "wtypes.h"

#include <string_view>

namespace qx::com::detail {

// Folds ASCII and Latin-1 letters; other characters compare as they are.
inline char16_t FoldCase(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<char16_t>(c + 32);
    return c;
}

inline bool NamesEqual(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

inline std::u16string_view TextOf(const OLECHAR* s) {
    return s ? std::u16string_view(s) : std::u16string_view();
}

} // namespace qx::com::detail
