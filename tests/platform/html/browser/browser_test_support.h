// What the browser tests share: an apartment with the browser classes, a page's loading run to
// completion, reading the page's elements, and dispatch objects that record their calls.
#pragma once

#include <exdisp.h>
#include <objbase.h>
#include <objbase_activation.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <qx/html/browser/hosting_window.h>
#include <qx/html/browser/web_browser.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/dom/serializer.h>
#include <qx/win32/input_driver.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace browsertest {

inline std::string PagesFolder() {
    return std::string(QX_SOURCE_DIR) + "/tests/platform/html/browser/data";
}

inline std::u16string FileUrl(const std::string& name) {
    return qx::com::Utf8ToUtf16("file://" + PagesFolder() + "/" + name);
}

class BrowserTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(AtlAxWinInit());
    }
    void TearDown() override {
        qx::win32::input::PumpUntilIdle(0);
        CoUninitialize();
    }

    static qx::com::ComPtr<IWebBrowser2> NewBrowser() {
        qx::com::ComPtr<IWebBrowser2> browser;
        EXPECT_EQ(qx::html::browser::CreateWebBrowser(nullptr, IID_IWebBrowser2,
                                                      reinterpret_cast<void**>(&browser)),
                  S_OK);
        return browser;
    }

    // Pumps until the browser has completed (downloads arrive from other threads), at most 20 s.
    static bool WaitComplete(IWebBrowser2* browser) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            qx::win32::input::PumpUntilIdle(0);
            READYSTATE state = READYSTATE_UNINITIALIZED;
            browser->get_ReadyState(&state);
            if (state == READYSTATE_COMPLETE)
                return true;
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    static bool Load(IWebBrowser2* browser, std::u16string_view url) {
        return SUCCEEDED(browser->Navigate(qx::com::Bstr(url).Get(), nullptr, nullptr, nullptr, nullptr)) &&
               WaitComplete(browser);
    }

    static qx::html::dom::DomPtr Dom(IWebBrowser2* browser) {
        qx::com::ComPtr<IDispatch> document;
        browser->get_Document(&document);
        auto access = qx::com::ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get());
        return access ? access->AccessDocument() : nullptr;
    }

    // The text of the element with this id; "<none>" when there is none.
    static std::string Text(IWebBrowser2* browser, std::u16string_view id) {
        qx::html::dom::DomPtr dom = Dom(browser);
        qx::html::dom::Node* node = dom ? dom->tree.ElementById(id) : nullptr;
        return node ? qx::com::Utf16ToUtf8(qx::html::dom::InnerText(node)) : "<none>";
    }
};

// A dispatch object that answers every name with DISPID 1 and hands each call's arguments (in
// the caller's order, as text) and DISPID to a recorder.
class RecordingDispatch final : public IDispatch {
public:
    using Record = std::function<void(DISPID id, const std::vector<std::string>& arguments)>;
    explicit RecordingDispatch(Record record, IID events = IID_NULL)
        : record_(std::move(record)), events_(events) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || (riid == events_ && riid != IID_NULL)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i)
            ids[i] = i == 0 ? 1 : DISPID_UNKNOWN;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        // Its names are methods: reading one as a property finds nothing.
        if (!(flags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        std::vector<std::string> arguments;
        for (UINT i = params ? params->cArgs : 0; i > 0; --i) {
            const VARIANT& arg = params->rgvarg[i - 1];
            const VARIANT* value = arg.vt == (VT_BYREF | VT_VARIANT) ? arg.pvarVal : &arg;
            qx::com::Variant text;
            if (value->vt != VT_DISPATCH && SUCCEEDED(text.ChangeType(VT_BSTR, value)))
                arguments.push_back(qx::com::Utf16ToUtf8({text.bstrVal, SysStringLen(text.bstrVal)}));
            else
                arguments.push_back(value->vt == VT_DISPATCH ? "[object]" : "?");
        }
        record_(id, arguments);
        if (result)
            VariantCopy(result, &answer);
        return S_OK;
    }
    ULONG References() const { return refs_; }
    qx::com::Variant answer; // what every call answers

private:
    Record record_;
    IID events_;
    ULONG refs_ = 1;
};

} // namespace browsertest
