// Connection points: advise order, self-unadvise during firing, cookies, dual and dispatch sinks.
#include "test_interfaces.h"

#include <gtest/gtest.h>

#include <string>

using qx::com::ComPtr;
using qx::com::Variant;

namespace {

std::vector<std::string> g_calls;

// A dispatch-only sink of _DTallyEvents that records calls and may unadvise itself.
class DispSink : public qx::com::ObjectRoot, public IDispatch {
public:
    QX_BEGIN_INTERFACES(DispSink)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_INTERFACE_ENTRY_IID(DIID__DTallyEvents, IDispatch)
    QX_END_INTERFACES()

    STDMETHODIMP GetTypeInfoCount(UINT* p) override {
        *p = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* dp, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        std::string entry = name + ":" + std::to_string(id);
        if (flags != DISPATCH_METHOD)
            entry += "!flags";
        if (dp->cArgs == 1 && dp->rgvarg[0].vt == VT_I4)
            entry += ":" + std::to_string(dp->rgvarg[0].lVal);
        g_calls.push_back(entry);
        if (unadviseFrom) {
            unadviseFrom->Unadvise(cookie);
            unadviseFrom = nullptr;
        }
        return S_OK;
    }

    std::string name;
    IConnectionPoint* unadviseFrom = nullptr;
    DWORD cookie = 0;
};

// A dual sink called through its vtable.
class DualSink : public qx::com::ObjectRoot, public ITallyEvents {
public:
    QX_BEGIN_INTERFACES(DualSink)
    QX_INTERFACE_ENTRY(ITallyEvents)
    QX_END_INTERFACES()

    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        g_calls.push_back("dual:invoke");
        return E_NOTIMPL;
    }
    STDMETHODIMP OnPing(LONG n) override {
        g_calls.push_back("dual:OnPing:" + std::to_string(n));
        return S_OK;
    }
    STDMETHODIMP OnText(BSTR text) override {
        g_calls.push_back("dual:OnText:" + qx::com::Bstr(text).ToUtf8());
        return S_OK;
    }
};

class ConnectionPointTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        ASSERT_EQ(qx::com::CreateInstance<CTally>(nullptr, IID_ITally, reinterpret_cast<void**>(&tally)),
                  S_OK);
        ComPtr<IConnectionPointContainer> cpc = tally.As<IConnectionPointContainer>();
        ASSERT_TRUE(cpc);
        ASSERT_EQ(cpc->FindConnectionPoint(DIID__DTallyEvents, &dispPoint), S_OK);
        ASSERT_EQ(cpc->FindConnectionPoint(IID_ITallyEvents, &dualPoint), S_OK);
    }

    qx::com::ObjectPtr<DispSink> MakeSink(const char* name) {
        qx::com::ObjectPtr<DispSink> sink;
        EXPECT_EQ(qx::com::CreateObject<DispSink>(sink), S_OK);
        sink->name = name;
        return sink;
    }

    ComPtr<ITally> tally;
    ComPtr<IConnectionPoint> dispPoint, dualPoint;
};

TEST_F(ConnectionPointTest, FiresInAdviseOrder) {
    auto a = MakeSink("a"), b = MakeSink("b"), c = MakeSink("c");
    DWORD ca, cb, cc;
    ASSERT_EQ(dispPoint->Advise(static_cast<IDispatch*>(b.Get()), &cb), S_OK);
    ASSERT_EQ(dispPoint->Advise(static_cast<IDispatch*>(a.Get()), &ca), S_OK);
    ASSERT_EQ(dispPoint->Advise(static_cast<IDispatch*>(c.Get()), &cc), S_OK);
    EXPECT_NE(ca, cb);
    EXPECT_NE(cb, cc);
    ASSERT_EQ(tally->Ping(7), S_OK);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"b:1:7", "a:1:7", "c:1:7"}));
    ASSERT_EQ(dispPoint->Unadvise(ca), S_OK);
    g_calls.clear();
    tally->Ping(8);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"b:1:8", "c:1:8"}));
    dispPoint->Unadvise(cb);
    dispPoint->Unadvise(cc);
}

TEST_F(ConnectionPointTest, SurvivesASinkThatUnadvisesItselfDuringTheCall) {
    auto a = MakeSink("a"), b = MakeSink("b");
    DWORD ca, cb;
    dispPoint->Advise(static_cast<IDispatch*>(a.Get()), &ca);
    dispPoint->Advise(static_cast<IDispatch*>(b.Get()), &cb);
    a->unadviseFrom = dispPoint.Get();
    a->cookie = ca;
    IDispatch* raw = static_cast<IDispatch*>(a.Get());
    a = nullptr; // the point's reference is the last one; firing must hold its own
    tally->Ping(1);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a:1:1", "b:1:1"}));
    (void)raw;
    g_calls.clear();
    tally->Ping(2);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"b:1:2"}));
    EXPECT_EQ(dispPoint->Unadvise(ca), CONNECT_E_NOCONNECTION);
    dispPoint->Unadvise(cb);
}

