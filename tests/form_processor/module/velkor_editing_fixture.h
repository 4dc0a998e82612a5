// The form control in place with the DHTML editing control registered and a UI driver that
// records menus, boxes and new windows: a form is put into the editor, the caret placed in it, and
// commands run through the page's window.external, as the toolbar page runs them.
#pragma once

#include "velkor_test_support.h"

#include "recording_window.h"

#include <mshtml.h>
#include <qx/com/control/control_host.h>
#include <qx/html/browser/hosting_window.h>

#include <memory>

namespace velkor_test {

// A late-bound call by name: a property get or put, or a method with its arguments in natural
// order.
inline HRESULT CallByName(IDispatch* target, const char16_t* name, WORD flags, std::vector<Variant> args = {},
                          VARIANT* result = nullptr) {
    if (!target)
        return E_POINTER;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (FAILED(hr))
        return hr;
    std::vector<Variant> reversed(args.rbegin(), args.rend());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(),
                      flags == DISPATCH_PROPERTYPUT ? &put : nullptr, static_cast<UINT>(reversed.size()),
                      flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    return target->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, nullptr);
}

inline ComPtr<IDispatch> ObjectByName(IDispatch* target, const char16_t* name) {
    Variant value;
    if (FAILED(CallByName(target, name, DISPATCH_PROPERTYGET, {}, &value)) || value.vt != VT_DISPATCH)
        return nullptr;
    return ComPtr<IDispatch>(value.pdispVal);
}

class VelkorEditingTest : public VelkorTest {
protected:
    void SetUp() override {
        VelkorTest::SetUp();
        LoadedComponent editor(QX_DHTMLED_COMPONENT);
        ASSERT_TRUE(editor.Loaded());
        ASSERT_EQ(editor.Call("DllRegisterServer"), S_OK);
        ASSERT_TRUE(AtlAxWinInit());
        qx::win32::SetUiDriver(&ui_);
        parent_ = std::make_unique<qx::test::RecordingWindow>(640, 520);
    }
    void TearDown() override {
        if (host_)
            host_->Close();
        host_.reset();
        control_ = nullptr;
        parent_.reset();
        Pump();
        VelkorTest::TearDown();
    }

    void Activate(const char16_t* startMode) {
        qx::com::control::ControlHostOptions options;
        options.parent = parent_->hwnd();
        options.position = {0, 0, 600, 500};
        options.params = {{u"StartMode", startMode}};
        options.onEvent = [this](DISPID id, const std::u16string&, std::vector<Variant>& args) {
            events_.push_back({id, args});
        };
        ASSERT_EQ(qx::com::control::ControlHost::Create(CLSID_Velkor, std::move(options), &host_), S_OK);
        control_ = ComPtr<IVelkor>::QueryFrom(host_->Control());
        ASSERT_TRUE(control_);
        ComPtr<IUnknown> page;
        ASSERT_EQ(AtlAxGetControl(host_->ControlWindow(), &page), S_OK);
        ASSERT_TRUE(WaitComplete(ComPtr<IWebBrowser2>::QueryFrom(page.Get()).Get()));
        Settle();
        ComPtr<IDispatch> pageDocument;
        ASSERT_EQ(ComPtr<IWebBrowser2>::QueryFrom(page.Get())->get_Document(&pageDocument), S_OK);
        external_ = ObjectByName(ObjectByName(pageDocument.Get(), u"parentWindow").Get(), u"external");
        ASSERT_TRUE(external_);
    }

