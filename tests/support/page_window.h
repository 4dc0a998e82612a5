// A page opened as pagehost opens it: the browser control ("Shell.Explorer") in a frame whose
// client area is 1024 x 768, page time on the virtual clock, run until it has completed and
// nothing is left. A person's mouse and keys reach it through the UI driver, aimed at the boxes
// the layout reports for the page's elements. The caller holds an apartment and has the page's
// components registered.
#pragma once

#include "exdisp.h"
#include "oleidl.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"
#include "qx/html/browser/hosting_window.h"
#include "qx/html/dom/html_document.h"
#include "qx/html/dom/serializer.h"
#include "qx/win32/input_driver.h"
#include "qx/win32/virtual_clock.h"
#include "sysinfoapi.h"
#include "winuser_input.h"
#include "winuser_message.h"
#include "winuser_position.h"
#include "winuser_window.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace qxtest {

class PageWindow {
public:
    PageWindow() { qx::win32::InstallVirtualClock(0); }
    ~PageWindow() {
        browser_ = nullptr;
        control_ = nullptr;
        host_ = nullptr;
        if (frame_)
            DestroyWindow(frame_);
        qx::win32::input::PumpUntilIdle(0);
        qx::win32::input::ResetInputState();
        qx::win32::RemoveVirtualClock();
    }
    PageWindow(const PageWindow&) = delete;
    PageWindow& operator=(const PageWindow&) = delete;

