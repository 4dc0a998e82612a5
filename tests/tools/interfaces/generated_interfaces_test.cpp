// What the interface generator writes, seen from outside: inherited members through IDispatch,
// defaults, by-reference arguments, typed event firing to dispinterface and dual sinks, the
// override lists, and the type library's flags, defaults and enums.
#include "sample.h"

#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/dispatch.h"
#include "qx/com/object.h"
#include "qx/com/type_library.h"
#include "qx/com/variant.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

// The Fire_ helpers take what the description declares, nothing else.
static_assert(std::is_invocable_v<decltype(&sample::CProxy_DSampleEvents::Fire_BeforeChange),
                                  const sample::CProxy_DSampleEvents&, VARIANT_BOOL*, LONG*>);
static_assert(!std::is_invocable_v<decltype(&sample::CProxy_DSampleEvents::Fire_BeforeChange),
                                   const sample::CProxy_DSampleEvents&, VARIANT_BOOL*>);
static_assert(!std::is_invocable_v<decltype(&sample::CProxy_DSampleEvents::Fire_Done),
                                   const sample::CProxy_DSampleEvents&, LONG>);
static_assert(!std::is_invocable_v<decltype(&sample::CProxyISampleEvents::Fire_Changed),
                                   const sample::CProxyISampleEvents&, LONG, LONG>);
static_assert(std::is_abstract_v<ISampleRaw> && std::is_base_of_v<ISampleBase, ISampleGrandchild>);
static_assert(kSampleLimit == 7); // from the description's cpp block

namespace {

// Implements the grandchild, its base's members by the base's override list, and fires events.
class CSample : public qx::com::ObjectRoot,
                public qx::com::DispatchImpl<ISampleGrandchild>,
                public qx::com::ConnectionPointContainerImpl {
public:
    QX_BEGIN_INTERFACES(CSample)
    QX_INTERFACE_ENTRY(ISampleGrandchild)
    QX_INTERFACE_ENTRY2(IDispatch, ISampleGrandchild)
    QX_INTERFACE_ENTRY(IConnectionPointContainer)
    QX_END_INTERFACES()

    QX_OVERRIDES_ISampleBase;
    QX_OVERRIDES_ISampleChild;
    QX_OVERRIDES_ISampleGrandchild;

    sample::CProxy_DSampleEvents events{*this};
    sample::CProxyISampleEvents dualEvents{*this};

private:
    Bstr label_;
    SAMPLE_MODE mode_ = MODE_ONCE;
};

STDMETHODIMP CSample::get_Label(BSTR* pVal) {
    return label_.CopyTo(pVal);
}
STDMETHODIMP CSample::put_Label(BSTR newVal) {
    label_ = Bstr(newVal);
    return S_OK;
}
STDMETHODIMP CSample::Twice(LONG n, LONG* result) {
    *result = mode_ == MODE_TWICE ? 4 * n : 2 * n;
    return S_OK;
}
STDMETHODIMP CSample::get_Mode(SAMPLE_MODE* pVal) {
    *pVal = mode_;
    return S_OK;
}
STDMETHODIMP CSample::put_Mode(SAMPLE_MODE newVal) {
    mode_ = newVal;
    return S_OK;
}
STDMETHODIMP CSample::Greet(BSTR whom, BSTR* greeting) {
    *greeting = SysAllocString((u"hello " + std::u16string(Bstr(whom).View())).c_str());
    return S_OK;
}
STDMETHODIMP CSample::Poke(VARIANT_BOOL* flag) {
    *flag = *flag ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}
STDMETHODIMP CSample::get__NewEnum(IUnknown** pVal) {
    *pVal = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP CSample::Last(LONG step, LONG* result) {
    *result = step;
    return S_OK;
}

// Records every Invoke of a dispinterface sink; answers BeforeChange through its references.
class CRecordingSink : public qx::com::ObjectRoot, public IDispatch {
public:
    QX_BEGIN_INTERFACES(CRecordingSink)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_INTERFACE_ENTRY_IID(DIID__DSampleEvents, IDispatch)
    QX_END_INTERFACES()

    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* dp, VARIANT*, EXCEPINFO*, UINT*) override {
        ids.push_back(id);
        std::vector<Variant> args;
        for (UINT i = dp->cArgs; i-- > 0;) // natural order
            args.emplace_back(dp->rgvarg[i]);
        if (id == 2 && dp->cArgs == 2) {
            *dp->rgvarg[1].pboolVal = VARIANT_TRUE;
            *dp->rgvarg[0].plVal = 7;
        }
        calls.push_back(std::move(args));
        return S_OK;
    }

    std::vector<DISPID> ids;
    std::vector<std::vector<Variant>> calls;
};

// A dual sink, through the generated override list.
class CDualSink : public qx::com::ObjectRoot, public qx::com::DispatchImpl<ISampleEvents> {
public:
    QX_BEGIN_INTERFACES(CDualSink)
    QX_INTERFACE_ENTRY(ISampleEvents)
    QX_INTERFACE_ENTRY2(IDispatch, ISampleEvents)
    QX_END_INTERFACES()

