// The Automation coercions of VariantChangeType, as a table.
#include "objbase.h"
#include "qx/com/bstr.h"
#include "qx/com/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

using qx::com::Bstr;
using qx::com::Variant;

namespace {

Variant Text(const char16_t* s) {
    return Variant(s);
}

Variant Cy(LONGLONG scaled) {
    Variant v;
    v.vt = VT_CY;
    v.cyVal.int64 = scaled;
    return v;
}

Variant Dec(ULONGLONG lo, BYTE scale, bool negative = false) {
    Variant v;
    v.decVal.Lo64 = lo;
    v.decVal.Hi32 = 0;
    v.decVal.scale = scale;
    v.decVal.sign = negative ? DECIMAL_NEG : 0;
    v.vt = VT_DECIMAL;
    return v;
}

std::u16string AsText(const VARIANT& v) {
    Variant t;
    if (FAILED(VariantChangeType(&t, &v, VARIANT_ALPHABOOL, VT_BSTR)))
        return u"<fail>";
    return std::u16string(Bstr(t.bstrVal).View());
}

struct Case {
    const char* what;
    Variant from;
    VARTYPE to;
    HRESULT hr;
    const char16_t* expect; // the result in text form (VARIANT_ALPHABOOL), when hr is S_OK
};

TEST(VariantChangeType, Table) {
    Case cases[] = {
        // numbers between each other
        {"I4 to I2", Variant(LONG(32767)), VT_I2, S_OK, u"32767"},
        {"I4 to I2 overflow", Variant(LONG(32768)), VT_I2, DISP_E_OVERFLOW, nullptr},
        {"I4 to UI1 negative", Variant(LONG(-1)), VT_UI1, DISP_E_OVERFLOW, nullptr},
        {"I4 to UI4", Variant(LONG(7)), VT_UI4, S_OK, u"7"},
        {"R8 half to even down", Variant(2.5), VT_I4, S_OK, u"2"},
        {"R8 half to even up", Variant(3.5), VT_I4, S_OK, u"4"},
        {"R8 negative half", Variant(-2.5), VT_I4, S_OK, u"-2"},
        {"R8 to I4 overflow", Variant(3e9), VT_I4, DISP_E_OVERFLOW, nullptr},
        {"R8 to R4 overflow", Variant(1e300), VT_R4, DISP_E_OVERFLOW, nullptr},
        {"I8 min to I8", Variant(LONGLONG(INT64_MIN)), VT_I8, S_OK, u"-9223372036854775808"},
        {"UI8 max", Variant(u"18446744073709551615"), VT_UI8, S_OK, u"18446744073709551615"},
        {"UI8 past max", Variant(u"18446744073709551616"), VT_UI8, DISP_E_OVERFLOW, nullptr},
        {"CY to I4 rounds", Cy(25000), VT_I4, S_OK, u"2"},
        {"R8 to CY", Variant(1.23456), VT_CY, S_OK, u"1.2346"},
        {"DECIMAL to R8", Dec(12345, 2), VT_R8, S_OK, u"123.45"},
        {"DECIMAL to I4", Dec(12355, 1, true), VT_I4, S_OK, u"-1236"},
        {"I4 to DECIMAL", Variant(LONG(-17)), VT_DECIMAL, S_OK, u"-17"},
        {"R8 to DECIMAL", Variant(0.1), VT_DECIMAL, S_OK, u"0.1"},
        // BOOL
        {"true to I4", Variant(true), VT_I4, S_OK, u"-1"},
        {"true to UI1 keeps its bits", Variant(true), VT_UI1, S_OK, u"255"},
        {"non-zero to BOOL", Variant(LONG(5)), VT_BOOL, S_OK, u"True"},
        {"zero to BOOL", Variant(0.0), VT_BOOL, S_OK, u"False"},
        {"text True", Text(u" true "), VT_BOOL, S_OK, u"True"},
        {"text FALSE", Text(u"FALSE"), VT_BOOL, S_OK, u"False"},
        {"text number to BOOL", Text(u"-3"), VT_BOOL, S_OK, u"True"},
        {"text zero to BOOL", Text(u"0.0"), VT_BOOL, S_OK, u"False"},
        {"bad text to BOOL", Text(u"yes"), VT_BOOL, DISP_E_TYPEMISMATCH, nullptr},
        // text to numbers
        {"text to I4", Text(u"  -123 "), VT_I4, S_OK, u"-123"},
        {"text with plus", Text(u"+45"), VT_I2, S_OK, u"45"},
        {"text fraction to I4 rounds even", Text(u"2.5"), VT_I4, S_OK, u"2"},
        {"text exponent", Text(u"1.5e3"), VT_I4, S_OK, u"1500"},
        {"text to R8", Text(u"0.1"), VT_R8, S_OK, u"0.1"},
        {"text without leading digit", Text(u"-.5"), VT_R8, S_OK, u"-0.5"},
        {"text with trailing point", Text(u"5."), VT_I4, S_OK, u"5"},
        {"text exponent sign", Text(u"2E+2"), VT_R8, S_OK, u"200"},
        {"lone point", Text(u"."), VT_R8, DISP_E_TYPEMISMATCH, nullptr},
        {"lone sign", Text(u"-"), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {"bare hex prefix", Text(u"&H"), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {"leading zeros", Text(u"007"), VT_I2, S_OK, u"7"},
        {"tiny fraction to I4", Text(u"0.0000001"), VT_I4, S_OK, u"0"},
        {"text hex", Text(u"&HFF"), VT_I4, S_OK, u"255"},
        {"text octal", Text(u"&O17"), VT_I4, S_OK, u"15"},
        {"text overflow", Text(u"99999999999"), VT_I4, DISP_E_OVERFLOW, nullptr},
        {"text to R8 overflow", Text(u"1e999"), VT_R8, DISP_E_OVERFLOW, nullptr},
        {"empty text", Text(u""), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {"letters", Text(u"12abc"), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {"two points", Text(u"1.2.3"), VT_R8, DISP_E_TYPEMISMATCH, nullptr},
        {"grouping", Text(u"1,000"), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {"text to CY", Text(u"12.34567"), VT_CY, S_OK, u"12.3457"},
        {"text to DECIMAL exact", Text(u"1234567890.0123456789"), VT_DECIMAL, S_OK, u"1234567890.0123456789"},
        // numbers to text
        {"R8 to text", Variant(1.5), VT_BSTR, S_OK, u"1.5"},
        {"R8 large to text", Variant(1e20), VT_BSTR, S_OK, u"1E+20"},
        {"R4 to text", Variant(0.1f), VT_BSTR, S_OK, u"0.1"},
        {"CY to text", Cy(-15000), VT_BSTR, S_OK, u"-1.5"},
        {"UI1 to text", Variant(BYTE(200)), VT_BSTR, S_OK, u"200"},
        // dates
        {"DATE to text", Variant(36526.75, VT_DATE), VT_BSTR, S_OK, u"1/1/2000 6:00:00 PM"},
        {"DATE midnight", Variant(36526.0, VT_DATE), VT_BSTR, S_OK, u"1/1/2000"},
        {"DATE time only", Variant(0.5, VT_DATE), VT_BSTR, S_OK, u"12:00:00 PM"},
        {"DATE before 1899", Variant(-1.25, VT_DATE), VT_BSTR, S_OK, u"12/29/1899 6:00:00 AM"},
        {"text to DATE", Text(u"12/31/1999 11:59:59 PM"), VT_DATE, S_OK, u"12/31/1999 11:59:59 PM"},
        {"ISO text to DATE", Text(u"2024-02-29 13:05"), VT_DATE, S_OK, u"2/29/2024 1:05:00 PM"},
        {"two-digit year", Text(u"3/4/29"), VT_DATE, S_OK, u"3/4/2029"},
        {"12 AM is midnight", Text(u"1/2/2003 12:30 AM"), VT_DATE, S_OK, u"1/2/2003 12:30:00 AM"},
        {"bad day", Text(u"2/30/2001"), VT_DATE, DISP_E_TYPEMISMATCH, nullptr},
        {"bad hour", Text(u"1/1/2001 13:00 PM"), VT_DATE, DISP_E_TYPEMISMATCH, nullptr},
        {"not a date", Text(u"soon"), VT_DATE, DISP_E_TYPEMISMATCH, nullptr},
        {"R8 to DATE overflow", Variant(3e6), VT_DATE, DISP_E_OVERFLOW, nullptr},
        // empty, null, error
        {"EMPTY to I4", Variant(), VT_I4, S_OK, u"0"},
        {"EMPTY to BSTR", Variant(), VT_BSTR, S_OK, u""},
        {"EMPTY to BOOL", Variant(), VT_BOOL, S_OK, u"False"},
        {"NULL to I4", Variant::Null(), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {"NULL to BSTR", Variant::Null(), VT_BSTR, DISP_E_TYPEMISMATCH, nullptr},
        {"ERROR to I4", Variant::Error(E_FAIL), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {"I4 to DISPATCH", Variant(LONG(1)), VT_DISPATCH, DISP_E_TYPEMISMATCH, nullptr},
    };
    for (Case& c : cases) {
        Variant out;
        HRESULT hr = VariantChangeType(&out, &c.from, 0, c.to);
        EXPECT_EQ(hr, c.hr) << c.what;
        if (hr == S_OK && c.hr == S_OK) {
            EXPECT_EQ(out.vt, c.to) << c.what;
            EXPECT_EQ(AsText(out), c.expect) << c.what;
        }
        if (FAILED(c.hr)) {
            EXPECT_EQ(out.vt, VT_EMPTY) << c.what << ": a failed conversion leaves the destination alone";
        }
    }
}

TEST(VariantChangeType, BoolToTextIsNumericUnlessAlphaBoolIsAsked) {
    Variant t(true), out;
    ASSERT_EQ(VariantChangeType(&out, &t, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Bstr(out.bstrVal).View(), u"-1");
    ASSERT_EQ(VariantChangeType(&out, &t, VARIANT_ALPHABOOL, VT_BSTR), S_OK);
    EXPECT_EQ(Bstr(out.bstrVal).View(), u"True");
    Variant f(false);
    ASSERT_EQ(VariantChangeType(&out, &f, VARIANT_LOCALBOOL, VT_BSTR), S_OK);
    EXPECT_EQ(Bstr(out.bstrVal).View(), u"False");
}

TEST(VariantChangeType, InPlaceAndThroughReferences) {
    Variant v(u"  17 ");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 17);

    BSTR text = SysAllocString(u"2.25");
    Variant ref = Variant::ByRef(VT_BSTR, &text), out;
    ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_R8), S_OK);
    EXPECT_EQ(out.dblVal, 2.25);
    SysFreeString(text);

    Variant target = Variant(u"keep");
    Variant bad(u"x");
    EXPECT_EQ(VariantChangeType(&target, &bad, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Bstr(target.bstrVal).View(), u"keep");
}

TEST(VariantChangeType, BadTypesAreRejected) {
    Variant v(LONG(1)), out;
    EXPECT_EQ(VariantChangeType(&out, &v, 0, VT_VARIANT), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantChangeType(&out, &v, 0, VT_BYREF | VT_I4), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantChangeType(&out, &v, 0, 0x55), DISP_E_BADVARTYPE);
    Variant junk;
    junk.vt = 0x77;
    EXPECT_EQ(VariantChangeType(&out, &junk, 0, VT_I4), DISP_E_BADVARTYPE);
    junk.vt = VT_EMPTY;
    EXPECT_EQ(VariantChangeType(nullptr, &v, 0, VT_I4), E_INVALIDARG);
}

TEST(VariantTime, SystemTimeRoundTrip) {
    SYSTEMTIME st{2026, 12, 0, 8, 20, 46, 59, 0};
    double date = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &date));
    SYSTEMTIME back{};
    ASSERT_TRUE(VariantTimeToSystemTime(date, &back));
    EXPECT_EQ(back.wYear, 2026);
    EXPECT_EQ(back.wMonth, 12);
    EXPECT_EQ(back.wDay, 8);
    EXPECT_EQ(back.wDayOfWeek, 2); // a Tuesday
    EXPECT_EQ(back.wHour, 20);
    EXPECT_EQ(back.wMinute, 46);
    EXPECT_EQ(back.wSecond, 59);
    SYSTEMTIME bad{2026, 13, 0, 1, 0, 0, 0, 0};
    EXPECT_FALSE(SystemTimeToVariantTime(&bad, &date));
    EXPECT_FALSE(VariantTimeToSystemTime(1e9, &back));
}

} // namespace
