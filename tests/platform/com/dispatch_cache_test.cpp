// What is built once per dispatch declaration: the hashed name index (any case, first member of a
// name wins), the one shared type information and the module lock it holds only while somebody
// else holds it, and tables that two threads build at the same moment.
#include "race_events.h"
#include "test_interfaces.h"
#include "union_shape.h"

#include <gtest/gtest.h>

#include <latch>
#include <string>
#include <thread>

using qx::com::Bstr;
using qx::com::ComPtr;

namespace qx::test {
namespace {

// The same three interfaces in another order: a union of its own, built by the race below only.
class CRacer : public com::ObjectRoot, public com::UnionDispatchImpl<ILabelled, IColored, IShape> {
public:
    QX_BEGIN_INTERFACES(CRacer)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    STDMETHODIMP get_Name(BSTR* pVal) override {
        return (*pVal = SysAllocString(u"racer")) ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP put_Name(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_Area(LONG* pVal) override { return (*pVal = 1, S_OK); }
    STDMETHODIMP get_Sides(LONG* pVal) override { return (*pVal = 2, S_OK); }
    STDMETHODIMP Scale(LONG factor, LONG* pVal) override { return (*pVal = factor, S_OK); }
    STDMETHODIMP get__Secret(LONG* pVal) override { return (*pVal = 0, S_OK); }
    STDMETHODIMP get_Color(BSTR* pVal) override { return get_Name(pVal); }
    STDMETHODIMP put_Color(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_ColorName(BSTR* pVal) override {
        return (*pVal = SysAllocString(u"colored")) ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP Paint(BSTR) override { return S_OK; }
    STDMETHODIMP get_Label(BSTR* pVal) override { return get_Name(pVal); }
    STDMETHODIMP get_Tally(LONG* pVal) override { return (*pVal = 99, S_OK); }
    STDMETHODIMP get_Far(LONG* pVal) override { return (*pVal = 3, S_OK); }
    STDMETHODIMP Shadow(BSTR, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP Unshadow() override { return E_NOTIMPL; }
};

TEST(DispatchCacheTest, HashedNamesFindTheFirstOfEachNameInAnyCase) {
    // A declaration made at run time, without a cache of its own.
    std::vector<std::u16string> names;
    for (int i = 0; i < 500; ++i) {
        std::u16string name = u"member";
        for (char c : std::to_string(i))
            name += static_cast<char16_t>(c);
        names.push_back(name);
    }
    names.insert(names.end(), {u"Dup", u"DUP", u"dup", u"\u00C9t\u00E9"});
    std::vector<com::DispMember> members;
    for (std::size_t i = 0; i < names.size(); ++i)
        members.push_back(com::DispMember{names[i].c_str(), static_cast<DISPID>(100 + i), INVOKE_FUNC,
                                          nullptr, 0, nullptr});
    const com::DispInterface decl{&DIID_DRace, u"Runtime", members.data(), static_cast<UINT>(members.size()),
                                  false};
    for (std::size_t i = 0; i < 500; ++i) {
        std::u16string upper = names[i];
        for (char16_t& c : upper)
            if (c >= u'a' && c <= u'z')
                c = static_cast<char16_t>(c - 32);
        const com::DispMember* m = com::DispFindName(decl, upper);
        ASSERT_TRUE(m) << Bstr(upper).ToUtf8();
        EXPECT_EQ(m->dispid, static_cast<DISPID>(100 + i));
        EXPECT_FALSE(com::DispFindName(decl, upper, true));
    }
    struct Case {
        const char16_t* name;
        bool caseSensitive;
        DISPID id; // 0: not found
    } cases[] = {{u"dup", false, 600},     {u"DUP", false, 600}, {u"DUP", true, 601},
                 {u"dup", true, 602},      {u"dUp", true, 0},    {u"\u00E9T\u00C9", false, 603},
                 {u"member500", false, 0}, {u"", false, 0}};
    for (const Case& c : cases) {
        const com::DispMember* m = com::DispFindName(decl, c.name, c.caseSensitive);
        EXPECT_EQ(m ? m->dispid : 0, c.id) << Bstr(c.name).ToUtf8() << " " << c.caseSensitive;
    }
    LPOLESTR byName[] = {const_cast<LPOLESTR>(u"MEMBER250")};
    DISPID id = 0;
    EXPECT_EQ(com::DispGetIDsOfNames(decl, IID_NULL, byName, 1, &id), S_OK);
    EXPECT_EQ(id, 350);
    com::UnregisterDispInterface(decl); // drops its tables
}

TEST(DispatchCacheTest, OneTypeInformationPerDeclarationHoldingTheModuleOnlyWhileHeld) {
    ComPtr<IDispatch> a, b;
    ASSERT_EQ(com::CreateInstance<CTally>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&a)), S_OK);
    ASSERT_EQ(com::CreateInstance<CTally>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&b)), S_OK);
    ComPtr<ITypeInfo> first, second;
    ASSERT_EQ(a->GetTypeInfo(0, 0, &first), S_OK);
    ASSERT_EQ(b->GetTypeInfo(0, 0, &second), S_OK);
    EXPECT_EQ(first.Get(), second.Get());
    second = nullptr;
    const LONG held = com::ModuleLockCount();
    first = nullptr;
    EXPECT_EQ(com::ModuleLockCount(), held - 1) << "the declaration's own reference holds no lock";
    ASSERT_EQ(a->GetTypeInfo(0, 0, &first), S_OK);
    EXPECT_EQ(com::ModuleLockCount(), held);
    // Its library is the one the type came from, and holds the module too while held.
    ComPtr<ITypeLib> lib;
    UINT index = 9;
    ASSERT_EQ(first->GetContainingTypeLib(&lib, &index), S_OK);
    EXPECT_EQ(index, 0u);
    first = nullptr;
    EXPECT_EQ(com::ModuleLockCount(), held);
    lib = nullptr;
    EXPECT_EQ(com::ModuleLockCount(), held - 1);
    // What CreateDispTypeInfo makes is a new object each time, as before.
    ComPtr<ITypeInfo> made;
    ASSERT_EQ(com::CreateDispTypeInfo(kDisp_ITally, &made), S_OK);
    ASSERT_EQ(a->GetTypeInfo(0, 0, &first), S_OK);
    EXPECT_NE(made.Get(), first.Get());
}

TEST(DispatchCacheTest, TwoThreadsBuildTheTablesAtOnce) {
    constexpr int kThreads = 4;
    std::latch start(kThreads);
    ITypeInfo* raceInfos[kThreads] = {};
    ITypeInfo* unionInfos[kThreads] = {};
    DISPID finish[kThreads] = {};
    DISPID label[kThreads] = {};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            ComPtr<IDispatch> racer;
            if (FAILED(com::CreateInstance<CRacer>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&racer))))
                return;
            start.arrive_and_wait();
            ComPtr<ITypeInfo> info;
            if (SUCCEEDED(com::GetDispTypeInfo(kDisp_DRace, &info)))
                raceInfos[i] = info.Get();
            const com::DispMember* m = com::DispFindName(kDisp_DRace, u"FINISH");
            finish[i] = m ? m->dispid : DISPID_UNKNOWN;
            LPOLESTR names[] = {const_cast<LPOLESTR>(u"label")};
            racer->GetIDsOfNames(IID_NULL, names, 1, 0, &label[i]);
            ComPtr<ITypeInfo> merged;
            if (SUCCEEDED(racer->GetTypeInfo(0, 0, &merged)))
                unionInfos[i] = merged.Get();
        });
    for (std::thread& t : threads)
        t.join();
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_NE(raceInfos[i], nullptr);
        EXPECT_EQ(raceInfos[i], raceInfos[0]) << "one type, whichever thread made it";
        EXPECT_NE(unionInfos[i], nullptr);
        EXPECT_EQ(unionInfos[i], unionInfos[0]);
        EXPECT_EQ(finish[i], 2);
        EXPECT_EQ(label[i], 20);
    }
    // ILabelled comes first in this union: its Tally owns DISPID 2, and IShape's Area is gone.
    ComPtr<IDispatch> racer;
    ASSERT_EQ(com::CreateInstance<CRacer>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&racer)), S_OK);
    VARIANT r;
    VariantInit(&r);
    DISPPARAMS none{};
    ASSERT_EQ(racer->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &r, nullptr, nullptr), S_OK);
    EXPECT_EQ(r.lVal, 99);
    LPOLESTR area[] = {const_cast<LPOLESTR>(u"Area")};
    DISPID id = 0;
    EXPECT_EQ(racer->GetIDsOfNames(IID_NULL, area, 1, 0, &id), DISP_E_UNKNOWNNAME);
}

} // namespace
} // namespace qx::test