    QX_OVERRIDES_ISampleEvents;

    std::vector<std::pair<std::u16string, LONG>> seen;
};

STDMETHODIMP CDualSink::Changed(BSTR name, LONG count) {
    seen.emplace_back(std::u16string(Bstr(name).View()), count);
    return S_OK;
}

template <typename T>
qx::com::ObjectPtr<T> Make() {
    qx::com::ObjectPtr<T> object;
    EXPECT_EQ(qx::com::CreateObject<T>(object), S_OK);
    return object;
}

DWORD Advise(CSample& source, REFIID iid, IUnknown* sink) {
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(source.FindConnectionPoint(iid, &point), S_OK);
    DWORD cookie = 0;
    EXPECT_EQ(point->Advise(sink, &cookie), S_OK);
    return cookie;
}

DISPID IdOf(IDispatch* d, const char16_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << Bstr(name).ToUtf8();
    return id;
}

} // namespace

TEST(GeneratedInterfaces, ADerivedDeclarationStartsWithItsBasesMembersInVtableOrder) {
    struct Row {
        const char16_t* name;
        DISPID id;
        WORD kind;
    };
    const Row expected[] = {
        {u"Label", 1, INVOKE_PROPERTYGET}, {u"Label", 1, INVOKE_PROPERTYPUT},
        {u"Twice", 2, INVOKE_FUNC},        {u"Mode", 10, INVOKE_PROPERTYGET},
        {u"Mode", 10, INVOKE_PROPERTYPUT}, {u"Greet", 11, INVOKE_FUNC},
        {u"Poke", 12, INVOKE_FUNC},        {u"_NewEnum", DISPID_NEWENUM, INVOKE_PROPERTYGET},
        {u"Last", 20, INVOKE_FUNC},
    };
    const qx::com::DispInterface& decl = kDisp_ISampleGrandchild;
    ASSERT_EQ(decl.memberCount, std::size(expected));
    for (UINT i = 0; i < decl.memberCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::u16string(decl.members[i].name), expected[i].name);
        EXPECT_EQ(decl.members[i].dispid, expected[i].id);
        EXPECT_EQ(decl.members[i].kind, expected[i].kind);
    }
    EXPECT_EQ(decl.members[7].funcFlags, FUNCFLAG_FRESTRICTED | FUNCFLAG_FHIDDEN);
    EXPECT_EQ(decl.members[6].funcFlags, FUNCFLAG_FNONBROWSABLE);
    EXPECT_EQ(kDisp_ISampleChild.typeFlags, TYPEFLAG_FHIDDEN);
    EXPECT_EQ(kDisp_ISampleGrandchild.typeFlags, 0);
    for (const qx::com::DispInterface* d : {&kDisp_ISampleBase, &kDisp_ISampleChild, &kDisp_ISampleGrandchild,
                                            &kDisp_ISampleEvents, &kDisp__DSampleEvents}) {
        EXPECT_TRUE(qx::com::DualSlotsInOrder(*d));
        EXPECT_EQ(qx::com::FindDispInterface(*d->iid), d) << "registered by its header";
    }
}

