// VariantChangeType(Ex): the Automation coercions between the scalar types, BSTR and the default
// member (DISPID_VALUE) of an object.
//
// Rules kept here, from the documented Automation behaviour:
// - floating values go to integers and currency with round-half-to-even;
// - a value outside the target's range gives DISP_E_OVERFLOW, text that is not a number (or date,
//   or boolean) gives DISP_E_TYPEMISMATCH, and the destination is then left unchanged;
// - VT_BOOL is -1 (VARIANT_TRUE) or 0; to an unsigned type true becomes all bits set (255 for
//   VT_UI1), as a plain cast of -1 would give; any non-zero number becomes VARIANT_TRUE;
// - VT_BOOL to text is "-1"/"0", or "True"/"False" with VARIANT_ALPHABOOL or VARIANT_LOCALBOOL;
//   text to VT_BOOL takes "True"/"False" in any case, or any number;
// - VT_EMPTY becomes 0, "" or false; VT_NULL converts only to VT_NULL and VT_EMPTY;
// - an object (VT_DISPATCH, or VT_UNKNOWN that answers IDispatch) converts to a non-object type
//   through its DISPID_VALUE member, unless VARIANT_NOVALUEPROP is given;
// - numbers in text: optional spaces, sign, digits with one decimal point and an exponent, or
//   "&H" hexadecimal / "&O" octal; no grouping separators; the LCID is not consulted.
#include "date_text.h"
#include "oleauto.h"
#include "variant_type.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using i128 = __int128;
using u128 = unsigned __int128;

constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958465.99999999;
const u128 kMaxDecimal = (static_cast<u128>(1) << 96) - 1;
constexpr int kMaxObjectDepth = 8;

struct Number {
    enum Kind { Integer, Real, Currency, Decimal } kind = Integer;
    i128 integer = 0;
    double real = 0;
    bool haveReal = false; // text: the nearest double, parsed directly
    long long cy = 0;
    u128 mant = 0;
    int scale = 0;
    bool negative = false;
};

