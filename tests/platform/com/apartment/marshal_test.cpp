// Marshalling between apartments: calls run on the owner's thread while it pumps, values and
// errors cross both ways, owners that go away disconnect, references come back exactly.
#include "objbase.h"
#include "oleauto.h"
#include "processthreadsapi.h"
#include "qx/com/apartment.h"
#include "qx/com/comptr.h"
#include "synchapi.h"
#include "winuser_message.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

using qx::com::ApartmentType;
using qx::com::ComPtr;

namespace {

// A script-function-like object answering a few names by hand; records where it runs.
class Recorder : public IDispatch {
public:
    std::atomic<LONG> refs{1};
    std::atomic<DWORD> lastThread{0};
    std::atomic<DWORD> releaseThread{0};
    std::atomic<int> calls{0};
    std::atomic<bool> destroyed{false};

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            AddRef();
            *ppv = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override {
        releaseThread = GetCurrentThreadId();
        return static_cast<ULONG>(--refs);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        lastThread = GetCurrentThreadId();
        static const char16_t* known[] = {u"mhtml_encodecomplete", u"Echo", u"Fail", u"CallBack"};
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (DISPID k = 0; k < 4; ++k)
                if (std::u16string(names[i]) == known[k])
                    ids[i] = k + 1;
            if (ids[i] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* dp, VARIANT* result, EXCEPINFO* excep,
                        UINT*) override {
        lastThread = GetCurrentThreadId();
        ++calls;
        switch (id) {
        case 1: // mhtml_encodecomplete(n): remembers n
            lastNumber = dp->rgvarg[0].lVal;
            return S_OK;
        case 2: { // Echo(text, [in, out] ref): result = text + "!", ref = ref * 2
            std::u16string text(dp->rgvarg[1].bstrVal, SysStringLen(dp->rgvarg[1].bstrVal));
            text += u"!";
            if (dp->rgvarg[0].vt == (VT_BYREF | VT_I4))
                *dp->rgvarg[0].plVal *= 2;
            if (dp->rgvarg[0].vt == (VT_BYREF | VT_BSTR)) {
                SysFreeString(*dp->rgvarg[0].pbstrVal);
                *dp->rgvarg[0].pbstrVal = SysAllocString(u"changed");
            }
            if (result) {
                result->vt = VT_BSTR;
                result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
            }
            return S_OK;
        }
        case 3: // Fail: an exception with a description
            if (excep) {
                excep->scode = E_INVALIDARG;
                excep->bstrSource = SysAllocString(u"Recorder");
                excep->bstrDescription = SysAllocString(u"bad value");
            }
            return DISP_E_EXCEPTION;
        case 4: { // CallBack(sink): calls sink's Echo here, on this thread
            IDispatch* sink = dp->rgvarg[0].pdispVal;
            VARIANT arg;
            arg.vt = VT_BSTR;
            arg.bstrVal = SysAllocString(u"from owner");
            VARIANT out;
            VariantInit(&out);
            DISPPARAMS params{&arg, nullptr, 1, 0};
            HRESULT hr = sink->Invoke(5, IID_NULL, 0, DISPATCH_METHOD, &params, &out, nullptr, nullptr);
            VariantClear(&arg);
            if (result)
                *result = out;
            else
                VariantClear(&out);
            return hr;
        }
        case 5: // the sink's own member
            sinkThread = GetCurrentThreadId();
            if (result) {
                result->vt = VT_I4;
                result->lVal = 77;
            }
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
    std::atomic<LONG> lastNumber{0};
    std::atomic<DWORD> sinkThread{0};
};

// Runs `body` on a new thread inside its own single-threaded apartment.
template <typename F>
std::thread Worker(F body) {
    return std::thread([body] {
        ASSERT_EQ(qx::com::EnterApartment(ApartmentType::SingleThreaded), S_OK);
        body();
        qx::com::LeaveApartment();
    });
}

// Pumps the calling thread's queue until `done` holds.
template <typename P>
void PumpUntil(P done) {
    while (!done()) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

HRESULT CallByName(IDispatch* d, const char16_t* name, std::vector<VARIANT> args, VARIANT* result,
                   EXCEPINFO* excep = nullptr) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = d->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (FAILED(hr))
        return hr;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS dp{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return d->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &dp, result, excep, nullptr);
}

class ApartmentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(qx::com::EnterApartment(ApartmentType::SingleThreaded), S_OK); }
    void TearDown() override { qx::com::LeaveApartment(); }
    IStream* Marshal(IUnknown* object) {
        IStream* stream = nullptr;
        EXPECT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object, &stream), S_OK);
        return stream;
    }
};