TEST(GeneratedInterfaces, InheritedMembersDefaultsAndReferencesWorkThroughIDispatch) {
    auto object = Make<CSample>();
    ComPtr<IDispatch> d;
    ASSERT_EQ(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)), S_OK);

    Variant result;
    Variant seven(LONG(7));
    ASSERT_EQ(qx::com::InvokeByDispid(d.Get(), IdOf(d.Get(), u"twice"), DISPATCH_METHOD, &seven, 1, &result),
              S_OK);
    EXPECT_EQ(result.lVal, 14);

    Variant twice{LONG(MODE_TWICE)};
    ASSERT_EQ(
        qx::com::InvokeByDispid(d.Get(), IdOf(d.Get(), u"Mode"), DISPATCH_PROPERTYPUT, &twice, 1, nullptr),
        S_OK);
    result.Clear();
    qx::com::InvokeByDispid(d.Get(), IdOf(d.Get(), u"Twice"), DISPATCH_METHOD, &seven, 1, &result);
    EXPECT_EQ(result.lVal, 28);

    result.Clear();
    ASSERT_EQ(qx::com::InvokeByDispid(d.Get(), IdOf(d.Get(), u"Greet"), DISPATCH_METHOD, nullptr, 0, &result),
              S_OK);
    EXPECT_EQ(Bstr(result.bstrVal).View(), u"hello world") << "the declared default";

    result.Clear();
    ASSERT_EQ(qx::com::InvokeByDispid(d.Get(), IdOf(d.Get(), u"Last"), DISPATCH_METHOD, nullptr, 0, &result),
              S_OK);
    EXPECT_EQ(result.lVal, -3);

    VARIANT_BOOL flag = VARIANT_FALSE;
    Variant ref = Variant::ByRef(VT_BYREF | VT_BOOL, &flag);
    ASSERT_EQ(qx::com::InvokeByDispid(d.Get(), IdOf(d.Get(), u"Poke"), DISPATCH_METHOD, &ref, 1, nullptr),
              S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
}

TEST(GeneratedInterfaces, DispinterfaceEventsReachEverySinkWithTheDeclaredTypes) {
    auto object = Make<CSample>();
    auto first = Make<CRecordingSink>();
    auto second = Make<CRecordingSink>();
    auto source = Make<CRecordingSink>(); // an object argument that is neither sink nor source
    Advise(*object, DIID__DSampleEvents, static_cast<IDispatch*>(first.Get()));
    Advise(*object, DIID__DSampleEvents, static_cast<IDispatch*>(second.Get()));

    Bstr name(u"total");
    Variant value(LONG(42));
    object->events.Fire_Changed(name, VARIANT_TRUE, 36526.5, value, static_cast<IDispatch*>(source.Get()));
    VARIANT_BOOL cancel = VARIANT_FALSE;
    LONG reason = 0;
    object->events.Fire_BeforeChange(&cancel, &reason);
    object->events.Fire_Done();

    for (CRecordingSink* sink : {first.Get(), second.Get()}) {
        ASSERT_EQ(sink->ids, (std::vector<DISPID>{1, 2, 3}));
        const std::vector<Variant>& changed = sink->calls[0];
        ASSERT_EQ(changed.size(), 5u);
        EXPECT_EQ(changed[0].vt, VT_BSTR);
        EXPECT_EQ(Bstr(changed[0].bstrVal).View(), u"total");
        EXPECT_EQ(changed[1].vt, VT_BOOL);
        EXPECT_EQ(changed[1].boolVal, VARIANT_TRUE);
        EXPECT_EQ(changed[2].vt, VT_DATE);
        EXPECT_EQ(changed[2].date, 36526.5);
        EXPECT_EQ(changed[3].vt, VT_I4);
        EXPECT_EQ(changed[3].lVal, 42);
        EXPECT_EQ(changed[4].vt, VT_DISPATCH);
        EXPECT_EQ(sink->calls[1][0].vt, VT_BYREF | VT_BOOL);
        EXPECT_EQ(sink->calls[1][1].vt, VT_BYREF | VT_I4);
        EXPECT_TRUE(sink->calls[2].empty());
    }
    EXPECT_EQ(cancel, VARIANT_TRUE) << "a sink answers through the reference";
    EXPECT_EQ(reason, 7);
}

