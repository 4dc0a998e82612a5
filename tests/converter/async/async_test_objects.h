// What the asynchronous converter tests stand on: an event sink that records on which thread each
// notice came, a page document with a script object that records its "mhtml_encodecomplete"
// calls, and message pumping for the owner thread.
#pragma once

#include <gtest/gtest.h>
#include <objbase_activation.h>
#include <processthreadsapi.h>
#include <qx/com/bstr.h>
#include <qx/com/variant.h>
#include <synchapi.h>
#include <winuser_message.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mshtml.h>
#include <mutex>
#include <page_document_base.h>
#include <string>
#include <vector>

#include "convert.h"

namespace quorle_async_test {

using qx::com::ComPtr;
using qx::com::ObjectPtr;

// A converter whose destruction can be watched from any thread.
inline std::atomic<int> g_liveConverters{0};

class CCountedConvert : public CConvert {
public:
    CCountedConvert() { ++g_liveConverters; }
    ~CCountedConvert() override { --g_liveConverters; }

    QX_BEGIN_INTERFACES(CCountedConvert)
    QX_INTERFACE_ENTRY(IConvert)
    QX_INTERFACE_ENTRY2(IDispatch, IConvert)
    QX_INTERFACE_ENTRY(IConnectionPointContainer)
    QX_INTERFACE_ENTRY(IObjectSafety)
    QX_INTERFACE_ENTRY(IProvideClassInfo2)
    QX_INTERFACE_ENTRY2(IProvideClassInfo, IProvideClassInfo2)
    QX_END_INTERFACES()
};

struct Notice {
    LONG value;
    DWORD thread;
};

// Records every notice with the thread it arrived on. Advised on both points, it hears
// OnEndConvert twice: once through IConvertEvent's slot, once as the _DIConvertEvent Invoke.
class CRecordingSink : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IConvertEvent> {
public:
    QX_BEGIN_INTERFACES(CRecordingSink)
    QX_INTERFACE_ENTRY(IConvertEvent)
    QX_INTERFACE_ENTRY2(IDispatch, IConvertEvent)
    QX_INTERFACE_ENTRY_IID(DIID__DIConvertEvent, IConvertEvent)
    QX_END_INTERFACES()

    STDMETHODIMP OnStartConvert() override {
        std::lock_guard<std::mutex> guard(lock_);
        starts_.push_back({0, GetCurrentThreadId()});
        return S_OK;
    }
    STDMETHODIMP OnEndConvert(LONG nType) override {
        {
            std::lock_guard<std::mutex> guard(lock_);
            ends_.push_back({nType, GetCurrentThreadId()});
        }
        if (onEnd)
            onEnd();
        return S_OK;
    }
    STDMETHODIMP OnRatioComplete(LONG) override { return S_OK; }

    std::vector<Notice> Starts() const {
        std::lock_guard<std::mutex> guard(lock_);
        return starts_;
    }
    std::vector<Notice> Ends() const {
        std::lock_guard<std::mutex> guard(lock_);
        return ends_;
    }
    size_t EndCount() const { return Ends().size(); }

    std::function<void()> onEnd; // runs after each OnEndConvert, on the thread that delivered it

private:
    mutable std::mutex lock_;
    std::vector<Notice> starts_;
    std::vector<Notice> ends_;
};

// A page's script engine: one global function, "mhtml_encodecomplete", whose calls it records.
class CPageScript final : public IDispatch {
public:
    static constexpr DISPID kCompleteId = 7;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1 || std::u16string(names[0]) != u"mhtml_encodecomplete" || !hasFunction) {
            ids[0] = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        ids[0] = kCompleteId;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        if (id != kCompleteId || (flags & DISPATCH_METHOD) == 0)
            return DISP_E_MEMBERNOTFOUND;
        if (params == nullptr || params->cArgs != 1 || params->rgvarg[0].vt != VT_I4)
            return DISP_E_BADPARAMCOUNT;
        std::lock_guard<std::mutex> guard(lock_);
        calls_.push_back({params->rgvarg[0].lVal, GetCurrentThreadId()});
        return S_OK;
    }

    std::vector<Notice> Calls() const {
        std::lock_guard<std::mutex> guard(lock_);
        return calls_;
    }
    ULONG Refs() const { return refs_; }

    std::atomic<bool> hasFunction{true};

private:
    std::atomic<ULONG> refs_{1};
    mutable std::mutex lock_;
    std::vector<Notice> calls_;
};

// The page's document: its Script property is the page script.
class CPageDocument final : public qx::test::ScriptOnlyDocument {
public:
    explicit CPageDocument(CPageScript* script) : script_(script) { script_->AddRef(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLDocument ||
            riid == IID_IHTMLDocument2) {
            *ppv = static_cast<IHTMLDocument2*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0) {
            script_->Release();
            delete this;
        }
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
    STDMETHODIMP get_Script(IDispatch** p) override {
        *p = script_;
        script_->AddRef();
        return S_OK;
    }

private:
    std::atomic<ULONG> refs_{1};
    CPageScript* script_;
};

// Advises the sink on both of the converter's points.
inline void AdviseBoth(IUnknown* converter, IConvertEvent* sink) {
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(converter->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
              S_OK);
    for (const IID* iid : {&IID_IConvertEvent, &DIID__DIConvertEvent}) {
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(container->FindConnectionPoint(*iid, &point), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(sink, &cookie), S_OK);
    }
}

inline std::u16string Text(BSTR value) {
    std::u16string text = value != nullptr ? std::u16string(value, SysStringLen(value)) : std::u16string();
    SysFreeString(value);
    return text;
}

inline std::u16string Wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// Runs the calling thread's messages (and the calls posted to it) until done() or the deadline.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (done())
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// Waits without pumping until no conversion runs in the process: a synchronous filterOut of an
// empty text is refused exactly while one is running.
inline bool WaitUntilIdle(CConvert* probe, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    probe->put_sync(VARIANT_TRUE);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        VARIANT_BOOL started = VARIANT_FALSE;
        probe->filterOut(nullptr, &started);
        if (started == VARIANT_TRUE)
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        Sleep(5);
    }
}

} // namespace quorle_async_test
