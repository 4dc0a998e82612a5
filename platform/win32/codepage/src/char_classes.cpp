// IsCharAlphaW and IsCharAlphaNumericW over ICU's general categories: letters and marks are
// alphabetic, decimal digits numeric.
#include "winuser_chars.h"

#include <unicode/uchar.h>

namespace {

bool InCategories(WCHAR ch, uint32_t mask) {
    if (ch >= 0xD800 && ch <= 0xDFFF)
        return false;
    return (U_GET_GC_MASK(static_cast<UChar32>(ch)) & mask) != 0;
}

} // namespace

BOOL WINAPI IsCharAlphaW(WCHAR ch) {
    return InCategories(ch, U_GC_L_MASK | U_GC_M_MASK) ? TRUE : FALSE;
}

BOOL WINAPI IsCharAlphaNumericW(WCHAR ch) {
    return InCategories(ch, U_GC_L_MASK | U_GC_M_MASK | U_GC_ND_MASK) ? TRUE : FALSE;
}
