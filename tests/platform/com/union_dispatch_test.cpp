// One IDispatchEx over three interfaces, seen through IDispatch and IDispatchEx: merged names in any
// case, routing to each interface's vtable, conflicts (the first interface wins), shadowing and
// fallback names, expandos made with fdexNameEnsure, deletion, enumeration and member properties.
#include "test_interfaces.h"
#include "union_shape.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::kDynamicDispidFirst;
using qx::com::Variant;

namespace qx::test {
namespace {

class UnionDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(com::CreateInstance<CShape>(nullptr, IID_IDispatchEx, reinterpret_cast<void**>(&ex)), S_OK);
    }

    DISPID Id(const char16_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 12345;
        return SUCCEEDED(ex->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) ? id
                                                                                          : DISPID_UNKNOWN;
    }
    HRESULT DispId(const char16_t* name, DWORD grfdex, DISPID* id) {
        Bstr text(name);
        return ex->GetDispID(text.Get(), grfdex, id);
    }
    HRESULT Get(DISPID id, Variant* result) {
        DISPPARAMS none{};
        return ex->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result, nullptr, nullptr);
    }
    HRESULT Put(DISPID id, Variant value) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS dp{&value, &named, 1, 1};
        return ex->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &dp, nullptr, nullptr, nullptr);
    }
    std::u16string Text(DISPID id) {
        Variant v;
        EXPECT_EQ(Get(id, &v), S_OK);
        EXPECT_EQ(v.ChangeType(VT_BSTR), S_OK);
        return std::u16string(Bstr(v.bstrVal).View());
    }
    std::u16string NameOf(DISPID id) {
        BSTR name = nullptr;
        if (FAILED(ex->GetMemberName(id, &name)))
            return u"?";
        std::u16string text(Bstr(name).View());
        SysFreeString(name);
        return text;
    }
    // Every name GetNextDispID gives, in order.
    std::vector<std::u16string> Enumerate(DWORD grfdex) {
        std::vector<std::u16string> names;
        DISPID id = DISPID_STARTENUM;
        while (ex->GetNextDispID(grfdex, id, &id) == S_OK && names.size() < 100)
            names.push_back(NameOf(id));
        return names;
    }
    CShape& Object() { return *static_cast<CShape*>(ex.As<IShape>().Get()); }

    ComPtr<IDispatchEx> ex;
};

