// IDispatch from a dispatch declaration, seen through the test class.
#include "test_interfaces.h"

#include <gtest/gtest.h>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(qx::com::CreateInstance<CTally>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&disp)),
                  S_OK);
        ComPtr<ITally> tally = disp.As<ITally>();
        object = static_cast<CTally*>(tally.Get());
    }

    DISPID Id(const char16_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 12345;
        EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK)
            << Bstr(name).ToUtf8();
        return id;
    }

    // Arguments in natural order; they are reversed as Invoke wants them.
    HRESULT Call(DISPID id, WORD flags, std::vector<Variant> args, Variant* result = nullptr,
                 std::vector<DISPID> named = {}) {
        std::vector<VARIANT> reversed;
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            reversed.push_back(*it);
        DISPPARAMS dp{reversed.data(), named.empty() ? nullptr : named.data(),
                      static_cast<UINT>(reversed.size()), static_cast<UINT>(named.size())};
        excep = EXCEPINFO{};
        argErr = 999;
        HRESULT hr = disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, result, &excep, &argErr);
        return hr;
    }

    HRESULT Put(DISPID id, Variant value, WORD flags = DISPATCH_PROPERTYPUT) {
        return Call(id, flags, {std::move(value)}, nullptr, {DISPID_PROPERTYPUT});
    }

    void TearDown() override {
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
    }

    ComPtr<IDispatch> disp;
    CTally* object = nullptr;
    EXCEPINFO excep{};
    UINT argErr = 0;
};

TEST_F(DispatchTest, NamesAreFoundInAnyCase) {
    struct Case {
        const char16_t* name;
        DISPID id;
    } cases[] = {{u"Add", 2},
                 {u"add", 2},
                 {u"ADD", 2},
                 {u"aDd", 2},
                 {u"value", DISPID_VALUE},
                 {u"_newenum", DISPID_NEWENUM},
                 {u"ENABLED", 7},
                 {u"item", 9}};
    for (const Case& c : cases)
        EXPECT_EQ(Id(c.name), c.id) << Bstr(c.name).ToUtf8();
}

