// BSTR layout and the VARIANT lifetime functions.
#include "objbase.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"

#include <gtest/gtest.h>

#include <cstring>

using qx::com::Bstr;
using qx::com::Variant;

namespace {

// Counts references so that tests can see every AddRef matched by a Release.
class Counted : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    ULONG refs = 0;
    virtual ~Counted() = default;
};

TEST(Bstr, CarriesItsByteLengthBeforeTheTextAndAZeroAfter) {
    BSTR s = SysAllocStringLen(u"ab\0cd", 5);
    ASSERT_NE(s, nullptr);
    DWORD prefix;
    std::memcpy(&prefix, reinterpret_cast<BYTE*>(s) - 4, 4);
    EXPECT_EQ(prefix, 10u);
    EXPECT_EQ(SysStringLen(s), 5u);
    EXPECT_EQ(SysStringByteLen(s), 10u);
    EXPECT_EQ(s[2], u'\0');
    EXPECT_EQ(s[5], u'\0');
    SysFreeString(s);
}

TEST(Bstr, NullIsTheEmptyString) {
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
    Bstr empty;
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(empty.View(), u"");
    EXPECT_TRUE(empty == Bstr(u""));
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
}

TEST(Bstr, ByteLengthKeepsOddCountsAndEndsInAWholeZero) {
    BSTR s = SysAllocStringByteLen("abc", 3);
    EXPECT_EQ(SysStringByteLen(s), 3u);
    EXPECT_EQ(SysStringLen(s), 1u);
    EXPECT_EQ(std::memcmp(s, "abc\0\0", 5), 0);
    SysFreeString(s);
}

TEST(Bstr, ReallocCopiesBeforeFreeingSoItsOwnTextMayBeTheSource) {
    BSTR s = SysAllocString(u"hello world");
    ASSERT_TRUE(SysReAllocStringLen(&s, s + 6, 5));
    EXPECT_EQ(std::u16string_view(s, SysStringLen(s)), u"world");
    ASSERT_TRUE(SysReAllocString(&s, u"x"));
    EXPECT_EQ(SysStringLen(s), 1u);
    SysFreeString(s);
}

TEST(Bstr, WrapperCopiesMovesAndConvertsUtf8) {
    Bstr a = Bstr::FromUtf8("h\xc3\xa9llo \xf0\x9f\x98\x80");
    EXPECT_EQ(a.View(), u"h\u00e9llo \U0001F600");
    EXPECT_EQ(a.ToUtf8(), "h\xc3\xa9llo \xf0\x9f\x98\x80");
    Bstr b = a;
    EXPECT_NE(a.Get(), b.Get());
    EXPECT_TRUE(a == b);
    Bstr c = std::move(b);
    EXPECT_EQ(b.Get(), nullptr);
    ASSERT_EQ(c.Append(u"!"), S_OK);
    EXPECT_EQ(c.View().back(), u'!');
    BSTR out = nullptr;
    EXPECT_EQ(c.CopyTo(&out), S_OK);
    EXPECT_EQ(Bstr::Attach(out), c);
    EXPECT_EQ(c.CopyTo(nullptr), E_POINTER);
    EXPECT_EQ(Bstr::FromUtf8("\xff\xc3").View(), u"\uFFFD\uFFFD");
}