TEST_F(UnionDispatchTest, NamesOfEveryInterfaceInAnyCase) {
    struct Case {
        const char16_t* name;
        DISPID id;
    } cases[] = {{u"Name", 1},
                 {u"NAME", 1},
                 {u"area", 2},
                 {u"sIdEs", 3},
                 {u"scale", 4},
                 {u"_secret", 6},
                 {u"color", 10},
                 {u"PAINT", 12},
                 {u"label", 20},
                 {u"shadow", 21},
                 {u"tally", DISPID_UNKNOWN},
                 {u"Far", kDynamicDispidFirst},
                 {u"nothing", DISPID_UNKNOWN}};
    for (const Case& c : cases)
        EXPECT_EQ(Id(c.name), c.id) << Bstr(c.name).ToUtf8();

    DISPID id = 0;
    EXPECT_EQ(DispId(u"NAME", fdexNameCaseSensitive, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(DispId(u"Name", fdexNameCaseSensitive, &id), S_OK);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(DispId(u"NAME", fdexNameCaseInsensitive, &id), S_OK);

    LPOLESTR withParameter[] = {const_cast<LPOLESTR>(u"SCALE"), const_cast<LPOLESTR>(u"Factor")};
    DISPID ids[2];
    EXPECT_EQ(ex->GetIDsOfNames(IID_NULL, withParameter, 2, 0, ids), S_OK);
    EXPECT_EQ(ids[0], 4);
    EXPECT_EQ(ids[1], 0);
    EXPECT_EQ(ex->GetIDsOfNames(IID_IShape, withParameter, 1, 0, ids), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(UnionDispatchTest, InvokeReachesEachInterfacesVtable) {
    ASSERT_EQ(Put(1, Variant(u"disc")), S_OK);
    Variant red(u"red");
    DISPPARAMS paint{&red, nullptr, 1, 0};
    ASSERT_EQ(ex->InvokeEx(12, 0, DISPATCH_METHOD, &paint, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Text(20), u"disc in red");
    Variant three(LONG(3));
    DISPPARAMS scale{&three, nullptr, 1, 0};
    Variant r;
    ASSERT_EQ(ex->InvokeEx(4, 0, DISPATCH_METHOD, &scale, &r, nullptr, nullptr), S_OK);
    EXPECT_EQ(r.lVal, 36);

    // Every IDispatch of the object is the union: IColored's Invoke also knows IShape's DISPIDs.
    ComPtr<IColored> colored = ex.As<IColored>();
    ASSERT_TRUE(colored);
    DISPPARAMS none{};
    ASSERT_EQ(colored->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &r, nullptr, nullptr), S_OK);
    EXPECT_EQ(r.lVal, 12);
    EXPECT_EQ(colored->Invoke(2, IID_IColored, 0, DISPATCH_PROPERTYGET, &none, &r, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    // The kinds and the arguments are checked as for one interface.
    EXPECT_EQ(ex->InvokeEx(20, 0, DISPATCH_PROPERTYPUT, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(ex->InvokeEx(4, 0, DISPATCH_METHOD, &none, &r, nullptr, nullptr), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(ex->InvokeEx(4, 0, DISPATCH_CONSTRUCT, &scale, &r, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
}

TEST_F(UnionDispatchTest, TheFirstInterfaceWinsNamesAndDispids) {
    // IColored's "Name" (11) and ILabelled's Tally (DISPID 2) lost to IShape's members.
    Variant r;
    EXPECT_EQ(Text(Id(u"name")), u"square");
    EXPECT_EQ(Get(11, &r), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Get(2, &r), S_OK);
    EXPECT_EQ(r.lVal, 12) << "IShape's Area, not ILabelled's Tally";
    // Through the vtables they are there.
    BSTR text = nullptr;
    ASSERT_EQ(ex.As<IColored>()->get_ColorName(&text), S_OK);
    EXPECT_EQ(Bstr(text).View(), u"colored blue");
    SysFreeString(text);
    LONG tally = 0;
    ASSERT_EQ(ex.As<ILabelled>()->get_Tally(&tally), S_OK);
    EXPECT_EQ(tally, 99);
}

TEST_F(UnionDispatchTest, NamesMadeWithEnsureAndPut) {
    DISPID id = 0;
    EXPECT_EQ(DispId(u"width", 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    ASSERT_EQ(DispId(u"width", fdexNameEnsure, &id), S_OK);
    EXPECT_EQ(id, kDynamicDispidFirst + 1) << "ILabelled's Far holds the first dynamic DISPID";
    Variant r;
    ASSERT_EQ(Get(id, &r), S_OK);
    EXPECT_EQ(r.vt, VT_EMPTY);
    ASSERT_EQ(Put(id, Variant(LONG(40))), S_OK);
    ASSERT_EQ(Get(Id(u"WIDTH"), &r), S_OK);
    EXPECT_EQ(r.lVal, 40);
    // The same name in another case is the same member unless looked up case-sensitively.
    DISPID again = 0;
    EXPECT_EQ(DispId(u"Width", fdexNameEnsure, &again), S_OK);
    EXPECT_EQ(again, id);
    ASSERT_EQ(DispId(u"Width", fdexNameEnsure | fdexNameCaseSensitive, &again), S_OK);
    EXPECT_NE(again, id);
    EXPECT_EQ(NameOf(again), u"Width");
    // An interface member's name makes no expando; a case-sensitive miss of it does.
    EXPECT_EQ(DispId(u"name", fdexNameEnsure, &again), S_OK);
    EXPECT_EQ(again, 1);
    ASSERT_EQ(DispId(u"NAME", fdexNameEnsure | fdexNameCaseSensitive, &again), S_OK);
    EXPECT_GT(again, kDynamicDispidFirst);
    EXPECT_EQ(Text(1), u"square");
    // Through plain IDispatch::Invoke too; a put with no value is refused.
    DISPID named = DISPID_PROPERTYPUT;
    Variant text(u"wide");
    DISPPARAMS put{&text, &named, 1, 1};
    ASSERT_EQ(ex->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Text(id), u"wide");
    DISPPARAMS unnamed{&text, nullptr, 1, 0};
    EXPECT_EQ(ex->InvokeEx(id, 0, DISPATCH_PROPERTYPUT, &unnamed, nullptr, nullptr, nullptr),
              DISP_E_PARAMNOTFOUND);
    // A DISPID nobody was given is no member.
    EXPECT_EQ(Get(kDynamicDispidFirst + 500, &r), DISP_E_MEMBERNOTFOUND);
}

TEST_F(UnionDispatchTest, AnExpandoHoldingAnObjectIsCallable) {
    ComPtr<IDispatch> other;
    ASSERT_EQ(com::CreateInstance<CTally>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&other)), S_OK);
    const Variant value(LONG(41));
    ASSERT_EQ(com::InvokeByDispid(other.Get(), DISPID_VALUE, DISPATCH_PROPERTYPUT, &value, 1, nullptr), S_OK);
    DISPID id = 0;
    ASSERT_EQ(DispId(u"child", fdexNameEnsure, &id), S_OK);
    ASSERT_EQ(Put(id, Variant(other.Get())), S_OK);
    DWORD props = 0;
    ASSERT_EQ(ex->GetMemberProperties(id, grfdexPropAll, &props), S_OK);
    EXPECT_EQ(props & (fdexPropCanCall | fdexPropCannotCall), static_cast<DWORD>(fdexPropCanCall));
    // The call reaches the tally's default member, a property: as a method only, it is refused there.
    DISPPARAMS none{};
    Variant r;
    ASSERT_EQ(ex->InvokeEx(id, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, &r, nullptr, nullptr), S_OK);
    EXPECT_EQ(r.vt, VT_I4);
    EXPECT_EQ(r.lVal, 41);
    EXPECT_EQ(ex->InvokeEx(id, 0, DISPATCH_METHOD, &none, &r, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
    ASSERT_EQ(Get(id, &r), S_OK);
    ASSERT_EQ(r.vt, VT_DISPATCH);
    EXPECT_TRUE(com::IsSameObject(r.pdispVal, other.Get()));
}

TEST_F(UnionDispatchTest, ShadowingNamesComeBeforeTheInterfaces) {
    Variant r;
    ASSERT_EQ(ex.As<ILabelled>()->Shadow(Bstr(u"Area").Get(), Variant(LONG(500))), S_OK);
    const DISPID area = Id(u"AREA");
    EXPECT_GE(area, kDynamicDispidFirst);
    ASSERT_EQ(Get(area, &r), S_OK);
    EXPECT_EQ(r.lVal, 500);
    // The interface's DISPID still reaches the interface's member.
    ASSERT_EQ(Get(2, &r), S_OK);
    EXPECT_EQ(r.lVal, 12);
    // A behaviour member cannot be deleted; once detached, the name is the interface's again.
    EXPECT_EQ(ex->DeleteMemberByName(Bstr(u"area").Get(), 0), S_FALSE);
    ASSERT_EQ(ex.As<ILabelled>()->Unshadow(), S_OK);
    EXPECT_EQ(Id(u"area"), 2);
    EXPECT_EQ(Get(area, &r), DISP_E_MEMBERNOTFOUND);
    // Attached again, the name gets the DISPID it had.
    ASSERT_EQ(ex.As<ILabelled>()->Shadow(Bstr(u"Area").Get(), Variant(LONG(501))), S_OK);
    EXPECT_EQ(Id(u"area"), area);
}

TEST_F(UnionDispatchTest, DeletingMembers) {
    DISPID id = 0;
    ASSERT_EQ(DispId(u"temp", fdexNameEnsure, &id), S_OK);
    ASSERT_EQ(Put(id, Variant(u"x")), S_OK);
    struct Case {
        const char16_t* name;
        HRESULT hr;
    } cases[] = {{u"TEMP", S_OK}, {u"temp", S_OK}, {u"Name", S_FALSE}, {u"missing", S_OK}};
    for (const Case& c : cases)
        EXPECT_EQ(ex->DeleteMemberByName(Bstr(c.name).Get(), 0), c.hr) << Bstr(c.name).ToUtf8();
    Variant r;
    EXPECT_EQ(Get(id, &r), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Id(u"temp"), DISPID_UNKNOWN);
    EXPECT_EQ(NameOf(id), u"?");
    // Made again, it has its DISPID back, empty.
    DISPID again = 0;
    ASSERT_EQ(DispId(u"temp", fdexNameEnsure, &again), S_OK);
    EXPECT_EQ(again, id);
    ASSERT_EQ(Get(id, &r), S_OK);
    EXPECT_EQ(r.vt, VT_EMPTY);
    // By DISPID: a put after the delete makes it again.
    EXPECT_EQ(ex->DeleteMemberByDispID(id), S_OK);
    EXPECT_EQ(ex->DeleteMemberByDispID(1), S_FALSE);
    EXPECT_EQ(Get(id, &r), DISP_E_MEMBERNOTFOUND);
    ASSERT_EQ(Put(id, Variant(LONG(2))), S_OK);
    ASSERT_EQ(Get(Id(u"temp"), &r), S_OK);
    EXPECT_EQ(r.lVal, 2);
}

TEST_F(UnionDispatchTest, EnumerationOrder) {
    for (const char16_t* name : {u"zeta", u"alpha", u"mid"}) {
        DISPID id;
        ASSERT_EQ(DispId(name, fdexNameEnsure, &id), S_OK);
    }
    ASSERT_EQ(ex->DeleteMemberByName(Bstr(u"alpha").Get(), 0), S_OK);
    const std::vector<std::u16string> interfaces = {u"Name",  u"Area",  u"Sides", u"Scale",  u"Color",
                                                    u"Paint", u"Label", u"Far",   u"Shadow", u"Unshadow"};
    std::vector<std::u16string> expected = interfaces;
    expected.insert(expected.end(), {u"zeta", u"mid"});
    EXPECT_EQ(Enumerate(fdexEnumDefault), expected);
    std::vector<std::u16string> all = interfaces;
    all.insert(all.begin() + 4, u"_Secret");
    all.insert(all.end(), {u"zeta", u"mid"});
    EXPECT_EQ(Enumerate(fdexEnumAll), all);

    // A behaviour's names come before the expandos; the interface member it shadows is left out.
    ASSERT_EQ(ex.As<ILabelled>()->Shadow(Bstr(u"area").Get(), Variant(LONG(1))), S_OK);
    ASSERT_EQ(ex.As<ILabelled>()->Shadow(Bstr(u"glow").Get(), Variant(LONG(2))), S_OK);
    expected = interfaces;
    expected.erase(expected.begin() + 1);
    expected.insert(expected.end(), {u"zeta", u"mid", u"area", u"glow"});
    EXPECT_EQ(Enumerate(fdexEnumDefault), expected) << "DISPIDs in the order they were handed out";

    DISPID next = 0;
    EXPECT_EQ(ex->GetNextDispID(fdexEnumDefault, 777, &next), E_INVALIDARG);
    EXPECT_EQ(next, DISPID_UNKNOWN);
}

TEST_F(UnionDispatchTest, EnumerationGivesNewNamesTheirDispids) {
    ASSERT_EQ(ex.As<ILabelled>()->Shadow(Bstr(u"glow").Get(), Variant(LONG(2))), S_OK);
    DISPID id = DISPID_STARTENUM;
    std::vector<DISPID> dynamic;
    while (ex->GetNextDispID(fdexEnumAll, id, &id) == S_OK)
        if (id > kDynamicDispidFirst)
            dynamic.push_back(id);
    ASSERT_EQ(dynamic.size(), 1u);
    EXPECT_EQ(Id(u"glow"), dynamic[0]);
}

TEST_F(UnionDispatchTest, MemberProperties) {
    DISPID expando = 0;
    ASSERT_EQ(DispId(u"extra", fdexNameEnsure, &expando), S_OK);
    struct Case {
        DISPID id;
        DWORD props;
    } cases[] = {
        {1, fdexPropCanGet | fdexPropCanPut | fdexPropCannotPutRef | fdexPropCannotCall |
                fdexPropCannotConstruct | fdexPropCannotSourceEvents},
        {4, fdexPropCannotGet | fdexPropCannotPut | fdexPropCannotPutRef | fdexPropCanCall |
                fdexPropCannotConstruct | fdexPropCannotSourceEvents},
        {expando, fdexPropCanGet | fdexPropCanPut | fdexPropCanPutRef | fdexPropCannotCall |
                      fdexPropCannotConstruct | fdexPropCannotSourceEvents},
    };
    for (const Case& c : cases) {
        DWORD props = 0;
        ASSERT_EQ(ex->GetMemberProperties(c.id, grfdexPropAll, &props), S_OK) << c.id;
        EXPECT_EQ(props, c.props) << c.id;
        ASSERT_EQ(ex->GetMemberProperties(c.id, grfdexPropCanAll, &props), S_OK);
        EXPECT_EQ(props, c.props & grfdexPropCanAll) << c.id;
    }
    DWORD props = 5;
    EXPECT_EQ(ex->GetMemberProperties(11, grfdexPropAll, &props), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(props, 0u);
    EXPECT_EQ(NameOf(4), u"Scale");
    EXPECT_EQ(NameOf(expando), u"extra");
    EXPECT_EQ(NameOf(11), u"?");
    ComPtr<IUnknown> parent;
    EXPECT_EQ(ex->GetNameSpaceParent(&parent), E_NOTIMPL);
    EXPECT_FALSE(parent);
}

TEST_F(UnionDispatchTest, TheThisArgumentOfAScriptCallIsDropped) {
    VARIANT args[2];
    args[0].vt = VT_DISPATCH; // DISPID_THIS, named
    args[0].pdispVal = ex.Get();
    args[1].vt = VT_I4;
    args[1].lVal = 2;
    DISPID named[] = {DISPID_THIS};
    DISPPARAMS dp{args, named, 2, 1};
    Variant r;
    ASSERT_EQ(ex->InvokeEx(4, 0, DISPATCH_METHOD, &dp, &r, nullptr, nullptr), S_OK);
    EXPECT_EQ(r.lVal, 24);
}

TEST_F(UnionDispatchTest, OneTypeDescribesTheMergedMembers) {
    ComPtr<ITypeInfo> first, second;
    ASSERT_EQ(ex->GetTypeInfo(0, 0, &first), S_OK);
    ComPtr<IDispatch> other;
    ASSERT_EQ(com::CreateInstance<CShape>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&other)), S_OK);
    ASSERT_EQ(other->GetTypeInfo(0, 0, &second), S_OK);
    EXPECT_EQ(first.Get(), second.Get()) << "one type for every object of the class";
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(first->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(IsEqualGUID(attr->guid, IID_IShape));
    EXPECT_EQ(attr->cFuncs, 13) << "IShape's 6, IColored's 3 (not its Name), ILabelled's 4 (not Tally)";
    first->ReleaseTypeAttr(attr);
    BSTR names[3] = {};
    UINT count = 0;
    ASSERT_EQ(first->GetNames(12, names, 3, &count), S_OK);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(Bstr(names[0]).View(), u"Paint");
    EXPECT_EQ(Bstr(names[1]).View(), u"color");
    for (UINT i = 0; i < count; ++i)
        SysFreeString(names[i]);
    EXPECT_EQ(ex->GetTypeInfo(1, 0, &second), DISP_E_BADINDEX);
}

} // namespace
} // namespace qx::test
