// SAFEARRAY: vectors, several dimensions, owned elements.
#include "objbase.h"
#include "qx/com/bstr.h"
#include "qx/com/variant.h"

#include <gtest/gtest.h>

using qx::com::Bstr;
using qx::com::Variant;

namespace {

class Counted : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    ULONG refs = 0;
    virtual ~Counted() = default;
};

TEST(SafeArray, VectorOfBstrOwnsCopies) {
    SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 1, 3);
    ASSERT_NE(psa, nullptr);
    EXPECT_EQ(SafeArrayGetDim(psa), 1u);
    EXPECT_EQ(SafeArrayGetElemsize(psa), sizeof(BSTR));
    LONG lo = 0, hi = 0;
    SafeArrayGetLBound(psa, 1, &lo);
    SafeArrayGetUBound(psa, 1, &hi);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 3);
    VARTYPE vt;
    ASSERT_EQ(SafeArrayGetVartype(psa, &vt), S_OK);
    EXPECT_EQ(vt, VT_BSTR);

    Bstr words[] = {Bstr(u"one"), Bstr(u"two"), Bstr(u"three")};
    for (LONG i = 1; i <= 3; ++i)
        ASSERT_EQ(SafeArrayPutElement(psa, &i, words[i - 1].Get()), S_OK);
    LONG again = 2;
    ASSERT_EQ(SafeArrayPutElement(psa, &again, Bstr(u"deux").Get()), S_OK); // replaces and frees "two"
    BSTR got = nullptr;
    ASSERT_EQ(SafeArrayGetElement(psa, &again, &got), S_OK);
    EXPECT_EQ(Bstr::Attach(got).View(), u"deux");

    LONG outside[] = {0, 4};
    for (LONG i : outside)
        EXPECT_EQ(SafeArrayGetElement(psa, &i, &got), DISP_E_BADINDEX);

    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(psa, &copy), S_OK);
    ASSERT_EQ(SafeArrayDestroy(psa), S_OK);
    LONG three = 3;
    ASSERT_EQ(SafeArrayGetElement(copy, &three, &got), S_OK);
    EXPECT_EQ(Bstr::Attach(got).View(), u"three");
    SafeArrayDestroy(copy);
}

TEST(SafeArray, TwoDimensionsIndexLeftMostFastest) {
    SAFEARRAYBOUND bounds[] = {{2, 0}, {3, 10}}; // a(0..1, 10..12)
    SAFEARRAY* psa = SafeArrayCreate(VT_I4, 2, bounds);
    ASSERT_NE(psa, nullptr);
    LONG lo, hi;
    SafeArrayGetLBound(psa, 1, &lo);
    SafeArrayGetUBound(psa, 1, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 1);
    SafeArrayGetLBound(psa, 2, &lo);
    SafeArrayGetUBound(psa, 2, &hi);
    EXPECT_EQ(lo, 10);
    EXPECT_EQ(hi, 12);
    EXPECT_EQ(SafeArrayGetUBound(psa, 3, &hi), DISP_E_BADINDEX);
    for (LONG i = 0; i < 2; ++i)
        for (LONG j = 10; j < 13; ++j) {
            LONG index[] = {j, i}; // right-most dimension first
            LONG value = i * 100 + j;
            ASSERT_EQ(SafeArrayPutElement(psa, index, &value), S_OK);
        }
    LONG* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(psa, reinterpret_cast<void**>(&data)), S_OK);
    EXPECT_EQ(data[0], 10);  // a(0,10)
    EXPECT_EQ(data[1], 110); // a(1,10)
    EXPECT_EQ(data[2], 11);  // a(0,11)
    EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
    SafeArrayUnaccessData(psa);

    SAFEARRAYBOUND grown{4, 10};
    ASSERT_EQ(SafeArrayRedim(psa, &grown), S_OK);
    LONG kept[] = {12, 1}, added[] = {13, 0};
    LONG v = -1;
    SafeArrayGetElement(psa, kept, &v);
    EXPECT_EQ(v, 112);
    SafeArrayGetElement(psa, added, &v);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArray, VariantAndInterfaceElementsAreReleased) {
    Counted obj;
    SAFEARRAY* vars = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    SAFEARRAY* units = SafeArrayCreateVector(VT_UNKNOWN, 0, 2);
    LONG i0 = 0, i1 = 1;
    Variant holder(static_cast<IUnknown*>(&obj));
    ASSERT_EQ(SafeArrayPutElement(vars, &i0, &holder), S_OK);
    Variant text(u"text");
    ASSERT_EQ(SafeArrayPutElement(vars, &i1, &text), S_OK);
    ASSERT_EQ(SafeArrayPutElement(units, &i0, static_cast<IUnknown*>(&obj)), S_OK);
    EXPECT_EQ(obj.refs, 3u);
    Variant out;
    ASSERT_EQ(SafeArrayGetElement(vars, &i1, &out), S_OK);
    EXPECT_EQ(Bstr(out.bstrVal).View(), u"text");

    // Shrinking releases the dropped elements.
    SAFEARRAYBOUND one{1, 0};
    ASSERT_EQ(SafeArrayRedim(units, &one), S_OK);
    EXPECT_EQ(obj.refs, 3u);
    Variant arrayHolder;
    arrayHolder.vt = VT_ARRAY | VT_UNKNOWN;
    arrayHolder.parray = units;
    Variant copy(arrayHolder);
    EXPECT_EQ(obj.refs, 4u);
    copy.Clear();
    arrayHolder.Clear();
    EXPECT_EQ(obj.refs, 2u);
    SafeArrayDestroy(vars);
    holder.Clear();
    EXPECT_EQ(obj.refs, 0u);
}

