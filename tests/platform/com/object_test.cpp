// The object framework: identity, reference counting, aggregation, class factories, safety.
#include "test_interfaces.h"

#include <gtest/gtest.h>

using qx::com::ComPtr;

namespace {

// An outer object that aggregates a CTally and hands out its interfaces as its own.
class Outer : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    virtual ~Outer() = default;
    ULONG refs = 1;
    IUnknown* inner = nullptr;
};

class NotAggregatable : public qx::com::ObjectRoot, public IPersist {
public:
    static constexpr bool kAggregatable = false;
    QX_BEGIN_INTERFACES(NotAggregatable)
    QX_INTERFACE_ENTRY(IPersist)
    QX_END_INTERFACES()
    STDMETHODIMP GetClassID(CLSID* p) override {
        *p = CLSID_NULL;
        return S_OK;
    }
};

// Answers, besides IPersist, an IID chosen when it is made (as an event sink answers its source
// interface), with the same pointer.
class RunTimeIid : public qx::com::ObjectRoot, public IPersist {
public:
    explicit RunTimeIid(const IID& extra) : extra_(extra) {}
    QX_BEGIN_INTERFACES(RunTimeIid)
    QX_INTERFACE_ENTRY(IPersist)
    QX_END_INTERFACES()
    void* QueryOtherInterface(REFIID riid) {
        return IsEqualIID(riid, extra_) ? static_cast<IPersist*>(this) : nullptr;
    }
    STDMETHODIMP GetClassID(CLSID* p) override {
        *p = extra_;
        return S_OK;
    }

private:
    IID extra_;
};

TEST(Object, AnIidKnownOnlyAtRunTimeIsAnsweredAfterTheTable) {
    qx::com::ObjectPtr<RunTimeIid> object;
    ASSERT_EQ(qx::com::CreateObject<RunTimeIid>(object, IID_ITally), S_OK);
    IUnknown* unknown = static_cast<IPersist*>(object.Get());
    const struct {
        const IID* iid;
        HRESULT expected;
    } cases[] = {
        {&IID_ITally, S_OK}, {&IID_IPersist, S_OK}, {&IID_IUnknown, S_OK}, {&IID_IStream, E_NOINTERFACE}};
    for (const auto& c : cases) {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(unknown->QueryInterface(*c.iid, &p), c.expected);
        if (c.expected == S_OK) {
            EXPECT_EQ(p, static_cast<void*>(static_cast<IPersist*>(object.Get())));
            static_cast<IUnknown*>(p)->Release();
        } else {
            EXPECT_EQ(p, nullptr);
        }
    }
    EXPECT_EQ(unknown->QueryInterface(IID_ITally, nullptr), E_POINTER);
    EXPECT_EQ(unknown->AddRef(), 2u);
    EXPECT_EQ(unknown->Release(), 1u);
}

TEST(Object, IdentityAndReferenceCounting) {
    LONG before = qx::com::ModuleLockCount();
    ComPtr<ITally> tally;
    ASSERT_EQ(qx::com::CreateInstance<CTally>(nullptr, IID_ITally, reinterpret_cast<void**>(&tally)), S_OK);
    EXPECT_EQ(qx::com::ModuleLockCount(), before + 1);
    ComPtr<IUnknown> u1, u2;
    tally->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u1));
    ComPtr<IConnectionPointContainer> cpc = tally.As<IConnectionPointContainer>();
    cpc->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u2));
    EXPECT_EQ(u1.Get(), u2.Get());
    ComPtr<IStream> none;
    EXPECT_EQ(tally->QueryInterface(IID_IStream, reinterpret_cast<void**>(&none)), E_NOINTERFACE);
    EXPECT_EQ(none.Get(), nullptr);
    EXPECT_EQ(tally->QueryInterface(IID_ITally, nullptr), E_POINTER);
    ULONG count = tally->AddRef();
    EXPECT_EQ(tally->Release(), count - 1);
    int released = CTally::finalReleases;
    tally = nullptr;
    cpc = nullptr;
    u1 = nullptr;
    u2 = nullptr;
    EXPECT_EQ(CTally::finalReleases, released + 1);
    EXPECT_EQ(qx::com::ModuleLockCount(), before);
}

TEST(Object, FailedConstructionReleasesTheObject) {
    LONG before = qx::com::ModuleLockCount();
    CTally::failConstruct = true;
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(qx::com::CreateInstance<CTally>(nullptr, IID_ITally, &p), E_OUTOFMEMORY);
    CTally::failConstruct = false;
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(qx::com::ModuleLockCount(), before);
}