u128 Pow10(int n) {
    u128 r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

// q = round-half-even(value / 10^n)
u128 DivRound(u128 value, int n) {
    if (n <= 0)
        return value;
    if (n > 38)
        return 0;
    u128 d = Pow10(n);
    u128 q = value / d, r = value % d;
    u128 half = d / 2;
    if (r > half || (r == half && (q & 1)))
        ++q;
    return q;
}

double ToDouble(const Number& n) {
    if (n.haveReal)
        return n.real;
    switch (n.kind) {
    case Number::Integer:
        return static_cast<double>(n.integer);
    case Number::Real:
        return n.real;
    case Number::Currency:
        return static_cast<double>(n.cy) / 10000.0;
    case Number::Decimal: {
        double v = static_cast<double>(n.mant) / std::pow(10.0, n.scale);
        return n.negative ? -v : v;
    }
    }
    return 0;
}

// The value rounded to an integer; false when it does not fit in 127 bits.
bool ToInteger(const Number& n, i128& out) {
    switch (n.kind) {
    case Number::Integer:
        out = n.integer;
        return true;
    case Number::Real: {
        if (!std::isfinite(n.real) || std::fabs(n.real) >= 1.0e38)
            return false;
        out = static_cast<i128>(std::nearbyint(n.real));
        return true;
    }
    case Number::Currency: {
        bool neg = n.cy < 0;
        u128 mag = neg ? static_cast<u128>(-static_cast<i128>(n.cy)) : static_cast<u128>(n.cy);
        u128 q = DivRound(mag, 4);
        out = neg ? -static_cast<i128>(q) : static_cast<i128>(q);
        return true;
    }
    case Number::Decimal: {
        u128 q = DivRound(n.mant, n.scale);
        out = n.negative ? -static_cast<i128>(q) : static_cast<i128>(q);
        return true;
    }
    }
    return false;
}

bool ToCurrency(const Number& n, long long& out) {
    constexpr i128 kMax = static_cast<i128>(0x7FFFFFFFFFFFFFFFLL);
    i128 scaled = 0;
    switch (n.kind) {
    case Number::Integer:
        if (n.integer > kMax / 10000 || n.integer < -kMax / 10000 - 1)
            return false;
        scaled = n.integer * 10000;
        break;
    case Number::Real: {
        double v = ToDouble(n) * 10000.0;
        if (!std::isfinite(v) || v >= 9.2233720368547758e18 || v < -9.2233720368547758e18)
            return false;
        scaled = static_cast<i128>(std::nearbyint(v));
        break;
    }
    case Number::Currency:
        out = n.cy;
        return true;
    case Number::Decimal: {
        u128 mag = n.scale >= 4 ? DivRound(n.mant, n.scale - 4) : n.mant * Pow10(4 - n.scale);
        if (n.scale < 4 && n.mant > kMaxDecimal)
            return false;
        scaled = n.negative ? -static_cast<i128>(mag) : static_cast<i128>(mag);
        break;
    }
    }
    if (scaled > kMax || scaled < -kMax - 1)
        return false;
    out = static_cast<long long>(scaled);
    return true;
}

void Normalize(DECIMAL& d, u128 mant, int scale, bool negative) {
    while (scale > 0 && mant % 10 == 0) {
        mant /= 10;
        --scale;
    }
    std::memset(&d, 0, sizeof d);
    d.Lo64 = static_cast<ULONGLONG>(mant);
    d.Hi32 = static_cast<ULONG>(mant >> 64);
    d.scale = static_cast<BYTE>(scale);
    d.sign = negative && mant ? DECIMAL_NEG : 0;
}

bool ToDecimal(const Number& n, DECIMAL& out) {
    switch (n.kind) {
    case Number::Integer: {
        bool neg = n.integer < 0;
        u128 mag = neg ? static_cast<u128>(-n.integer) : static_cast<u128>(n.integer);
        if (mag > kMaxDecimal)
            return false;
        Normalize(out, mag, 0, neg);
        return true;
    }
    case Number::Currency: {
        bool neg = n.cy < 0;
        u128 mag = neg ? static_cast<u128>(-static_cast<i128>(n.cy)) : static_cast<u128>(n.cy);
        Normalize(out, mag, 4, neg);
        return true;
    }
    case Number::Decimal:
        if (n.mant > kMaxDecimal)
            return false;
        Normalize(out, n.mant, n.scale, n.negative);
        return true;
    case Number::Real: {
        double v = ToDouble(n);
        if (!std::isfinite(v) || std::fabs(v) >= 7.9228162514264338e28)
            return false;
        if (v == 0) {
            Normalize(out, 0, 0, false);
            return true;
        }
        // Fifteen significant digits, as the double's text form carries them.
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(v));
        u128 mant = 0;
        const char* p = buffer;
        for (; *p && *p != 'e'; ++p)
            if (*p >= '0' && *p <= '9')
                mant = mant * 10 + static_cast<unsigned>(*p - '0');
        int exponent = std::atoi(p + 1) - 14;
        int scale = 0;
        if (exponent >= 0) {
            mant *= Pow10(exponent);
        } else {
            scale = -exponent;
            if (scale > 28) {
                mant = DivRound(mant, scale - 28);
                scale = 28;
            }
        }
        if (mant > kMaxDecimal)
            return false;
        Normalize(out, mant, scale, v < 0);
        return true;
    }
    }
    return false;
}

std::u16string Ascii(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

std::string Digits(u128 v) {
    if (v == 0)
        return "0";
    std::string s;
    while (v) {
        s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
        v /= 10;
    }
    return s;
}

// Fixed-point text of mant / 10^scale without trailing zeros.
std::string ScaledText(u128 mant, int scale, bool negative) {
    std::string digits = Digits(mant);
    std::string text;
    if (scale > 0) {
        if (static_cast<int>(digits.size()) <= scale)
            digits.insert(0, static_cast<std::size_t>(scale - static_cast<int>(digits.size()) + 1), '0');
        std::string whole = digits.substr(0, digits.size() - static_cast<std::size_t>(scale));
        std::string frac = digits.substr(digits.size() - static_cast<std::size_t>(scale));
        while (!frac.empty() && frac.back() == '0')
            frac.pop_back();
        text = frac.empty() ? whole : whole + "." + frac;
    } else {
        text = digits;
    }
    if (negative && mant != 0)
        text.insert(text.begin(), '-');
    return text;
}

std::string RealText(double v, int digits) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.*G", digits, v);
    return buffer;
}

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xA0;
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z')
            x = static_cast<char16_t>(x + 32);
        if (y >= u'A' && y <= u'Z')
            y = static_cast<char16_t>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

