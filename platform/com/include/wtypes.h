// Automation scalar types: BSTR, VARIANT_BOOL, DATE, CY, DECIMAL and the VARTYPE codes.
#pragma once

#include "guiddef.h"
#include "winerror.h"
#include "wintypes.h"

// A BSTR points at the first of its UTF-16 characters; the 32-bit byte length sits just before it
// and a terminating zero just after. A null BSTR means the same as "".
using BSTR = OLECHAR*;
using LPBSTR = BSTR*;

using VARIANT_BOOL = short;
#define VARIANT_TRUE (static_cast<VARIANT_BOOL>(-1))
#define VARIANT_FALSE (static_cast<VARIANT_BOOL>(0))

// Days since 30 December 1899; the fraction is the time of day.
using DATE = double;

// Currency: a 64-bit integer scaled by 10000.
union CY {
    struct {
        ULONG Lo;
        LONG Hi;
    } s;
    LONGLONG int64;
};
using CURRENCY = CY;

// 96-bit integer with a power-of-ten scale (0..28) and a sign byte (0x80 = negative).
struct DECIMAL {
    USHORT wReserved;
    BYTE scale;
    BYTE sign;
    ULONG Hi32;
    ULONGLONG Lo64;
};
#define DECIMAL_NEG (static_cast<BYTE>(0x80))

using VARTYPE = USHORT;
using DISPID = LONG;
using MEMBERID = DISPID;
using HREFTYPE = DWORD;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_PTR = 26,
    VT_SAFEARRAY = 27,
    VT_CARRAY = 28,
    VT_USERDEFINED = 29,
    VT_LPSTR = 30,
    VT_LPWSTR = 31,
    VT_RECORD = 36,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_RESERVED = 0x8000,
    VT_TYPEMASK = 0x0fff,
};

// Locales that Automation calls take; this system has one locale and ignores them otherwise.
#ifndef LOCALE_SYSTEM_DEFAULT
#define LOCALE_SYSTEM_DEFAULT (static_cast<LCID>(0x0800))
#endif
#ifndef LOCALE_USER_DEFAULT
#define LOCALE_USER_DEFAULT (static_cast<LCID>(0x0400))
#endif
#ifndef LOCALE_NEUTRAL
#define LOCALE_NEUTRAL (static_cast<LCID>(0x0000))
#endif
#ifndef LOCALE_INVARIANT
#define LOCALE_INVARIANT (static_cast<LCID>(0x007f))
#endif
