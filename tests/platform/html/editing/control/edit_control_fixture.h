// A private registry with the editing control's component file registered through its own
// DllRegisterServer, an apartment, a UI recorder, and a parent window for the control.
#pragma once

#include "recording_window.h"

#include <dhtmled.h>
#include <mshtml.h>
#include <objbase.h>
#include <objbase_activation.h>
#include <oleidl.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <qx/win32/input_driver.h>
#include <qx/win32/registry.h>
#include <qx/win32/ui_driver.h>
#include <winmodule.h>
#include <winreg.h>
#include <winuser_controls.h>
#include <winuser_input.h>
#include <winuser_msgbox.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace qx::test {

using namespace qx::html::editing::control;

class EditControlFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qx-dhtmled-XXXXXX";
        dir_ = mkdtemp(pattern);
        qx::registry::SetRootForTesting(dir_ / "registry");
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        module_ = LoadLibraryW(com::Utf8ToUtf16(QX_DHTMLED_MODULE).c_str());
        ASSERT_NE(module_, nullptr);
        using Entry = HRESULT (*)();
        auto doRegister = reinterpret_cast<Entry>(GetProcAddress(module_, "DllRegisterServer"));
        ASSERT_NE(doRegister, nullptr);
        ASSERT_EQ(doRegister(), S_OK);
        previousDriver_ = win32::SetUiDriver(&ui_);
        window_ = std::make_unique<RecordingWindow>(400, 300);
    }
    void TearDown() override {
        window_.reset();
        Pump();
        win32::SetUiDriver(previousDriver_);
        CoUninitialize();
        qx::registry::SetRootForTesting(dir_ / "unused");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    static void Pump() { win32::input::PumpUntilIdle(0); }

    // The control, made by its ProgID the way script makes it.
    static com::ComPtr<IDHTMLSafe> CreateControl() {
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(u"DHTMLSafe.DHTMLSafe", &clsid), S_OK);
        com::ComPtr<IDHTMLSafe> control;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDHTMLSafe,
                                   reinterpret_cast<void**>(&control)),
                  S_OK);
        return control;
    }
    static std::u16string RegistryText(const std::u16string& key) {
        char16_t value[1024] = {};
        LONG size = sizeof value;
        if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS)
            return u"<missing>";
        return value;
    }
    static std::u16string Text(BSTR text) { return std::u16string(text ? text : u"", SysStringLen(text)); }
    static std::u16string DocumentHtml(IDHTMLSafe* control) {
        com::Bstr text;
        EXPECT_EQ(control->get_DocumentHTML(&text), S_OK);
        return Text(text);
    }
    static com::ComPtr<IHTMLDocument2> Dom(IDHTMLSafe* control) {
        com::ComPtr<IDispatch> dom;
        EXPECT_EQ(control->get_DOM(&dom), S_OK);
        return com::ComPtr<IHTMLDocument2>::QueryFrom(dom.Get());
    }
    // BODY's innerHTML, or "<no body>".
    static std::u16string BodyHtml(IDHTMLSafe* control) {
        com::ComPtr<IDispatch> bodyObject;
        com::ComPtr<IHTMLDocument2> dom = Dom(control);
        if (!dom || FAILED(dom->get_body(&bodyObject)) || !bodyObject)
            return u"<no body>";
        com::ComPtr<IHTMLElement> body = com::ComPtr<IHTMLElement>::QueryFrom(bodyObject.Get());
        com::Bstr html;
        body->get_innerHTML(&html);
        return Text(html);
    }
    static HWND ViewOf(IDHTMLSafe* control) {
        com::ComPtr<IOleWindow> window = com::ComPtr<IOleWindow>::QueryFrom(Dom(control).Get());
        HWND hwnd = nullptr;
        if (window)
            window->GetWindow(&hwnd);
        return hwnd;
    }

    std::filesystem::path dir_;
    HMODULE module_ = nullptr;
    win32::UiRecorder ui_;
    win32::UiDriver* previousDriver_ = nullptr;
    std::unique_ptr<RecordingWindow> window_;
};

} // namespace qx::test