TEST_F(ApartmentTest, EntriesNestAndModesDoNotMix) {
    EXPECT_EQ(qx::com::CurrentApartmentType(), ApartmentType::SingleThreaded);
    EXPECT_EQ(qx::com::CurrentApartmentOwner(), GetCurrentThreadId());
    EXPECT_EQ(qx::com::EnterApartment(ApartmentType::SingleThreaded), S_FALSE);
    EXPECT_EQ(qx::com::EnterApartment(ApartmentType::MultiThreaded), RPC_E_CHANGED_MODE);
    qx::com::LeaveApartment();
    EXPECT_EQ(qx::com::CurrentApartmentType(), ApartmentType::SingleThreaded);
    std::thread([] {
        EXPECT_EQ(qx::com::CurrentApartmentType(), ApartmentType::None);
        IStream* s = nullptr;
        Recorder r;
        EXPECT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IDispatch, &r, &s), CO_E_NOTINITIALIZED);
        EXPECT_EQ(qx::com::EnterApartment(ApartmentType::MultiThreaded), S_OK);
        EXPECT_EQ(qx::com::CurrentApartmentOwner(), 0u);
        qx::com::LeaveApartment();
    }).join();
}

TEST_F(ApartmentTest, SameApartmentGetsTheObjectItself) {
    Recorder object;
    IStream* stream = Marshal(&object);
    IDispatch* back = nullptr;
    ASSERT_EQ(CoGetInterfaceAndReleaseStream(stream, IID_IDispatch, reinterpret_cast<void**>(&back)), S_OK);
    EXPECT_EQ(back, static_cast<IDispatch*>(&object));
    back->Release();
    EXPECT_EQ(object.refs, 1);
}

TEST_F(ApartmentTest, CallRunsOnOwnerOnlyWhilePumping) {
    Recorder object;
    IStream* stream = Marshal(&object);
    std::atomic<bool> finished{false};
    std::atomic<HRESULT> callResult{E_FAIL};
    DWORD owner = GetCurrentThreadId();
    std::thread worker = Worker([&] {
        IDispatch* proxy = nullptr;
        ASSERT_EQ(CoGetInterfaceAndReleaseStream(stream, IID_IDispatch, reinterpret_cast<void**>(&proxy)),
                  S_OK);
        EXPECT_NE(proxy, static_cast<IDispatch*>(&object));
        VARIANT n;
        n.vt = VT_I4;
        n.lVal = 1;
        callResult = CallByName(proxy, u"mhtml_encodecomplete", {n}, nullptr);
        proxy->Release();
        finished = true;
    });
    // Sleeping without pumping: nothing runs, the caller stays blocked.
    Sleep(200);
    EXPECT_EQ(object.calls, 0);
    EXPECT_FALSE(finished);
    PumpUntil([&] { return finished.load(); });
    worker.join();
    EXPECT_EQ(callResult, S_OK);
    EXPECT_EQ(object.lastNumber, 1);
    EXPECT_EQ(object.lastThread, owner);
    // The proxy's release reaches the object on its own thread when the owner pumps again.
    PumpUntil([&] { return object.refs == 1; });
    EXPECT_EQ(object.releaseThread, owner);
}

