// GUIDs, with compile-time parsing of their registry text form "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
#pragma once

#include "wintypes.h"

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];

    friend constexpr bool operator==(const GUID& a, const GUID& b) {
        if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
            return false;
        for (int i = 0; i < 8; ++i)
            if (a.Data4[i] != b.Data4[i])
                return false;
        return true;
    }
};
using IID = GUID;
using CLSID = GUID;
using CATID = GUID;
using FMTID = GUID;
using LPGUID = GUID*;
using LPIID = IID*;
using LPCLSID = CLSID*;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFCATID = const CATID&;

inline constexpr GUID GUID_NULL{};
#define IID_NULL GUID_NULL
#define CLSID_NULL GUID_NULL

inline constexpr bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
inline constexpr bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
inline constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

namespace qx::guid_detail {

constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Parses "{8-4-4-4-12}" (braces optional) into out; false on any malformed character or length.
template <typename Char>
constexpr bool parse(const Char* text, std::size_t length, GUID& out) {
    std::size_t pos = 0;
    bool braced = length > 0 && text[0] == Char('{');
    if (braced)
        ++pos;
    if (length != pos + 36 + (braced ? 1 : 0))
        return false;
    if (braced && text[length - 1] != Char('}'))
        return false;
    auto hexRun = [&](int digits, unsigned long long& value) {
        value = 0;
        for (int i = 0; i < digits; ++i) {
            Char c = text[pos++];
            int v = (c >= 0 && c < 128) ? hexValue(static_cast<char>(c)) : -1;
            if (v < 0)
                return false;
            value = (value << 4) | static_cast<unsigned>(v);
        }
        return true;
    };
    auto dash = [&] { return text[pos++] == Char('-'); };
    unsigned long long v = 0;
    GUID g{};
    if (!hexRun(8, v))
        return false;
    g.Data1 = static_cast<DWORD>(v);
    if (!dash() || !hexRun(4, v))
        return false;
    g.Data2 = static_cast<WORD>(v);
    if (!dash() || !hexRun(4, v))
        return false;
    g.Data3 = static_cast<WORD>(v);
    if (!dash())
        return false;
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !dash())
            return false;
        if (!hexRun(2, v))
            return false;
        g.Data4[i] = static_cast<BYTE>(v);
    }
    out = g;
    return true;
}

} // namespace qx::guid_detail

// A GUID from its text at compile time; a malformed literal does not compile.
consteval GUID MakeGuid(const char* text) {
    std::size_t length = 0;
    while (text[length])
        ++length;
    GUID g{};
    if (!qx::guid_detail::parse(text, length, g))
        throw "malformed GUID literal";
    return g;
}

// Declares a named GUID constant, e.g. QX_DEFINE_GUID(CLSID_Convert, "{...}").
#define QX_DEFINE_GUID(name, text) inline constexpr GUID name = MakeGuid(text)