    // Opens the page (a path); false when the browser cannot start or the page does not complete
    // within 20 seconds.
    bool Open(const std::filesystem::path& page) {
        if (!AtlAxWinInit())
            return false;
        frame_ = CreateWindowExW(0, u"STATIC", u"page", WS_OVERLAPPEDWINDOW, 0, 0, 1024, 768, nullptr,
                                 nullptr, nullptr, nullptr);
        if (!frame_)
            return false;
        RECT outer{}, client{};
        GetWindowRect(frame_, &outer);
        GetClientRect(frame_, &client);
        SetWindowPos(frame_, nullptr, 0, 0, 1024 + (outer.right - outer.left) - client.right,
                     768 + (outer.bottom - outer.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
        if (FAILED(AtlAxCreateControlEx(u"Shell.Explorer", frame_, nullptr, &host_, &control_, IID_NULL,
                                        nullptr)))
            return false;
        browser_ = qx::com::ComPtr<IWebBrowser2>::QueryFrom(control_.Get());
        ShowWindow(frame_, SW_SHOW);
        const std::u16string address = qx::com::Utf8ToUtf16("file://" + page.string());
        browser_->Navigate(qx::com::Bstr(address).Get(), nullptr, nullptr, nullptr, nullptr);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            Pump();
            READYSTATE state = READYSTATE_UNINITIALIZED;
            if (SUCCEEDED(browser_->get_ReadyState(&state)) && state == READYSTATE_COMPLETE)
                break;
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        Pump();
        HWND browserWindow = nullptr;
        if (auto window = qx::com::ComPtr<IOleWindow>::QueryFrom(control_.Get()))
            window->GetWindow(&browserWindow);
        view_ = browserWindow ? GetWindow(browserWindow, GW_CHILD) : nullptr;
        return view_ != nullptr && Dom() != nullptr;
    }

    // Runs the queue and the timers due within ten minutes of page time.
    void Pump() const { qx::win32::input::PumpUntilIdle(GetTickCount() + 600000); }

    qx::html::dom::DomPtr Dom() const {
        qx::com::ComPtr<IDispatch> document;
        if (!browser_ || FAILED(browser_->get_Document(&document)) || !document)
            return nullptr;
        auto access = qx::com::ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get());
        return access ? access->AccessDocument() : nullptr;
    }
    qx::html::dom::Node* ById(std::u16string_view id) const {
        qx::html::dom::DomPtr dom = Dom();
        return dom ? dom->tree.ElementById(id) : nullptr;
    }
    std::string Text(std::u16string_view id) const {
        qx::html::dom::Node* node = ById(id);
        return node ? qx::com::Utf16ToUtf8(qx::html::dom::InnerText(node)) : "<none>";
    }
    // The element's object, as page script gets it.
    qx::com::ComPtr<IDispatch> Object(qx::html::dom::Node* node) const {
        qx::com::ComPtr<IDispatch> object;
        if (node)
            qx::html::dom::NodeObjectOf(Dom(), node, &object);
        return object;
    }
    // A property put by name, as page script puts it.
    HRESULT Put(qx::html::dom::Node* node, const char16_t* name, const VARIANT& value) const {
        qx::com::ComPtr<IDispatch> object = Object(node);
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        if (!object || FAILED(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id)))
            return DISP_E_UNKNOWNNAME;
        VARIANT argument = value;
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&argument, &named, 1, 1};
        const HRESULT hr =
            object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
        Pump();
        return hr;
    }

    // A property of an object read by name, as page script reads it (VT_EMPTY when it fails).
    static qx::com::Variant Get(IDispatch* object, const char16_t* name) {
        qx::com::Variant value;
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        if (object && SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id)))
            object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
        return value;
    }
    // The same as text.
    static std::string GetText(IDispatch* object, const char16_t* name) {
        qx::com::Variant value = Get(object, name);
        if (value.vt == VT_EMPTY || FAILED(value.ChangeType(VT_BSTR)))
            return "<none>";
        return qx::com::Utf16ToUtf8({value.bstrVal, SysStringLen(value.bstrVal)});
    }

    // The border box of an element in the view's client coordinates.
    qx::html::dom::ClientRect Box(qx::html::dom::Node* node) const {
        qx::html::dom::DomPtr dom = Dom();
        return dom && node && dom->geometry ? dom->geometry->BoundingClientRect(node)
                                            : qx::html::dom::ClientRect{};
    }
    POINT Center(qx::html::dom::Node* node) const {
        const qx::html::dom::ClientRect box = Box(node);
        return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    }

    void Click(POINT at, WPARAM keys = 0) {
        qx::win32::input::Move(view_, at.x, at.y, keys);
        qx::win32::input::Press(view_, at.x, at.y, keys);
        qx::win32::input::Release(view_, at.x, at.y, keys);
        Pump();
    }
    void Click(qx::html::dom::Node* node, WPARAM keys = 0) { Click(Center(node), keys); }
    void DoubleClick(qx::html::dom::Node* node) {
        const POINT at = Center(node);
        qx::win32::input::Move(view_, at.x, at.y);
        qx::win32::input::DoubleClick(view_, at.x, at.y);
        Pump();
    }
    void MoveTo(POINT at) {
        qx::win32::input::Move(view_, at.x, at.y);
        Pump();
    }
    // Presses at one point, moves to the other with the button held, releases there.
    void Drag(POINT from, POINT to) {
        qx::win32::input::Move(view_, from.x, from.y);
        qx::win32::input::Press(view_, from.x, from.y);
        qx::win32::input::Move(view_, (from.x + to.x) / 2, (from.y + to.y) / 2, MK_LBUTTON);
        qx::win32::input::Move(view_, to.x, to.y, MK_LBUTTON);
        qx::win32::input::Release(view_, to.x, to.y);
        Pump();
    }
    // A key with Ctrl held or not, to the view.
    void Key(int vk, bool control = false) {
        SetFocus(view_);
        if (control)
            qx::win32::input::Key(VK_CONTROL, true);
        qx::win32::input::Key(vk, true);
        qx::win32::input::Key(vk, false);
        if (control)
            qx::win32::input::Key(VK_CONTROL, false);
        Pump();
    }

    // The document as pagehost saves it.
    std::string Saved() const {
        qx::html::dom::DomPtr dom = Dom();
        return dom ? qx::html::dom::EncodeDocumentText(qx::html::dom::DocumentHtml(dom->tree),
                                                       dom->tree.charset)
                   : std::string();
    }

private:
    HWND frame_ = nullptr;
    HWND view_ = nullptr;
    qx::com::ComPtr<IUnknown> host_, control_;
    qx::com::ComPtr<IWebBrowser2> browser_;
};

} // namespace qxtest