TEST_F(ApartmentTest, ResultsOutValuesAndExceptionsComeBack) {
    Recorder object;
    IStream* stream = Marshal(&object);
    std::atomic<bool> finished{false};
    std::thread worker = Worker([&] {
        IDispatch* proxy = nullptr;
        ASSERT_EQ(CoGetInterfaceAndReleaseStream(stream, IID_IDispatch, reinterpret_cast<void**>(&proxy)),
                  S_OK);
        VARIANT text;
        text.vt = VT_BSTR;
        text.bstrVal = SysAllocString(u"안녕");
        LONG number = 21;
        VARIANT ref;
        ref.vt = VT_BYREF | VT_I4;
        ref.plVal = &number;
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(CallByName(proxy, u"Echo", {text, ref}, &result), S_OK);
        EXPECT_EQ(number, 42);
        ASSERT_EQ(result.vt, VT_BSTR);
        EXPECT_EQ(std::u16string(result.bstrVal), u"안녕!");
        VariantClear(&result);

        BSTR owned = SysAllocString(u"before");
        VARIANT bref;
        bref.vt = VT_BYREF | VT_BSTR;
        bref.pbstrVal = &owned;
        EXPECT_EQ(CallByName(proxy, u"Echo", {text, bref}, nullptr), S_OK);
        EXPECT_EQ(std::u16string(owned), u"changed");
        SysFreeString(owned);
        VariantClear(&text);

        EXCEPINFO excep{};
        EXPECT_EQ(CallByName(proxy, u"Fail", {}, nullptr, &excep), DISP_E_EXCEPTION);
        EXPECT_EQ(excep.scode, E_INVALIDARG);
        EXPECT_EQ(std::u16string(excep.bstrDescription), u"bad value");
        EXPECT_EQ(std::u16string(excep.bstrSource), u"Recorder");
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);

        EXPECT_EQ(CallByName(proxy, u"Missing", {}, nullptr), DISP_E_UNKNOWNNAME);
        // QueryInterface on the proxy gives proxies of one identity.
        IUnknown* unknown = nullptr;
        ASSERT_EQ(proxy->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
        IUnknown* again = nullptr;
        ASSERT_EQ(proxy->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again)), S_OK);
        EXPECT_EQ(unknown, again);
        EXPECT_NE(unknown, static_cast<IUnknown*>(&object));
        void* none = nullptr;
        EXPECT_EQ(proxy->QueryInterface(IID_IStream, &none), E_NOINTERFACE);
        again->Release();
        unknown->Release();
        proxy->Release();
        finished = true;
    });
    PumpUntil([&] { return finished.load(); });
    worker.join();
    PumpUntil([&] { return object.refs == 1; });
}

TEST_F(ApartmentTest, InterfaceArgumentsAreMarshalledInTurn) {
    // The worker hands its own sink to the owner; the owner calls it back during the call, and
    // that call runs on the worker's thread, which services it while it waits.
    Recorder object;
    IStream* stream = Marshal(&object);
    std::atomic<bool> finished{false};
    std::atomic<DWORD> workerId{0};
    Recorder sink;
    std::thread worker = Worker([&] {
        workerId = GetCurrentThreadId();
        IDispatch* proxy = nullptr;
        ASSERT_EQ(CoGetInterfaceAndReleaseStream(stream, IID_IDispatch, reinterpret_cast<void**>(&proxy)),
                  S_OK);
        VARIANT arg;
        arg.vt = VT_DISPATCH;
        arg.pdispVal = &sink;
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(CallByName(proxy, u"CallBack", {arg}, &result), S_OK);
        EXPECT_EQ(result.vt, VT_I4);
        EXPECT_EQ(result.lVal, 77);
        proxy->Release();
        finished = true;
        // The owner's proxy of the sink goes away when the owner pumps; this thread takes it.
        PumpUntil([&] { return sink.refs == 1; });
    });
    PumpUntil([&] { return finished.load(); });
    worker.join();
    EXPECT_EQ(sink.sinkThread, workerId);
    EXPECT_EQ(sink.refs, 1);
    PumpUntil([&] { return object.refs == 1; });
}

