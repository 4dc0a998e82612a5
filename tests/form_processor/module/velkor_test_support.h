// The form control under test: a private registry with Quorle and Velkor registered, the editing
// control's key pointing at a file of a chosen version, message boxes recorded by the UI driver.
#pragma once

#include "component_test_support.h"
#include "velkor_interfaces.h"

#include <objbase.h>
#include <objbase_activation.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <qx/win32/ui_driver.h>
#include <winreg.h>
#include <winuser_dialog.h>
#include <winuser_message.h>
#include <winuser_msgbox.h>
#include <winuser_position.h>
#include <winuser_window.h>

#include <gtest/gtest.h>

#include <chrono>
#include <exdisp.h>
#include <string>
#include <thread>
#include <vector>

namespace velkor_test {

using namespace qxtest;
using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

inline const std::string kVelkor = QX_VELKOR_COMPONENT;
inline const std::string kQuorle = QX_QUORLE_COMPONENT;
inline constexpr char16_t kEditorServerKey[] =
    u"CLSID\\{2D360201-FFF5-11d1-8D03-00A0C959BC0A}\\InprocServer32";
inline constexpr char16_t kConverterServerKey[] =
    u"CLSID\\{241828DA-76FC-412D-8FFC-099704F25959}\\InprocServer32";

// A fixture file of a version ("6.1.0.8513"), or "none" for one without version data.
inline std::string VersionFile(const std::string& version) {
    std::string stem = version;
    for (char& c : stem)
        if (c == '.')
            c = '_';
    return std::string(QX_VELKOR_FIXTURES) + "/libvelkor_version_" + stem + ".so";
}

inline void SetDefault(const std::u16string& key, const std::u16string& value) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
    RegCloseKey(handle);
}

class VelkorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        previousDriver_ = qx::win32::SetUiDriver(&boxes_);
        {
            LoadedComponent quorle(kQuorle), velkor(kVelkor);
            ASSERT_TRUE(quorle.Loaded() && velkor.Loaded());
            ASSERT_EQ(quorle.Call("DllRegisterServer"), S_OK);
            ASSERT_EQ(velkor.Call("DllRegisterServer"), S_OK);
        }
        SetEditorFile(VersionFile("6.1.0.8513"));
    }
    void TearDown() override {
        CoFreeUnusedLibraries();
        qx::win32::SetUiDriver(previousDriver_);
        CoUninitialize();
    }

    void SetEditorFile(const std::string& path) { SetDefault(kEditorServerKey, qx::com::Utf8ToUtf16(path)); }

    HRESULT Create(ComPtr<IVelkor>& control) {
        return CoCreateInstance(CLSID_Velkor, nullptr, CLSCTX_INPROC_SERVER, IID_IVelkor,
                                reinterpret_cast<void**>(&control));
    }

    // Runs the queue until nothing is waiting.
    static void Pump() {
        MSG msg;
        for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    // Pumps until the browser's page is complete (its downloads run on other threads).
    static bool WaitComplete(IWebBrowser2* browser) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            Pump();
            READYSTATE state = READYSTATE_UNINITIALIZED;
            browser->get_ReadyState(&state);
            if (state == READYSTATE_COMPLETE)
                return true;
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    TempRegistry registry_;
    qx::win32::MessageBoxRecorder boxes_;
    qx::win32::UiDriver* previousDriver_ = nullptr;
};

// A sink of _IVelkorEvents that records each event's DISPID and arguments and may act on the way.
class RecordingSink : public IDispatch {
public:
    struct Call {
        DISPID id;
        std::vector<Variant> args; // as they arrived: last argument first
    };
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__IVelkorEvents) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        Call call{id, {}};
        for (UINT i = 0; params && i < params->cArgs; ++i)
            call.args.emplace_back(params->rgvarg[i]);
        calls.push_back(std::move(call));
        if (onCall)
            onCall(id);
        return failWith;
    }
    std::vector<DISPID> Ids() const {
        std::vector<DISPID> ids;
        for (const Call& c : calls)
            ids.push_back(c.id);
        return ids;
    }

    std::vector<Call> calls;
    HRESULT failWith = S_OK;
    std::function<void(DISPID)> onCall;

private:
    ULONG refs_ = 1;
};

inline HRESULT Advise(IUnknown* control, IDispatch* sink, DWORD* cookie, ComPtr<IConnectionPoint>& point) {
    ComPtr<IConnectionPointContainer> container = ComPtr<IConnectionPointContainer>::QueryFrom(control);
    if (!container)
        return E_NOINTERFACE;
    HRESULT hr = container->FindConnectionPoint(DIID__IVelkorEvents, &point);
    return FAILED(hr) ? hr : point->Advise(sink, cookie);
}

} // namespace velkor_test