bool ParseNumber(std::u16string_view text, Number& out) {
    text = Trim(text);
    if (text.empty())
        return false;
    if (text.size() > 2 && text[0] == u'&' &&
        (text[1] == u'H' || text[1] == u'h' || text[1] == u'O' || text[1] == u'o')) {
        unsigned base = (text[1] == u'H' || text[1] == u'h') ? 16 : 8;
        u128 value = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            char16_t c = text[i];
            unsigned d;
            if (c >= u'0' && c <= u'9')
                d = c - u'0';
            else if (base == 16 && c >= u'a' && c <= u'f')
                d = c - u'a' + 10;
            else if (base == 16 && c >= u'A' && c <= u'F')
                d = c - u'A' + 10;
            else
                return false;
            if (d >= base)
                return false;
            value = value * base + d;
            if (value > 0xFFFFFFFFFFFFFFFFull)
                return false;
        }
        out = Number{};
        out.kind = Number::Integer;
        out.integer = static_cast<i128>(value);
        return true;
    }
    std::string ascii;
    std::size_t i = 0;
    bool negative = false;
    if (text[i] == u'+' || text[i] == u'-') {
        negative = text[i] == u'-';
        ++i;
    }
    std::string digits; // significant digits, integer and fraction together
    int fractionDigits = 0;
    bool seenPoint = false, anyDigit = false;
    for (; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'0' && c <= u'9') {
            anyDigit = true;
            // Leading zeros carry no digit; after the point they still count in the scale.
            if (!(digits.empty() && c == u'0'))
                digits.push_back(static_cast<char>(c));
            if (seenPoint)
                ++fractionDigits;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return false;
    long exponent = 0;
    bool hasExponent = false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        hasExponent = true;
        ++i;
        bool expNegative = false;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
            expNegative = text[i] == u'-';
            ++i;
        }
        bool expDigit = false;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            expDigit = true;
            if (exponent < 100000)
                exponent = exponent * 10 + (text[i] - u'0');
        }
        if (!expDigit)
            return false;
        if (expNegative)
            exponent = -exponent;
    }
    if (i != text.size())
        return false;

    // The nearest double, for the floating targets.
    std::string plain;
    if (negative)
        plain.push_back('-');
    for (char16_t c : text.substr(negative || text[0] == u'+' ? 1 : 0)) {
        if (c == u'+' && !plain.empty() && (plain.back() == 'e' || plain.back() == 'E'))
            continue;
        plain.push_back(static_cast<char>(c));
    }
    double real = 0;
    auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), real);
    out = Number{};
    if (ec == std::errc::result_out_of_range)
        real = negative ? -HUGE_VAL : HUGE_VAL;
    else if (ec != std::errc() || ptr != plain.data() + plain.size())
        return false;
    out.real = real;
    out.haveReal = true;

    long scale = fractionDigits - exponent;
    // Drop trailing zeros of the significand while they only add scale.
    while (scale > 0 && !digits.empty() && digits.back() == '0' && digits.size() > 0) {
        digits.pop_back();
        --scale;
    }
    if (digits.empty()) {
        out.kind = Number::Integer;
        out.integer = 0;
        return true;
    }
    if (scale <= 0 && static_cast<long>(digits.size()) - scale <= 37) {
        u128 v = 0;
        for (char c : digits)
            v = v * 10 + static_cast<unsigned>(c - '0');
        v *= Pow10(static_cast<int>(-scale));
        out.kind = Number::Integer;
        out.integer = negative ? -static_cast<i128>(v) : static_cast<i128>(v);
        return true;
    }
    if (scale > 0 && scale <= 28 && digits.size() <= 29) {
        u128 v = 0;
        for (char c : digits)
            v = v * 10 + static_cast<unsigned>(c - '0');
        if (v <= kMaxDecimal) {
            out.kind = Number::Decimal;
            out.mant = v;
            out.scale = static_cast<int>(scale);
            out.negative = negative;
            return true;
        }
    }
    (void)hasExponent;
    out.kind = Number::Real;
    return true;
}