TEST_F(ConnectionPointTest, ASinkUnadvisedByAnotherDuringAFireIsNotCalled) {
    auto a = MakeSink("a"), b = MakeSink("b");
    DWORD ca, cb;
    dispPoint->Advise(static_cast<IDispatch*>(a.Get()), &ca);
    dispPoint->Advise(static_cast<IDispatch*>(b.Get()), &cb);
    a->unadviseFrom = dispPoint.Get();
    a->cookie = cb;
    tally->Ping(1);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a:1:1"}));
    EXPECT_EQ(dispPoint->Unadvise(cb), CONNECT_E_NOCONNECTION);
    dispPoint->Unadvise(ca);
}

TEST_F(ConnectionPointTest, RejectsUnknownCookiesAndUnfitSinks) {
    EXPECT_EQ(dispPoint->Unadvise(0), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(dispPoint->Unadvise(12345), CONNECT_E_NOCONNECTION);
    auto a = MakeSink("a");
    DWORD cookie = 77;
    // The dispatch sink does not answer ITallyEvents.
    EXPECT_EQ(dualPoint->Advise(static_cast<IDispatch*>(a.Get()), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(dispPoint->Advise(nullptr, &cookie), E_POINTER);
    ASSERT_EQ(dispPoint->Advise(static_cast<IDispatch*>(a.Get()), &cookie), S_OK);
    EXPECT_EQ(dispPoint->Unadvise(cookie), S_OK);
    EXPECT_EQ(dispPoint->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    ComPtr<IConnectionPointContainer> cpc = tally.As<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(cpc->FindConnectionPoint(IID_IStream, &none), CONNECT_E_NOCONNECTION);
}

TEST_F(ConnectionPointTest, DualSinksAreCalledThroughTheirSlots) {
    qx::com::ObjectPtr<DualSink> dual;
    ASSERT_EQ(qx::com::CreateObject<DualSink>(dual), S_OK);
    DWORD cookie;
    ASSERT_EQ(dualPoint->Advise(static_cast<ITallyEvents*>(dual.Get()), &cookie), S_OK);
    tally->Ping(3);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"dual:OnPing:3"}));
    g_calls.clear();
    auto* point = static_cast<CTally*>(tally.Get())->dualEvents_;
    point->Fire(2, {Variant(u"hi")});
    point->Fire(2, {Variant(LONG(5))}); // converted to the declared BSTR
    EXPECT_EQ(g_calls, (std::vector<std::string>{"dual:OnText:hi", "dual:OnText:5"}));
    g_calls.clear();
    point->ForEachSink<ITallyEvents>([](ITallyEvents* s) { s->OnPing(9); });
    EXPECT_EQ(g_calls, (std::vector<std::string>{"dual:OnPing:9"}));
    dualPoint->Unadvise(cookie);
}

TEST_F(ConnectionPointTest, EnumeratesPointsAndConnections) {
    auto a = MakeSink("a");
    DWORD cookie;
    dispPoint->Advise(static_cast<IDispatch*>(a.Get()), &cookie);
    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(dispPoint->EnumConnections(&connections), S_OK);
    CONNECTDATA cd[2];
    ULONG fetched = 0;
    EXPECT_EQ(connections->Next(2, cd, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(cd[0].dwCookie, cookie);
    EXPECT_TRUE(qx::com::IsSameObject(cd[0].pUnk, static_cast<IDispatch*>(a.Get())));
    cd[0].pUnk->Release();

    ComPtr<IConnectionPointContainer> cpc = tally.As<IConnectionPointContainer>();
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(cpc->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint* got[3] = {};
    ASSERT_EQ(points->Next(3, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    IID iid;
    got[0]->GetConnectionInterface(&iid);
    EXPECT_TRUE(IsEqualIID(iid, DIID__DTallyEvents));
    ComPtr<IConnectionPointContainer> back;
    ASSERT_EQ(got[1]->GetConnectionPointContainer(&back), S_OK);
    EXPECT_TRUE(qx::com::IsSameObject(back.Get(), tally.Get()));
    got[0]->Release();
    got[1]->Release();
    dispPoint->Unadvise(cookie);
}

TEST_F(ConnectionPointTest, APointKeepsItsObjectAlive) {
    ComPtr<IConnectionPoint> point = dispPoint;
    int before = CTally::finalReleases;
    tally = nullptr;
    dispPoint = nullptr;
    dualPoint = nullptr;
    EXPECT_EQ(CTally::finalReleases, before);
    IID iid;
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    point = nullptr;
    EXPECT_EQ(CTally::finalReleases, before + 1);
}

} // namespace