TEST(Object, AggregationDelegatesToTheOuterUnknown) {
    Outer outer;
    ASSERT_EQ(qx::com::CreateInstance<CTally>(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)),
              S_OK);
    EXPECT_EQ(outer.refs, 1u);
    ComPtr<ITally> tally;
    ASSERT_EQ(outer.QueryInterface(IID_ITally, reinterpret_cast<void**>(&tally)), S_OK);
    EXPECT_EQ(outer.refs, 2u); // the aggregated object's references count on the outer object
    ComPtr<IUnknown> identity;
    tally->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
    identity = nullptr;
    tally = nullptr;
    EXPECT_EQ(outer.refs, 1u);
    int released = CTally::finalReleases;
    outer.inner->Release();
    EXPECT_EQ(CTally::finalReleases, released + 1);

    IUnknown* p = nullptr;
    EXPECT_EQ(qx::com::CreateInstance<CTally>(&outer, IID_ITally, reinterpret_cast<void**>(&p)),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(qx::com::CreateInstance<NotAggregatable>(&outer, IID_IUnknown, reinterpret_cast<void**>(&p)),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(p, nullptr);
}

TEST(Object, ClassFactoryCreatesAndLocks) {
    LONG before = qx::com::ModuleLockCount();
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(qx::com::CreateClassFactory(&qx::com::CreateInstance<CTally>, IID_IClassFactory,
                                          reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(qx::com::ModuleLockCount(), before); // the factory itself does not count
    ComPtr<IDispatch> disp;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&disp)), S_OK);
    EXPECT_EQ(qx::com::ModuleLockCount(), before + 1);
    factory->LockServer(TRUE);
    EXPECT_EQ(qx::com::ModuleLockCount(), before + 2);
    factory->LockServer(FALSE);
    disp = nullptr;
    EXPECT_EQ(qx::com::ModuleLockCount(), before);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, nullptr), E_POINTER);
}

TEST(ObjectSafety, StrictPolicy) {
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(qx::com::CreateInstance<CTally>(nullptr, IID_IObjectSafety, reinterpret_cast<void**>(&safety)),
              S_OK);
    DWORD supported = 0, enabled = 0;
    ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 3), S_OK);
    safety->GetInterfaceSafetyOptions(IID_ITally, &supported, &enabled);
    EXPECT_EQ(enabled, 3u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACE_USES_DISPEX, 0), E_FAIL);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IStream, 1, 1), E_NOINTERFACE);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IStream, &supported, &enabled), E_NOINTERFACE);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
}

class LenientObject
    : public qx::com::ObjectRoot,
      public qx::com::ObjectSafetyImpl<INTERFACESAFE_FOR_UNTRUSTED_CALLER, qx::com::SafetyPolicy::Lenient,
                                       INTERFACESAFE_FOR_UNTRUSTED_CALLER> {
public:
    QX_BEGIN_INTERFACES(LenientObject)
    QX_INTERFACE_ENTRY(IObjectSafety)
    QX_END_INTERFACES()
};

TEST(ObjectSafety, LenientPolicy) {
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(
        qx::com::CreateInstance<LenientObject>(nullptr, IID_IObjectSafety, reinterpret_cast<void**>(&safety)),
        S_OK);
    DWORD supported = 0, enabled = 0;
    safety->GetInterfaceSafetyOptions(IID_IObjectSafety, &supported, &enabled);
    EXPECT_EQ(supported, 1u);
    EXPECT_EQ(enabled, 1u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IObjectSafety, 0xFF, 0xFE), S_OK);
    safety->GetInterfaceSafetyOptions(IID_IObjectSafety, &supported, &enabled);
    EXPECT_EQ(enabled, 0u);
}

TEST(ClassInfo, DefaultSourceAndCoclassInfo) {
    ComPtr<IProvideClassInfo2> info;
    ASSERT_EQ(
        qx::com::CreateInstance<CTally>(nullptr, IID_IProvideClassInfo2, reinterpret_cast<void**>(&info)),
        S_OK);
    GUID source;
    ASSERT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_TRUE(IsEqualGUID(source, DIID__DTallyEvents));
    EXPECT_EQ(info->GetGUID(2, &source), E_INVALIDARG);
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(info->GetClassInfo(&coclass), S_OK);
    TYPEATTR* attr;
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_EQ(attr->cImplTypes, 3);
    coclass->ReleaseTypeAttr(attr);
    ComPtr<ISupportErrorInfo> sei = info.As<ISupportErrorInfo>();
    EXPECT_EQ(sei->InterfaceSupportsErrorInfo(IID_ITally), S_OK);
    EXPECT_EQ(sei->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
}

} // namespace
