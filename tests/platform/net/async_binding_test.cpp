// URLOpenStreamA: callbacks come on the starting thread, only while it pumps, in order.
#include "canned_server.h"
#include "processthreadsapi.h"
#include "stream_surface.h"
#include "urlmon.h"
#include "winerror.h"
#include "winuser_message.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

class Recorder final : public IBindStatusCallback {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IBindStatusCallback) {
            *ppv = static_cast<IBindStatusCallback*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    STDMETHODIMP OnStartBinding(DWORD, IBinding* binding) override {
        Note("start");
        this->binding = binding;
        binding->AddRef();
        if (keep) {
            keptBinding = binding;
            keptBinding->AddRef();
        }
        if (abortAtStart) {
            binding->Abort();
        }
        if (suspendAtStart) {
            binding->Suspend();
        }
        return S_OK;
    }
    STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
    STDMETHODIMP OnProgress(ULONG, ULONG, ULONG status, LPCWSTR) override {
        Note("progress");
        statuses.push_back(status);
        return S_OK;
    }
    STDMETHODIMP OnStopBinding(HRESULT hr, LPCWSTR) override {
        Note("stop");
        result = hr;
        stopped = true;
        if (binding != nullptr) {
            binding->Release();
            binding = nullptr;
        }
        return S_OK;
    }
    STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO* info) override {
        Note("bindinfo");
        *flags = BINDF_ASYNCHRONOUS | BINDF_GETNEWESTVERSION;
        info->cbSize = sizeof *info;
        return S_OK;
    }
    STDMETHODIMP OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override {
        Note("data");
        notifications.push_back(flags);
        lastSize = size;
        EXPECT_EQ(format->tymed, static_cast<DWORD>(TYMED_ISTREAM));
        EXPECT_EQ(medium->tymed, static_cast<DWORD>(TYMED_ISTREAM));
        if (keep && keptStream == nullptr) {
            keptStream = medium->pstm;
            keptStream->AddRef();
        }
        char buffer[1000];
        HRESULT hr = S_OK;
        while (hr == S_OK) {
            ULONG got = 0;
            hr = medium->pstm->Read(buffer, sizeof buffer, &got);
            body.append(buffer, got);
        }
        EXPECT_TRUE(hr == E_PENDING || hr == S_FALSE) << std::hex << hr;
        return S_OK;
    }
    STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    void Note(const char* what) {
        EXPECT_EQ(GetCurrentThreadId(), owner);
        if (events.empty() || events.back() != what) {
            events.push_back(what);
        }
    }

    // Pumps until the binding stops (bounded).
    void PumpUntilStopped() {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!stopped && std::chrono::steady_clock::now() < until) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    DWORD owner = GetCurrentThreadId();
    ULONG refs = 1;
    IBinding* binding = nullptr;
    bool abortAtStart = false;
    bool suspendAtStart = false;
    bool keep = false; // holds on to the binding and the data stream for the test
    IBinding* keptBinding = nullptr;
    IStream* keptStream = nullptr;
    bool stopped = false;
    HRESULT result = E_FAIL;
    std::vector<std::string> events;
    std::vector<ULONG> statuses;
    std::vector<DWORD> notifications;
    DWORD lastSize = 0;
    std::string body;
};