TEST(Variant, ClearReleasesWhatItOwns) {
    Counted obj;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_UNKNOWN;
    v.punkVal = &obj;
    obj.AddRef();
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    EXPECT_EQ(obj.refs, 0u);

    v.vt = 0x7F; // no such type
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

TEST(Variant, CopyIsDeepAndClearsTheDestinationFirst) {
    Counted obj;
    Variant src(u"text");
    Variant dst(static_cast<IUnknown*>(&obj));
    EXPECT_EQ(obj.refs, 1u);
    ASSERT_EQ(VariantCopy(&dst, &src), S_OK);
    EXPECT_EQ(obj.refs, 0u);
    ASSERT_EQ(dst.vt, VT_BSTR);
    EXPECT_NE(dst.bstrVal, src.bstrVal);
    EXPECT_EQ(Bstr(dst.bstrVal).View(), u"text");
    EXPECT_EQ(VariantCopy(&dst, &dst), S_OK);

    Variant withObject(static_cast<IUnknown*>(&obj));
    Variant copy(withObject);
    EXPECT_EQ(obj.refs, 2u);
}

TEST(Variant, CopyIndFollowsReferences) {
    LONG number = 42;
    Variant ref = Variant::ByRef(VT_I4, &number);
    Variant out;
    ASSERT_EQ(VariantCopyInd(&out, &ref), S_OK);
    EXPECT_EQ(out.vt, VT_I4);
    EXPECT_EQ(out.lVal, 42);

    BSTR text = SysAllocString(u"shared");
    Variant bref = Variant::ByRef(VT_BSTR, &text);
    ASSERT_EQ(VariantCopyInd(&out, &bref), S_OK);
    EXPECT_EQ(out.vt, VT_BSTR);
    EXPECT_NE(out.bstrVal, text);
    SysFreeString(text);

    Variant inner(3.5);
    Variant vref = Variant::ByRef(VT_VARIANT, &inner);
    ASSERT_EQ(VariantCopyInd(&out, &vref), S_OK);
    EXPECT_EQ(out.vt, VT_R8);
    EXPECT_EQ(out.dblVal, 3.5);

    // A reference to a reference to a VARIANT is not allowed.
    Variant twice = Variant::ByRef(VT_VARIANT, &vref);
    EXPECT_EQ(VariantCopyInd(&out, &twice), E_INVALIDARG);

    // In place.
    ASSERT_EQ(VariantCopyInd(&ref, &ref), S_OK);
    EXPECT_EQ(ref.vt, VT_I4);
}

TEST(Variant, CopyOfAReferenceCopiesThePointerOnly) {
    LONG number = 7;
    Variant ref = Variant::ByRef(VT_I4, &number);
    Variant copy(ref);
    EXPECT_EQ(copy.vt, VT_BYREF | VT_I4);
    EXPECT_EQ(copy.plVal, &number);
}

TEST(Variant, WrapperConstructorsGiveTheirTypes) {
    struct Case {
        Variant v;
        VARTYPE vt;
    };
    Case cases[] = {
        {Variant(true), VT_BOOL},
        {Variant(SHORT(1)), VT_I2},
        {Variant(LONG(1)), VT_I4},
        {Variant(ULONG(1)), VT_UI4},
        {Variant(LONGLONG(1)), VT_I8},
        {Variant(BYTE(1)), VT_UI1},
        {Variant(1.0f), VT_R4},
        {Variant(1.0), VT_R8},
        {Variant(1.0, VT_DATE), VT_DATE},
        {Variant(u"x"), VT_BSTR},
        {Variant::Null(), VT_NULL},
        {Variant::Missing(), VT_ERROR},
        {Variant(static_cast<const OLECHAR*>(nullptr)), VT_BSTR},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.v.vt, c.vt);
    EXPECT_EQ(Variant(true).boolVal, VARIANT_TRUE);
    EXPECT_EQ(Variant::Missing().scode, DISP_E_PARAMNOTFOUND);
}

TEST(Variant, DetachHandsOverOwnership) {
    Variant v(u"moved");
    VARIANT out;
    VariantInit(&out);
    ASSERT_EQ(v.Detach(&out), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    EXPECT_EQ(out.vt, VT_BSTR);
    VariantClear(&out);
}

TEST(Guid, TextFormsRoundTrip) {
    constexpr GUID g = MakeGuid("{6DF30454-DF5F-4654-8D72-8AA069997695}");
    OLECHAR text[39];
    ASSERT_EQ(StringFromGUID2(g, text, 39), 39);
    EXPECT_EQ(std::u16string_view(text), u"{6DF30454-DF5F-4654-8D72-8AA069997695}");
    EXPECT_EQ(StringFromGUID2(g, text, 38), 0);
    CLSID back{};
    ASSERT_EQ(CLSIDFromString(u"{6df30454-df5f-4654-8d72-8aa069997695}", &back), S_OK);
    EXPECT_TRUE(IsEqualGUID(back, g));
    LPOLESTR allocated = nullptr;
    ASSERT_EQ(StringFromCLSID(g, &allocated), S_OK);
    EXPECT_EQ(std::u16string_view(allocated), std::u16string_view(text));
    CoTaskMemFree(allocated);
}

TEST(Guid, MalformedTextIsRejected) {
    const char16_t* bad[] = {u"",
                             u"6DF30454-DF5F-4654-8D72-8AA069997695",
                             u"{6DF30454-DF5F-4654-8D72-8AA06999769}",
                             u"{6DF30454-DF5F-4654-8D72-8AA0699976951}",
                             u"{6DF30454_DF5F-4654-8D72-8AA069997695}",
                             u"{6DF3045G-DF5F-4654-8D72-8AA069997695}",
                             u"{6DF30454-DF5F-4654-8D72-8AA069997695"};
    for (const char16_t* text : bad) {
        CLSID c = MakeGuid("{00000001-0000-0000-0000-000000000000}");
        EXPECT_EQ(CLSIDFromString(text, &c), CO_E_CLASSSTRING) << qx::com::Utf16ToUtf8(text);
        EXPECT_TRUE(IsEqualGUID(c, CLSID_NULL));
        IID i{};
        EXPECT_EQ(IIDFromString(text, &i), E_INVALIDARG);
    }
}

TEST(ComPtr, CountsReferences) {
    Counted obj;
    {
        qx::com::ComPtr<IUnknown> a(&obj);
        EXPECT_EQ(obj.refs, 1u);
        qx::com::ComPtr<IUnknown> b = a;
        EXPECT_EQ(obj.refs, 2u);
        qx::com::ComPtr<IUnknown> c = std::move(b);
        EXPECT_EQ(obj.refs, 2u);
        IUnknown* raw = nullptr;
        EXPECT_EQ(c.CopyTo(&raw), S_OK);
        EXPECT_EQ(obj.refs, 3u);
        raw->Release();
        c = nullptr;
        EXPECT_EQ(obj.refs, 1u);
        EXPECT_TRUE(qx::com::IsSameObject(a.Get(), &obj));
    }
    EXPECT_EQ(obj.refs, 0u);
}

} // namespace