// A by-value source's number; false when it has none (null, error, object, array).
HRESULT NumberOf(const VARIANT& v, Number& n, bool toBool) {
    n = Number{};
    switch (v.vt) {
    case VT_EMPTY:
        return S_OK;
    case VT_I1:
        n.integer = v.cVal;
        return S_OK;
    case VT_UI1:
        n.integer = v.bVal;
        return S_OK;
    case VT_I2:
        n.integer = v.iVal;
        return S_OK;
    case VT_UI2:
        n.integer = v.uiVal;
        return S_OK;
    case VT_I4:
        n.integer = v.lVal;
        return S_OK;
    case VT_UI4:
        n.integer = v.ulVal;
        return S_OK;
    case VT_INT:
        n.integer = v.intVal;
        return S_OK;
    case VT_UINT:
        n.integer = v.uintVal;
        return S_OK;
    case VT_I8:
        n.integer = v.llVal;
        return S_OK;
    case VT_UI8:
        n.integer = v.ullVal;
        return S_OK;
    case VT_BOOL:
        n.integer = v.boolVal;
        return S_OK;
    case VT_R4:
        n.kind = Number::Real;
        n.real = v.fltVal;
        return S_OK;
    case VT_R8:
    case VT_DATE:
        n.kind = Number::Real;
        n.real = v.dblVal;
        return S_OK;
    case VT_CY:
        n.kind = Number::Currency;
        n.cy = v.cyVal.int64;
        return S_OK;
    case VT_DECIMAL:
        if (v.decVal.scale > 28)
            return DISP_E_TYPEMISMATCH;
        n.kind = Number::Decimal;
        n.mant = (static_cast<u128>(v.decVal.Hi32) << 64) | v.decVal.Lo64;
        n.scale = v.decVal.scale;
        n.negative = (v.decVal.sign & DECIMAL_NEG) != 0;
        return S_OK;
    case VT_BSTR: {
        std::u16string_view text(v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal));
        if (toBool) {
            std::u16string_view t = Trim(text);
            if (EqualsNoCase(t, u"True")) {
                n.integer = -1;
                return S_OK;
            }
            if (EqualsNoCase(t, u"False"))
                return S_OK;
        }
        return ParseNumber(text, n) ? S_OK : DISP_E_TYPEMISMATCH;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

bool IntegerRange(VARTYPE vt, i128& lo, i128& hi) {
    switch (vt) {
    case VT_I1:
        lo = -128, hi = 127;
        return true;
    case VT_UI1:
        lo = 0, hi = 255;
        return true;
    case VT_I2:
        lo = -32768, hi = 32767;
        return true;
    case VT_UI2:
        lo = 0, hi = 65535;
        return true;
    case VT_I4:
    case VT_INT:
        lo = -2147483647 - 1, hi = 2147483647;
        return true;
    case VT_UI4:
    case VT_UINT:
        lo = 0, hi = 0xFFFFFFFFll;
        return true;
    case VT_I8:
        lo = static_cast<i128>(-0x7FFFFFFFFFFFFFFFLL - 1), hi = 0x7FFFFFFFFFFFFFFFLL;
        return true;
    case VT_UI8:
        lo = 0, hi = static_cast<i128>(0xFFFFFFFFFFFFFFFFull);
        return true;
    default:
        return false;
    }
}

void StoreInteger(VARIANT& r, VARTYPE vt, i128 value) {
    switch (vt) {
    case VT_I1:
        r.cVal = static_cast<CHAR>(value);
        break;
    case VT_UI1:
        r.bVal = static_cast<BYTE>(value);
        break;
    case VT_I2:
        r.iVal = static_cast<SHORT>(value);
        break;
    case VT_UI2:
        r.uiVal = static_cast<USHORT>(value);
        break;
    case VT_I4:
        r.lVal = static_cast<LONG>(value);
        break;
    case VT_INT:
        r.intVal = static_cast<INT>(value);
        break;
    case VT_UI4:
        r.ulVal = static_cast<ULONG>(value);
        break;
    case VT_UINT:
        r.uintVal = static_cast<UINT>(value);
        break;
    case VT_I8:
        r.llVal = static_cast<LONGLONG>(value);
        break;
    case VT_UI8:
        r.ullVal = static_cast<ULONGLONG>(value);
        break;
    default:
        break;
    }
    r.vt = vt;
}

bool IsUnsigned(VARTYPE vt) {
    return vt == VT_UI1 || vt == VT_UI2 || vt == VT_UI4 || vt == VT_UINT || vt == VT_UI8;
}

// Text of a by-value scalar source.
HRESULT TextOf(const VARIANT& v, USHORT flags, std::u16string& text) {
    switch (v.vt) {
    case VT_EMPTY:
        text.clear();
        return S_OK;
    case VT_BOOL:
        if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL))
            text = v.boolVal ? u"True" : u"False";
        else
            text = v.boolVal ? u"-1" : u"0";
        return S_OK;
    case VT_R4:
        text = Ascii(RealText(v.fltVal, 7));
        return S_OK;
    case VT_R8:
        text = Ascii(RealText(v.dblVal, 15));
        return S_OK;
    case VT_DATE:
        text = qx::com::detail::FormatDate(v.date);
        return text.empty() ? DISP_E_OVERFLOW : S_OK;
    case VT_CY: {
        bool neg = v.cyVal.int64 < 0;
        u128 mag =
            neg ? static_cast<u128>(-static_cast<i128>(v.cyVal.int64)) : static_cast<u128>(v.cyVal.int64);
        text = Ascii(ScaledText(mag, 4, neg));
        return S_OK;
    }
    case VT_DECIMAL: {
        if (v.decVal.scale > 28)
            return DISP_E_TYPEMISMATCH;
        u128 mant = (static_cast<u128>(v.decVal.Hi32) << 64) | v.decVal.Lo64;
        text = Ascii(ScaledText(mant, v.decVal.scale, (v.decVal.sign & DECIMAL_NEG) != 0));
        return S_OK;
    }
    default: {
        Number n;
        HRESULT hr = NumberOf(v, n, false);
        if (FAILED(hr) || n.kind != Number::Integer)
            return DISP_E_TYPEMISMATCH;
        bool neg = n.integer < 0;
        text = Ascii(ScaledText(neg ? static_cast<u128>(-n.integer) : static_cast<u128>(n.integer), 0, neg));
        return S_OK;
    }
    }
}