    // Lets the editor's completions and the posted steps run.
    static void Settle() {
        for (int i = 0; i < 30; ++i) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    ComPtr<IDispatch> Editor() {
        ComPtr<IDispatch> editor;
        EXPECT_EQ(control_->get_Editor(&editor), S_OK);
        return editor;
    }

    void PutForm(const char16_t* html) {
        ASSERT_EQ(CallByName(Editor().Get(), u"DocumentHTML", DISPATCH_PROPERTYPUT, {Variant(html)}), S_OK);
        Settle();
    }

    ComPtr<IHTMLDocument2> Document() {
        return ComPtr<IHTMLDocument2>::QueryFrom(ObjectByName(Editor().Get(), u"DOM").Get());
    }

    ComPtr<IHTMLElement> Element(const char16_t* id) {
        ComPtr<IDispatch> all, item;
        auto document = Document();
        if (!document || FAILED(document->get_all(&all)))
            return nullptr;
        auto collection = ComPtr<IHTMLElementCollection>::QueryFrom(all.Get());
        if (!collection || FAILED(collection->item(Variant(id), Variant::Missing(), &item)))
            return nullptr;
        return ComPtr<IHTMLElement>::QueryFrom(item.Get());
    }

    ComPtr<IHTMLElement> Body() {
        ComPtr<IDispatch> body;
        Document()->get_body(&body);
        return ComPtr<IHTMLElement>::QueryFrom(body.Get());
    }

    // The caret at the end of the element's text.
    void CaretIn(const char16_t* id) {
        auto element = Element(id);
        ASSERT_TRUE(element) << qx::com::Utf16ToUtf8(id);
        ASSERT_EQ(control_->SetTDFocus(ComPtr<IDispatch>::QueryFrom(element.Get()).Get()), S_OK);
        Pump();
    }

    // The element's text selected.
    void SelectText(const char16_t* id) {
        auto element = Element(id);
        ASSERT_TRUE(element) << qx::com::Utf16ToUtf8(id);
        ComPtr<IDispatch> range;
        auto body = ComPtr<IHTMLBodyElement>::QueryFrom(Body().Get());
        ASSERT_TRUE(body);
        ASSERT_EQ(body->createTextRange(&range), S_OK);
        const Variant target(ComPtr<IDispatch>::QueryFrom(element.Get()).Get());
        ASSERT_EQ(CallByName(range.Get(), u"moveToElementText", DISPATCH_METHOD, {target}), S_OK);
        ASSERT_EQ(CallByName(range.Get(), u"select", DISPATCH_METHOD), S_OK);
        Pump();
    }

    // "ExecCommand" and "QueryStatus" of the page's window.external.
    Variant External(const char16_t* name, LONG id, const Variant& argument) {
        LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
        DISPID dispid = 0;
        EXPECT_EQ(external_->GetIDsOfNames(IID_NULL, names, 1, 0, &dispid), S_OK);
        Variant args[2] = {argument, Variant(id)}; // last argument first
        DISPPARAMS params{args, nullptr, argument.vt == VT_EMPTY ? 1u : 2u, 0};
        if (argument.vt == VT_EMPTY)
            params.rgvarg = &args[1];
        Variant result;
        EXPECT_EQ(external_->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr),
                  S_OK);
        return result;
    }
    Variant Exec(LONG id, const Variant& argument = Variant()) {
        return External(u"ExecCommand", id, argument);
    }
    Variant Query(LONG id) { return External(u"QueryStatus", id, Variant()); }
    // The answer as a number; -1 for VT_EMPTY.
    LONG QueryNumber(LONG id) {
        Variant answer = Query(id);
        if (answer.vt == VT_EMPTY || FAILED(answer.ChangeType(VT_I4)))
            return -1;
        return answer.lVal;
    }

    static Variant Attribute(IHTMLElement* element, const char16_t* name) {
        Variant value;
        element->getAttribute(Bstr(name), 0, &value);
        return value;
    }
    static bool HasAttribute(IHTMLElement* element, const char16_t* name) {
        return Attribute(element, name).vt != VT_NULL;
    }

    LONG EditorStatus(LONG command) {
        Variant status;
        EXPECT_EQ(CallByName(Editor().Get(), u"QueryStatus", DISPATCH_METHOD, {Variant(command)}, &status),
                  S_OK);
        status.ChangeType(VT_I4);
        return status.lVal;
    }

    void SetDesignMode(const char16_t* mode) {
        ASSERT_EQ(Document()->put_designMode(Bstr(mode)), S_OK);
        Settle();
    }
    std::u16string DesignMode() {
        Bstr mode;
        Document()->get_designMode(&mode);
        return std::u16string(mode.View());
    }

    struct Event {
        DISPID id;
        std::vector<Variant> args;
    };

    qx::win32::UiRecorder ui_;
    std::unique_ptr<qx::test::RecordingWindow> parent_;
    std::unique_ptr<qx::com::control::ControlHost> host_;
    ComPtr<IVelkor> control_;
    ComPtr<IDispatch> external_;
    std::vector<Event> events_;
};

} // namespace velkor_test