TEST(GeneratedInterfaces, DualEventsAreCalledThroughTheSinksVtables) {
    auto object = Make<CSample>();
    auto sink = Make<CDualSink>();
    DWORD cookie = Advise(*object, IID_ISampleEvents, static_cast<ISampleEvents*>(sink.Get()));
    object->dualEvents.Fire_Changed(Bstr(u"rows"), 3);
    ASSERT_EQ(sink->seen.size(), 1u);
    EXPECT_EQ(sink->seen[0].first, u"rows");
    EXPECT_EQ(sink->seen[0].second, 3);
    ASSERT_EQ(object->dualEvents.Point().Unadvise(cookie), S_OK);
    object->dualEvents.Fire_Changed(Bstr(u"rows"), 4);
    EXPECT_EQ(sink->seen.size(), 1u);
}

TEST(GeneratedInterfaces, TheLibraryCarriesVersionFlagsDefaultsAndEnums) {
    std::vector<BYTE> bytes;
    ASSERT_EQ(qx::com::WriteTypeLibrary(sample::kSampleLibrary, bytes), S_OK);
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(qx::com::LoadTypeLibFromMemory(bytes.data(), bytes.size(), &lib), S_OK);
    TLIBATTR* la = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&la), S_OK);
    EXPECT_EQ(la->wMajorVerNum, 2);
    EXPECT_EQ(la->wMinorVerNum, 3);
    lib->ReleaseTLibAttr(la);
    // Interfaces in file order, then the coclasses, then the enum.
    ASSERT_EQ(lib->GetTypeInfoCount(), 7u);

    struct Type {
        const GUID* guid;
        TYPEKIND kind;
        WORD flags; // the flags that must be set
        WORD absent;
    };
    const Type types[] = {
        {&IID_ISampleChild, TKIND_DISPATCH, TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN, 0},
        {&IID_ISampleGrandchild, TKIND_DISPATCH, TYPEFLAG_FDUAL, TYPEFLAG_FHIDDEN},
        {&DIID__DSampleEvents, TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE, TYPEFLAG_FDUAL},
        {&CLSID_Sample, TKIND_COCLASS, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, 0},
        {&CLSID_SampleHelper, TKIND_COCLASS, 0, TYPEFLAG_FCANCREATE},
        {&GUID_SAMPLE_MODE, TKIND_ENUM, 0, 0},
    };
    for (const Type& t : types) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfoOfGuid(*t.guid, &info), S_OK);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(attr->typekind, t.kind);
        EXPECT_EQ(attr->wTypeFlags & t.flags, t.flags);
        EXPECT_EQ(attr->wTypeFlags & t.absent, 0);
        info->ReleaseTypeAttr(attr);
    }

    ComPtr<ITypeInfo> child;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(IID_ISampleChild, &child), S_OK);
    FUNCDESC* fd = nullptr;
    ASSERT_EQ(child->GetFuncDesc(5, &fd), S_OK); // Greet, after the base's three and Mode's two
    EXPECT_EQ(fd->memid, 11);
    EXPECT_EQ(fd->oVft, static_cast<SHORT>(12 * sizeof(void*)));
    ASSERT_EQ(fd->cParams, 1);
    const PARAMDESC& whom = fd->lprgelemdescParam[0].paramdesc;
    EXPECT_EQ(whom.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT);
    ASSERT_NE(whom.pparamdescex, nullptr);
    EXPECT_EQ(Bstr(whom.pparamdescex->varDefaultValue.bstrVal).View(), u"world");
    child->ReleaseFuncDesc(fd);
    Bstr doc;
    child->GetDocumentation(11, nullptr, &doc, nullptr, nullptr);
    EXPECT_EQ(doc, u"says hello");

    // Mode is the library's enum.
    ASSERT_EQ(child->GetFuncDesc(3, &fd), S_OK);
    ASSERT_EQ(fd->elemdescFunc.tdesc.vt, VT_USERDEFINED);
    ComPtr<ITypeInfo> mode;
    ASSERT_EQ(child->GetRefTypeInfo(fd->elemdescFunc.tdesc.hreftype, &mode), S_OK);
    child->ReleaseFuncDesc(fd);
    Bstr modeName, modeHelp;
    mode->GetDocumentation(MEMBERID_NIL, &modeName, &modeHelp, nullptr, nullptr);
    EXPECT_EQ(modeName, u"SAMPLE_MODE");
    EXPECT_EQ(modeHelp, u"How the sample counts");
}