HRESULT ObjectValue(IDispatch* disp, VARIANT& out) {
    VariantInit(&out);
    if (!disp)
        return DISP_E_TYPEMISMATCH;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    HRESULT hr = disp->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                              DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, &out, nullptr, nullptr);
    if (FAILED(hr)) {
        VariantClear(&out);
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

bool IsTargetType(VARTYPE vt) {
    if (vt & VT_BYREF)
        return false;
    if (vt & VT_ARRAY)
        return qx::com::detail::IsValidVariantType(vt);
    return qx::com::detail::IsValueType(vt);
}

// Converts a by-value source into result (which starts empty and owns what it gets).
HRESULT Convert(const VARIANT& src, VARIANT& result, USHORT flags, VARTYPE vt, int depth) {
    if (src.vt == vt)
        return VariantCopy(&result, &src);
    if (vt == VT_EMPTY)
        return S_OK;
    if ((src.vt & VT_ARRAY) || (vt & VT_ARRAY))
        return DISP_E_TYPEMISMATCH;
    if (vt == VT_NULL) {
        if (src.vt != VT_EMPTY)
            return DISP_E_TYPEMISMATCH;
        result.vt = VT_NULL;
        return S_OK;
    }
    // Objects.
    if (src.vt == VT_DISPATCH || src.vt == VT_UNKNOWN) {
        if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
            IUnknown* p = src.punkVal;
            if (!p) {
                result.vt = vt;
                result.punkVal = nullptr;
                return S_OK;
            }
            void* out = nullptr;
            if (FAILED(p->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &out)))
                return DISP_E_TYPEMISMATCH;
            result.vt = vt;
            result.punkVal = static_cast<IUnknown*>(out);
            return S_OK;
        }
        if ((flags & VARIANT_NOVALUEPROP) || depth >= kMaxObjectDepth)
            return DISP_E_TYPEMISMATCH;
        IDispatch* disp = nullptr;
        if (src.vt == VT_DISPATCH) {
            disp = src.pdispVal;
            if (disp)
                disp->AddRef();
        } else if (!src.punkVal ||
                   FAILED(src.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp)))) {
            return DISP_E_TYPEMISMATCH;
        }
        if (!disp)
            return DISP_E_TYPEMISMATCH;
        VARIANT value;
        HRESULT hr = ObjectValue(disp, value);
        disp->Release();
        if (FAILED(hr))
            return hr;
        VARIANT plain;
        VariantInit(&plain);
        hr = VariantCopyInd(&plain, &value);
        VariantClear(&value);
        if (SUCCEEDED(hr))
            hr = Convert(plain, result, flags, vt, depth + 1);
        VariantClear(&plain);
        return hr;
    }
    if (vt == VT_DISPATCH || vt == VT_UNKNOWN || vt == VT_ERROR || src.vt == VT_ERROR || src.vt == VT_NULL)
        return DISP_E_TYPEMISMATCH;

    if (vt == VT_BSTR) {
        std::u16string text;
        HRESULT hr = TextOf(src, flags, text);
        if (FAILED(hr))
            return hr;
        BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!s)
            return E_OUTOFMEMORY;
        result.vt = VT_BSTR;
        result.bstrVal = s;
        return S_OK;
    }
    if (vt == VT_DATE && src.vt == VT_BSTR) {
        double date = 0;
        std::u16string_view text(src.bstrVal ? src.bstrVal : u"", SysStringLen(src.bstrVal));
        if (!qx::com::detail::ParseDate(text, date))
            return DISP_E_TYPEMISMATCH;
        result.vt = VT_DATE;
        result.date = date;
        return S_OK;
    }

    Number n;
    HRESULT hr = NumberOf(src, n, vt == VT_BOOL);
    if (FAILED(hr))
        return hr;
    switch (vt) {
    case VT_BOOL: {
        bool nonZero = n.kind == Number::Integer    ? n.integer != 0
                       : n.kind == Number::Currency ? n.cy != 0
                       : n.kind == Number::Decimal  ? n.mant != 0
                                                    : ToDouble(n) != 0;
        result.vt = VT_BOOL;
        result.boolVal = nonZero ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    case VT_R4: {
        double d = ToDouble(n);
        if (std::isfinite(d) && std::fabs(d) > FLT_MAX)
            return DISP_E_OVERFLOW;
        if (!std::isfinite(d) && src.vt == VT_BSTR)
            return DISP_E_OVERFLOW;
        result.vt = VT_R4;
        result.fltVal = static_cast<float>(d);
        return S_OK;
    }
    case VT_R8: {
        double d = ToDouble(n);
        if (!std::isfinite(d) && src.vt == VT_BSTR)
            return DISP_E_OVERFLOW;
        result.vt = VT_R8;
        result.dblVal = d;
        return S_OK;
    }
    case VT_DATE: {
        double d = ToDouble(n);
        if (!(d >= kMinDate && d <= kMaxDate))
            return DISP_E_OVERFLOW;
        result.vt = VT_DATE;
        result.date = d;
        return S_OK;
    }
    case VT_CY: {
        long long cy = 0;
        if (!ToCurrency(n, cy))
            return DISP_E_OVERFLOW;
        result.vt = VT_CY;
        result.cyVal.int64 = cy;
        return S_OK;
    }
    case VT_DECIMAL: {
        DECIMAL d;
        if (!ToDecimal(n, d))
            return DISP_E_OVERFLOW;
        result.decVal = d;
        result.vt = VT_DECIMAL;
        return S_OK;
    }
    default: {
        i128 lo = 0, hi = 0;
        if (!IntegerRange(vt, lo, hi))
            return DISP_E_TYPEMISMATCH;
        i128 value = 0;
        if (!ToInteger(n, value))
            return DISP_E_OVERFLOW;
        // VARIANT_TRUE into an unsigned type keeps its bits.
        if (src.vt == VT_BOOL && IsUnsigned(vt) && value < 0)
            value += hi + 1;
        if (value < lo || value > hi)
            return DISP_E_OVERFLOW;
        StoreInteger(result, vt, value);
        return S_OK;
    }
    }
}

} // namespace

HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID, USHORT wFlags,
                            VARTYPE vt) {
    if (!pvargDest || !pvarSrc)
        return E_INVALIDARG;
    if (!qx::com::detail::IsValidVariantType(pvarSrc->vt) || !IsTargetType(vt))
        return DISP_E_BADVARTYPE;
    VARIANT plain;
    VariantInit(&plain);
    HRESULT hr = VariantCopyInd(&plain, pvarSrc);
    if (FAILED(hr))
        return hr;
    VARIANT result;
    VariantInit(&result);
    hr = Convert(plain, result, wFlags, vt, 0);
    VariantClear(&plain);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    // Source and destination may be the same VARIANT.
    hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *pvargDest = result;
    return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt) {
    return VariantChangeTypeEx(pvargDest, pvarSrc, LOCALE_USER_DEFAULT, wFlags, vt);
}
