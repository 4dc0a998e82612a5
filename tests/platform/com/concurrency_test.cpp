// The framework's shared state under several threads: reference counts, connection lists,
// enumerator positions.
#include "test_interfaces.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using qx::com::ComPtr;

namespace {

class CountingSink : public qx::com::ObjectRoot, public ITallyEvents {
public:
    QX_BEGIN_INTERFACES(CountingSink)
    QX_INTERFACE_ENTRY(ITallyEvents)
    QX_END_INTERFACES()
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP OnPing(LONG) override {
        ++calls;
        return S_OK;
    }
    STDMETHODIMP OnText(BSTR) override { return S_OK; }
    std::atomic<int> calls{0};
};

TEST(Concurrency, ReferenceCountsFromManyThreads) {
    ComPtr<ITally> tally;
    ASSERT_EQ(qx::com::CreateInstance<CTally>(nullptr, IID_ITally, reinterpret_cast<void**>(&tally)), S_OK);
    int released = CTally::finalReleases;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                ComPtr<IDispatch> d = tally.As<IDispatch>();
                ComPtr<ITally> back = d.As<ITally>();
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(CTally::finalReleases, released);
    tally = nullptr;
    EXPECT_EQ(CTally::finalReleases, released + 1);
}

TEST(Concurrency, AdviseAndUnadviseWhileFiring) {
    ComPtr<ITally> tally;
    ASSERT_EQ(qx::com::CreateInstance<CTally>(nullptr, IID_ITally, reinterpret_cast<void**>(&tally)), S_OK);
    ComPtr<IConnectionPoint> point;
    tally.As<IConnectionPointContainer>()->FindConnectionPoint(IID_ITallyEvents, &point);
    qx::com::ObjectPtr<CountingSink> steady;
    ASSERT_EQ(qx::com::CreateObject<CountingSink>(steady), S_OK);
    DWORD steadyCookie = 0;
    ASSERT_EQ(point->Advise(static_cast<ITallyEvents*>(steady.Get()), &steadyCookie), S_OK);
    std::atomic<bool> stop{false};
    std::thread churn([&] {
        while (!stop) {
            qx::com::ObjectPtr<CountingSink> sink;
            qx::com::CreateObject<CountingSink>(sink);
            DWORD cookie = 0;
            point->Advise(static_cast<ITallyEvents*>(sink.Get()), &cookie);
            point->Unadvise(cookie);
        }
    });
    for (int i = 0; i < 3000; ++i)
        tally->Ping(i);
    stop = true;
    churn.join();
    EXPECT_EQ(steady->calls, 3000);
    EXPECT_EQ(point->Unadvise(steadyCookie), S_OK);
}

TEST(Concurrency, ErrorInfoStaysWithItsThread) {
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t, &mismatches] {
            for (int i = 0; i < 200; ++i) {
                std::u16string text = u"thread " + std::u16string(1, static_cast<char16_t>(u'0' + t));
                qx::com::ReportError(IID_ITally, u"src", text, E_FAIL);
                ComPtr<IErrorInfo> info;
                qx::com::Bstr desc;
                if (GetErrorInfo(0, &info) != S_OK || FAILED(info->GetDescription(&desc)) ||
                    desc.View() != text)
                    ++mismatches;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(mismatches, 0);
}

} // namespace