TEST_F(ApartmentTest, OwnerGoingAwayDisconnects) {
    struct Case {
        const char* name;
        bool endThread; // the owner thread ends instead of leaving its apartment
    };
    for (Case c : {Case{"uninitialised", false}, Case{"ended", true}}) {
        SCOPED_TRACE(c.name);
        Recorder object;
        IStream* first = nullptr;
        IStream* second = nullptr;
        std::atomic<int> stage{0};
        std::thread owner([&] {
            ASSERT_EQ(qx::com::EnterApartment(ApartmentType::SingleThreaded), S_OK);
            EXPECT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IDispatch, &object, &first), S_OK);
            EXPECT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IDispatch, &object, &second), S_OK);
            stage = 1;
            while (stage != 2)
                Sleep(1);
            if (!c.endThread)
                qx::com::LeaveApartment();
        });
        while (stage != 1)
            Sleep(1);
        IDispatch* proxy = nullptr;
        ASSERT_EQ(CoGetInterfaceAndReleaseStream(first, IID_IDispatch, reinterpret_cast<void**>(&proxy)),
                  S_OK);
        // A call waiting for the owner when it goes away gets an answer.
        std::atomic<HRESULT> waiting{S_OK};
        std::thread caller([&] {
            ASSERT_EQ(qx::com::EnterApartment(ApartmentType::SingleThreaded), S_OK);
            waiting = CallByName(proxy, u"Echo", {}, nullptr);
            qx::com::LeaveApartment();
        });
        Sleep(50);
        stage = 2;
        owner.join();
        caller.join();
        EXPECT_EQ(waiting, RPC_E_DISCONNECTED);
        EXPECT_EQ(object.refs, 1);
        EXPECT_EQ(CallByName(proxy, u"Echo", {}, nullptr), RPC_E_DISCONNECTED);
        proxy->Release();
        void* late = nullptr;
        EXPECT_EQ(CoGetInterfaceAndReleaseStream(second, IID_IDispatch, &late), CO_E_OBJNOTCONNECTED);
        EXPECT_EQ(late, nullptr);
    }
}

TEST_F(ApartmentTest, ManyConcurrentCallers) {
    Recorder object;
    constexpr int kThreads = 8;
    constexpr int kCalls = 40;
    std::vector<IStream*> streams;
    for (int i = 0; i < kThreads; ++i)
        streams.push_back(Marshal(&object));
    std::atomic<int> done{0};
    std::atomic<int> good{0};
    DWORD owner = GetCurrentThreadId();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.push_back(Worker([&, t] {
            IDispatch* proxy = nullptr;
            ASSERT_EQ(
                CoGetInterfaceAndReleaseStream(streams[t], IID_IDispatch, reinterpret_cast<void**>(&proxy)),
                S_OK);
            for (int i = 0; i < kCalls; ++i) {
                VARIANT text;
                text.vt = VT_BSTR;
                text.bstrVal =
                    SysAllocString(std::u16string(u"t" + std::u16string(1, char16_t(u'a' + t))).c_str());
                LONG n = i;
                VARIANT ref;
                ref.vt = VT_BYREF | VT_I4;
                ref.plVal = &n;
                VARIANT result;
                VariantInit(&result);
                if (CallByName(proxy, u"Echo", {text, ref}, &result) == S_OK && n == 2 * i &&
                    std::u16string(result.bstrVal) == std::u16string(u"t") + char16_t(u'a' + t) + u"!" &&
                    object.lastThread == owner)
                    ++good;
                VariantClear(&result);
                VariantClear(&text);
            }
            proxy->Release();
            ++done;
        }));
    PumpUntil([&] { return done == kThreads; });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(good, kThreads * kCalls);
    PumpUntil([&] { return object.refs == 1; });
}

TEST_F(ApartmentTest, BadStreamsFailCleanly) {
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    const char junk[] = "QXMP\x01\x02\x03\x04\x05\x06\x07\x08";
    stream->Write(junk, 12, nullptr);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    void* out = nullptr;
    EXPECT_EQ(CoUnmarshalInterface(stream, IID_IDispatch, &out), CO_E_OBJNOTCONNECTED);
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    stream->Write("nope", 4, nullptr);
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(CoUnmarshalInterface(stream, IID_IDispatch, &out), E_INVALIDARG);
    stream->Release();

    Recorder object;
    IStream* marshalled = Marshal(&object);
    EXPECT_GT(object.refs, 1); // held by the marshalled data
    EXPECT_EQ(CoReleaseMarshalData(marshalled), S_OK);
    EXPECT_EQ(object.refs, 1);
    marshalled->Release();
}

} // namespace