TEST_F(DispatchTest, UnknownNamesAndParameterNames) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"scale"), const_cast<LPOLESTR>(u"FACTOR"),
                        const_cast<LPOLESTR>(u"nope"), const_cast<LPOLESTR>(u"x")};
    DISPID ids[4];
    EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, names, 4, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 8);
    EXPECT_EQ(ids[1], 1);
    EXPECT_EQ(ids[2], DISPID_UNKNOWN);
    EXPECT_EQ(ids[3], 0);

    LPOLESTR missing[] = {const_cast<LPOLESTR>(u"Subtract")};
    EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, missing, 1, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    EXPECT_EQ(disp->GetIDsOfNames(IID_ITally, missing, 1, 0, ids), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(DispatchTest, EveryInvokeKind) {
    Variant r;
    // method, and method|propget as script engines call
    ASSERT_EQ(Call(Id(u"add"), DISPATCH_METHOD, {Variant(LONG(2)), Variant(LONG(3))}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_I4);
    EXPECT_EQ(r.lVal, 5);
    ASSERT_EQ(Call(2, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {Variant(LONG(4)), Variant(LONG(5))}, &r),
              S_OK);
    EXPECT_EQ(r.lVal, 9);
    // property put then get
    ASSERT_EQ(Put(1, Variant(u"tally")), S_OK);
    ASSERT_EQ(Call(1, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_BSTR);
    EXPECT_EQ(Bstr(r.bstrVal).View(), u"tally");
    // put by reference for an object property; a plain put of it is not declared
    ComPtr<IDispatch> child;
    ASSERT_EQ(qx::com::CreateInstance<CTally>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&child)),
              S_OK);
    ASSERT_EQ(Put(5, Variant(child.Get()), DISPATCH_PROPERTYPUTREF), S_OK);
    EXPECT_EQ(Put(5, Variant(child.Get()), DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);
    ASSERT_EQ(Call(5, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    ASSERT_EQ(r.vt, VT_DISPATCH);
    EXPECT_TRUE(qx::com::IsSameObject(r.pdispVal, child.Get()));
    // a property get is not a method
    EXPECT_EQ(Call(1, DISPATCH_METHOD, {}, &r), DISP_E_MEMBERNOTFOUND);
    // no result wanted
    EXPECT_EQ(Call(2, DISPATCH_METHOD, {Variant(LONG(1)), Variant(LONG(1))}, nullptr), S_OK);
}

TEST_F(DispatchTest, DefaultMemberAndCoercionThroughIt) {
    ASSERT_EQ(Put(DISPID_VALUE, Variant(u"41")), S_OK);
    Variant r;
    ASSERT_EQ(Call(DISPID_VALUE, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.lVal, 41);
    // An object passed where a number is wanted gives its default member.
    ASSERT_EQ(Call(2, DISPATCH_METHOD, {Variant(disp.Get()), Variant(LONG(1))}, &r), S_OK);
    EXPECT_EQ(r.lVal, 42);
    Variant asText;
    Variant self(disp.Get());
    ASSERT_EQ(VariantChangeType(&asText, &self, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Bstr(asText.bstrVal).View(), u"41");
    EXPECT_EQ(VariantChangeType(&asText, &self, VARIANT_NOVALUEPROP, VT_BSTR), DISP_E_TYPEMISMATCH);
}

TEST_F(DispatchTest, ArgumentCoercionAndItsErrors) {
    Variant r;
    ASSERT_EQ(Call(2, DISPATCH_METHOD, {Variant(u"10"), Variant(2.6)}, &r), S_OK);
    EXPECT_EQ(r.lVal, 13);
    // rgvarg index of the bad argument: the first in natural order is the last in rgvarg
    EXPECT_EQ(Call(2, DISPATCH_METHOD, {Variant(u"ten"), Variant(LONG(1))}, &r), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);
    EXPECT_EQ(Call(2, DISPATCH_METHOD, {Variant(LONG(1)), Variant(u"x")}, &r), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(Call(2, DISPATCH_METHOD, {Variant(LONG(1)), Variant(1e12)}, &r), DISP_E_OVERFLOW);
    EXPECT_EQ(argErr, 0u);
    // VT_BOOL property from text and numbers
    ASSERT_EQ(Put(7, Variant(u"True")), S_OK);
    ASSERT_EQ(Call(7, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_BOOL);
    EXPECT_EQ(r.boolVal, VARIANT_TRUE);
    ASSERT_EQ(Put(7, Variant(LONG(0))), S_OK);
    ASSERT_EQ(Call(7, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.boolVal, VARIANT_FALSE);
    // an enum parameter travels as VT_I4
    ASSERT_EQ(Call(12, DISPATCH_METHOD, {Variant(u"1")}, &r), S_OK);
    ASSERT_EQ(Call(2, DISPATCH_METHOD, {Variant(LONG(1)), Variant(LONG(2))}, &r), S_OK);
    EXPECT_EQ(r.lVal, 6);
    // null objects for an object parameter
    ASSERT_EQ(Put(5, Variant::Null(), DISPATCH_PROPERTYPUTREF), S_OK);
    ASSERT_EQ(Call(5, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_DISPATCH);
    EXPECT_EQ(r.pdispVal, nullptr);
}

TEST_F(DispatchTest, OptionalAndDefaultArguments) {
    Variant r;
    ASSERT_EQ(Call(3, DISPATCH_METHOD, {Variant(u"a")}, &r), S_OK);
    EXPECT_EQ(Bstr(r.bstrVal).View(), u"a<missing>");
    ASSERT_EQ(Call(3, DISPATCH_METHOD, {Variant(u"a"), Variant::Missing()}, &r), S_OK);
    EXPECT_EQ(Bstr(r.bstrVal).View(), u"a<missing>");
    ASSERT_EQ(Call(3, DISPATCH_METHOD, {Variant(u"a"), Variant(LONG(5))}, &r), S_OK);
    EXPECT_EQ(Bstr(r.bstrVal).View(), u"a5");
    ASSERT_EQ(Call(8, DISPATCH_METHOD, {Variant(1.5)}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_R8);
    EXPECT_EQ(r.dblVal, 3.0);
    ASSERT_EQ(Call(8, DISPATCH_METHOD, {Variant(1.5), Variant::Missing()}, &r), S_OK);
    EXPECT_EQ(r.dblVal, 3.0);
    ASSERT_EQ(Call(8, DISPATCH_METHOD, {Variant(1.5), Variant(LONG(4))}, &r), S_OK);
    EXPECT_EQ(r.dblVal, 6.0);
}

TEST_F(DispatchTest, NamedArguments) {
    Variant r;
    // Scale(factor:=10, x:=0.5): named arguments first in rgvarg, in any order
    std::vector<VARIANT> args = {Variant(LONG(10)), Variant(0.5)};
    std::vector<DISPID> named = {1, 0};
    DISPPARAMS dp{args.data(), named.data(), 2, 2};
    ASSERT_EQ(disp->Invoke(8, IID_NULL, 0, DISPATCH_METHOD, &dp, &r, nullptr, nullptr), S_OK);
    EXPECT_EQ(r.dblVal, 5.0);
    // a named argument that names no parameter
    DISPID wrong[] = {7, 0};
    dp.rgdispidNamedArgs = wrong;
    UINT err = 99;
    EXPECT_EQ(disp->Invoke(8, IID_NULL, 0, DISPATCH_METHOD, &dp, &r, nullptr, &err), DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(err, 0u);
    // the required x given by name only is missing
    DISPID onlyFactor[] = {1};
    DISPPARAMS one{args.data(), onlyFactor, 1, 1};
    EXPECT_EQ(disp->Invoke(8, IID_NULL, 0, DISPATCH_METHOD, &one, &r, nullptr, nullptr),
              DISP_E_PARAMNOTOPTIONAL);
}

TEST_F(DispatchTest, ByReferenceOutValues) {
    BSTR text = SysAllocString(u"abc");
    LONG length = 0;
    Variant r;
    ASSERT_EQ(Call(4, DISPATCH_METHOD, {Variant::ByRef(VT_BSTR, &text), Variant::ByRef(VT_I4, &length)}, &r),
              S_OK);
    EXPECT_EQ(Bstr(text).View(), u"cba");
    EXPECT_EQ(length, 3);
    SysFreeString(text);
    text = nullptr;

    // References to VARIANTs get the values in the parameters' own types.
    Variant textHolder(u"hello"), lengthHolder(u"junk");
    ASSERT_EQ(Call(4, DISPATCH_METHOD,
                   {Variant::ByRef(VT_VARIANT, &textHolder), Variant::ByRef(VT_VARIANT, &lengthHolder)}, &r),
              S_OK);
    EXPECT_EQ(textHolder.vt, VT_BSTR);
    EXPECT_EQ(Bstr(textHolder.bstrVal).View(), u"olleh");
    EXPECT_EQ(lengthHolder.vt, VT_I4);
    EXPECT_EQ(lengthHolder.lVal, 5);

    // An [out] argument passed by value is a type mismatch at its index.
    EXPECT_EQ(Call(4, DISPATCH_METHOD, {Variant::ByRef(VT_BSTR, &text), Variant(LONG(1))}, &r),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
}

TEST_F(DispatchTest, RetvalStorageStartsEmpty) {
    Variant r(u"old");
    ASSERT_EQ(Call(13, DISPATCH_METHOD, {}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_DISPATCH);
    EXPECT_EQ(r.pdispVal, nullptr);
}

TEST_F(DispatchTest, ParameterCountsAndMissingMembers) {
    Variant r;
    EXPECT_EQ(Call(2, DISPATCH_METHOD, {Variant(LONG(1))}, &r), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(2, DISPATCH_METHOD, {Variant(LONG(1)), Variant(LONG(1)), Variant(LONG(1))}, &r),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(777, DISPATCH_METHOD, {}, &r), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(2, 0, {}, &r), DISP_E_MEMBERNOTFOUND);
    // a put without the DISPID_PROPERTYPUT name
    EXPECT_EQ(Call(1, DISPATCH_PROPERTYPUT, {Variant(u"x")}, &r), DISP_E_PARAMNOTFOUND);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(disp->Invoke(2, IID_ITally, 0, DISPATCH_METHOD, &none, &r, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(disp->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, nullptr, &r, nullptr, nullptr), E_INVALIDARG);
}

TEST_F(DispatchTest, FailuresBecomeExceptionsWithTheErrorInfo) {
    Variant r;
    EXPECT_EQ(Call(6, DISPATCH_METHOD, {Variant(u"it broke")}, &r), DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, E_FAIL);
    EXPECT_EQ(Bstr(excep.bstrDescription).View(), u"it broke");
    EXPECT_EQ(Bstr(excep.bstrSource).View(), u"Tally.Fail");
    // The error info was consumed.
    IErrorInfo* left = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &left), S_FALSE);

    // A failing member without error info still reports its code.
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    EXPECT_EQ(Call(9, DISPATCH_METHOD, {Variant(LONG(3))}, &r), DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, DISP_E_BADINDEX);
    EXPECT_EQ(excep.bstrDescription, nullptr);

    // Without an EXCEPINFO the member's own HRESULT comes back.
    std::vector<VARIANT> args = {Variant(LONG(3))};
    DISPPARAMS dp{args.data(), nullptr, 1, 0};
    EXPECT_EQ(disp->Invoke(9, IID_NULL, 0, DISPATCH_METHOD, &dp, &r, nullptr, nullptr), DISP_E_BADINDEX);
    // A stale error info of someone else is not reported as this member's.
    qx::com::ReportError(IID_ITally, u"elsewhere", u"stale", E_FAIL);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    EXPECT_EQ(Call(9, DISPATCH_METHOD, {Variant(LONG(3))}, &r), DISP_E_EXCEPTION);
    EXPECT_EQ(excep.bstrDescription, nullptr);
}

TEST_F(DispatchTest, CollectionsEnumerateASnapshot) {
    object->items = {Variant(LONG(1)), Variant(u"two"), Variant(3.0)};
    Variant r;
    ASSERT_EQ(Call(DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, &r), S_OK);
    ASSERT_EQ(r.vt, VT_UNKNOWN);
    ComPtr<IEnumVARIANT> e = ComPtr<IEnumVARIANT>::QueryFrom(r.punkVal);
    ASSERT_TRUE(e);
    object->items.clear(); // the enumerator keeps what it saw
    VARIANT got[4];
    ULONG fetched = 0;
    ASSERT_EQ(e->Next(2, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(got[0].lVal, 1);
    EXPECT_EQ(Bstr(got[1].bstrVal).View(), u"two");
    VariantClear(&got[0]);
    VariantClear(&got[1]);
    ComPtr<IEnumVARIANT> clone;
    ASSERT_EQ(e->Clone(&clone), S_OK);
    ASSERT_EQ(e->Next(4, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(got[0].dblVal, 3.0);
    VariantClear(&got[0]);
    EXPECT_EQ(clone->Next(1, got, nullptr), S_OK);
    VariantClear(&got[0]);
    EXPECT_EQ(e->Skip(1), S_FALSE);
    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(3), S_OK);
    EXPECT_EQ(e->Next(2, got, nullptr), E_POINTER);
}

TEST_F(DispatchTest, TypeInfoComesFromTheDeclaration) {
    UINT count = 0;
    ASSERT_EQ(disp->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(disp->GetTypeInfo(0, 0, &info), S_OK);
    EXPECT_EQ(disp->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
    ASSERT_EQ(disp->GetTypeInfo(0, 0, &info), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, IID_ITally));
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    EXPECT_EQ(attr->cFuncs, std::size(kTallyMembers));
    info->ReleaseTypeAttr(attr);
    MEMBERID id = 0;
    LPOLESTR name[] = {const_cast<LPOLESTR>(u"CONCAT")};
    ASSERT_EQ(info->GetIDsOfNames(name, 1, &id), S_OK);
    EXPECT_EQ(id, 3);
}

TEST(DispatchDeclarations, AreFoundByIid) {
    EXPECT_EQ(qx::com::FindDispInterface(IID_ITally), &kDisp_ITally);
    EXPECT_EQ(qx::com::FindDispInterface(DIID__DTallyEvents), &kDisp__DTallyEvents);
    EXPECT_EQ(qx::com::FindDispInterface(IID_IStream), nullptr);
    EXPECT_EQ(&qx::com::disp_decl_of<ITally>, &kDisp_ITally);
}

TEST(InvokeByDispid, CallsWithNaturalOrder) {
    ComPtr<IDispatch> disp;
    ASSERT_EQ(qx::com::CreateInstance<CTally>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&disp)), S_OK);
    Variant args[] = {Variant(u"x"), Variant(u"y")};
    Variant r;
    ASSERT_EQ(qx::com::InvokeByDispid(disp.Get(), 3, DISPATCH_METHOD, args, 2, &r), S_OK);
    EXPECT_EQ(Bstr(r.bstrVal).View(), u"xy");
    Variant value(LONG(9));
    ASSERT_EQ(qx::com::InvokeByDispid(disp.Get(), DISPID_VALUE, DISPATCH_PROPERTYPUT, &value, 1, nullptr),
              S_OK);
    ASSERT_EQ(qx::com::InvokeByDispid(disp.Get(), DISPID_VALUE, DISPATCH_PROPERTYGET, nullptr, 0, &r), S_OK);
    EXPECT_EQ(r.lVal, 9);
}

TEST(DispGetParam, ReadsPositionalAndNamedArguments) {
    Variant seven(u"7"), first(LONG(1));
    VARIANT args[] = {seven, first}; // natural order: 1, "7"
    DISPPARAMS dp{args, nullptr, 2, 0};
    Variant out;
    ASSERT_EQ(DispGetParam(&dp, 1, VT_I4, &out, nullptr), S_OK);
    EXPECT_EQ(out.lVal, 7);
    EXPECT_EQ(DispGetParam(&dp, 2, VT_I4, &out, nullptr), DISP_E_PARAMNOTFOUND);
    UINT err = 9;
    Variant bad(u"x");
    DISPPARAMS one{&bad, nullptr, 1, 0};
    EXPECT_EQ(DispGetParam(&one, 0, VT_I4, &out, &err), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(err, 0u);
}

} // namespace