// Elements are the value types a VARIANT holds, and VARIANT itself; never EMPTY, NULL, flags or
// types that only type descriptions use.
TEST(SafeArray, ElementTypes) {
    const struct {
        VARTYPE vt;
        bool made;
    } cases[] = {
        {VT_I2, true},
        {VT_I4, true},
        {VT_R4, true},
        {VT_R8, true},
        {VT_CY, true},
        {VT_DATE, true},
        {VT_BSTR, true},
        {VT_DISPATCH, true},
        {VT_ERROR, true},
        {VT_BOOL, true},
        {VT_VARIANT, true},
        {VT_UNKNOWN, true},
        {VT_DECIMAL, true},
        {VT_I1, true},
        {VT_UI1, true},
        {VT_UI2, true},
        {VT_UI4, true},
        {VT_I8, true},
        {VT_UI8, true},
        {VT_INT, true},
        {VT_UINT, true},
        {VT_EMPTY, false},
        {VT_NULL, false},
        {VT_VOID, false},
        {VT_HRESULT, false},
        {VT_PTR, false},
        {VT_LPSTR, false},
        {VT_LPWSTR, false},
        {VT_USERDEFINED, false},
        {VT_I4 | VT_BYREF, false},
        {VT_I4 | VT_ARRAY, false},
    };
    for (const auto& c : cases) {
        SAFEARRAY* psa = SafeArrayCreateVector(c.vt, 0, 2);
        EXPECT_EQ(psa != nullptr, c.made) << c.vt;
        if (psa != nullptr)
            SafeArrayDestroy(psa);
    }
}

TEST(SafeArray, BadArgumentsFail) {
    EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 1), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4, 0, nullptr), nullptr);
    SAFEARRAYBOUND huge[] = {{0x10000, 0}, {0x10000, 0}, {0x10000, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_I4, 3, huge), nullptr);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
    SAFEARRAY* psa = nullptr;
    EXPECT_EQ(SafeArrayAllocDescriptor(0, &psa), E_INVALIDARG);
    SAFEARRAY* empty = SafeArrayCreateVector(VT_I4, 0, 0);
    ASSERT_NE(empty, nullptr);
    LONG i = 0, v = 0;
    EXPECT_EQ(SafeArrayGetElement(empty, &i, &v), DISP_E_BADINDEX);
    SafeArrayDestroy(empty);
}

} // namespace
