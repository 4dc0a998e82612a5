// Character classes of one UTF-16 unit: letters (with the combining marks that belong to them)
// and digits, from the Unicode character database. A surrogate is neither.
#pragma once

#include "wintypes.h"

BOOL WINAPI IsCharAlphaW(WCHAR ch);
BOOL WINAPI IsCharAlphaNumericW(WCHAR ch);