TEST(AsyncBinding, CallbacksRunOnlyWhileTheOwnerPumps) {
    qxtest::CannedServer server;
    Recorder recorder;
    ASSERT_EQ(URLOpenStreamA(nullptr, server.Url("/slow").c_str(), 0, &recorder), S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ(server.RequestCount("/slow"), 0); // nothing starts before OnStartBinding
    recorder.PumpUntilStopped();
    ASSERT_TRUE(recorder.stopped);
    EXPECT_EQ(recorder.result, S_OK);
    ASSERT_GE(recorder.events.size(), 4u);
    EXPECT_EQ(recorder.events[0], "bindinfo");
    EXPECT_EQ(recorder.events[1], "start");
    EXPECT_EQ(recorder.events.back(), "stop");
    ASSERT_EQ(recorder.body.size(), 20000u);
    for (std::size_t i = 0; i < recorder.body.size(); ++i) {
        ASSERT_EQ(recorder.body[i], qxtest::PatternByte(i));
    }
    ASSERT_FALSE(recorder.notifications.empty());
    EXPECT_TRUE(recorder.notifications.front() & BSCF_FIRSTDATANOTIFICATION);
    EXPECT_TRUE(recorder.notifications.back() & BSCF_LASTDATANOTIFICATION);
    for (std::size_t i = 1; i + 1 < recorder.notifications.size(); ++i) {
        EXPECT_EQ(recorder.notifications[i], static_cast<DWORD>(BSCF_INTERMEDIATEDATANOTIFICATION));
    }
    EXPECT_EQ(recorder.lastSize, 20000u);
    EXPECT_EQ(recorder.statuses.front(), static_cast<ULONG>(BINDSTATUS_BEGINDOWNLOADDATA));
    EXPECT_EQ(recorder.statuses.back(), static_cast<ULONG>(BINDSTATUS_ENDDOWNLOADDATA));
    EXPECT_EQ(recorder.refs, 1u);
}

TEST(AsyncBinding, FailuresEndInOnStopBinding) {
    qxtest::CannedServer server;
    const std::pair<std::string, HRESULT> cases[] = {
        {server.Url("/missing"), INET_E_RESOURCE_NOT_FOUND},
        {server.Url("/early"), INET_E_DOWNLOAD_FAILURE},
        {"gopher://x/", INET_E_UNKNOWN_PROTOCOL},
        {"c:/no/such/file.htm", INET_E_RESOURCE_NOT_FOUND},
    };
    for (const auto& [url, hr] : cases) {
        SCOPED_TRACE(url);
        Recorder recorder;
        ASSERT_EQ(URLOpenStreamA(nullptr, url.c_str(), 0, &recorder), S_OK);
        recorder.PumpUntilStopped();
        EXPECT_EQ(recorder.result, hr);
        EXPECT_EQ(recorder.events.back(), "stop");
        EXPECT_EQ(recorder.refs, 1u);
    }
}

TEST(AsyncBinding, EarlyCloseDeliversWhatArrived) {
    qxtest::CannedServer server;
    Recorder recorder;
    ASSERT_EQ(URLOpenStreamA(nullptr, server.Url("/early").c_str(), 0, &recorder), S_OK);
    recorder.PumpUntilStopped();
    EXPECT_EQ(recorder.body, "only ten b");
    EXPECT_EQ(recorder.result, INET_E_DOWNLOAD_FAILURE);
}

TEST(AsyncBinding, AbortStopsWithEAbort) {
    qxtest::CannedServer server(true);
    Recorder recorder;
    recorder.abortAtStart = true;
    ASSERT_EQ(URLOpenStreamA(nullptr, server.Url("/large").c_str(), 0, &recorder), S_OK);
    recorder.PumpUntilStopped();
    EXPECT_EQ(recorder.result, E_ABORT);
    EXPECT_TRUE(recorder.notifications.empty());
    EXPECT_EQ(recorder.refs, 1u);
}

TEST(AsyncBinding, SuspendHoldsTheTransferUntilResume) {
    qxtest::CannedServer server;
    Recorder recorder;
    recorder.suspendAtStart = true;
    ASSERT_EQ(URLOpenStreamA(nullptr, server.Url("/fixed").c_str(), 0, &recorder), S_OK);
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < until) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_NE(recorder.binding, nullptr);
    EXPECT_TRUE(recorder.notifications.empty());
    EXPECT_FALSE(recorder.stopped);
    LONG priority = 0;
    EXPECT_EQ(recorder.binding->SetPriority(7), S_OK);
    EXPECT_EQ(recorder.binding->GetPriority(&priority), S_OK);
    EXPECT_EQ(priority, 7);
    IBinding* binding = recorder.binding;
    binding->AddRef();
    EXPECT_EQ(binding->Resume(), S_OK);
    recorder.PumpUntilStopped();
    EXPECT_EQ(recorder.result, S_OK);
    EXPECT_EQ(recorder.body, "fixed length body\n");
    CLSID protocol;
    DWORD result = 1;
    LPOLESTR text = nullptr;
    EXPECT_EQ(binding->GetBindResult(&protocol, &result, &text, nullptr), S_OK);
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(binding->Abort(), S_FALSE);
    binding->Release();
}

TEST(AsyncBinding, LargeBodyArrivesWhole) {
    qxtest::CannedServer server(true);
    Recorder recorder;
    ASSERT_EQ(URLOpenStreamA(nullptr, server.Url("/large").c_str(), 0, &recorder), S_OK);
    recorder.PumpUntilStopped();
    EXPECT_EQ(recorder.result, S_OK);
    EXPECT_EQ(recorder.body.size(), qxtest::CannedServer::kLargeSize);
}

TEST(AsyncBinding, TheBindingAndItsDataStreamAnswerAsCOMObjects) {
    qxtest::CannedServer server;
    Recorder recorder;
    recorder.keep = true;
    ASSERT_EQ(URLOpenStreamA(nullptr, server.Url("/fixed").c_str(), 0, &recorder), S_OK);
    recorder.PumpUntilStopped();
    ASSERT_EQ(recorder.result, S_OK);
    ASSERT_NE(recorder.keptStream, nullptr);
    ASSERT_NE(recorder.keptBinding, nullptr);

    IStream* stream = recorder.keptStream;
    qxtest::ExpectReadOnlyStreamSurface(stream, recorder.body.size());
    // Data arrives once and in order: no seeking, no copying.
    LARGE_INTEGER start{};
    ULARGE_INTEGER where{};
    EXPECT_EQ(stream->Seek(start, STREAM_SEEK_CUR, &where), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream->CopyTo(stream, ULARGE_INTEGER{}, nullptr, nullptr), STG_E_INVALIDFUNCTION);
    char byte = 0;
    ULONG got = 9;
    EXPECT_EQ(stream->Read(&byte, 1, &got), S_FALSE);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(stream->Release(), 1u); // the binding's own reference; it goes with the binding

    IBinding* binding = recorder.keptBinding;
    const std::pair<const IID*, HRESULT> queries[] = {
        {&IID_IUnknown, S_OK},
        {&IID_IBinding, S_OK},
        {&IID_IStream, E_NOINTERFACE},
    };
    for (const auto& [iid, hr] : queries) {
        void* out = nullptr;
        EXPECT_EQ(binding->QueryInterface(*iid, &out), hr);
        EXPECT_EQ(out, hr == S_OK ? static_cast<void*>(binding) : nullptr);
        if (out != nullptr)
            binding->Release();
    }
    EXPECT_EQ(binding->QueryInterface(IID_IBinding, nullptr), E_POINTER);
    EXPECT_EQ(binding->Release(), 0u);
}

TEST(AsyncBinding, BadArguments) {
    Recorder recorder;
    EXPECT_EQ(URLOpenStreamA(nullptr, nullptr, 0, &recorder), E_INVALIDARG);
    EXPECT_EQ(URLOpenStreamA(nullptr, "c:/x", 0, nullptr), E_INVALIDARG);
}

} // namespace
