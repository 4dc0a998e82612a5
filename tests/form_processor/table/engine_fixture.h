// The table engine on a document of the editing control, hosted in a test window, with an owner
// that records what the engine tells the control and answers its questions from fields.
#pragma once

#include "dispatch_names.h"
#include "edit_control_fixture.h"
#include "table_editor.h"

#include <qx/com/control/control_host.h>
#include <qx/win32/window_internals.h>

#include <string>
#include <vector>

namespace qx::test {

class RecordingOwner : public TableEditorOwner {
public:
    SHORT OwnerStartMode() const override { return startMode; }
    bool OwnerKeysFree() const override { return keysFree; }
    bool OwnerCaretAnywhere() const override { return caretAnywhere; }
    bool TakeKeyIgnore() override { return std::exchange(keyIgnore, false); }
    void NotifyElementKey(LONG key, LONG shift, LONG ctrl) override {
        keys.push_back({key, shift, ctrl});
        if (onNotify)
            onNotify();
    }
    void NotifyControlChange(IDispatch* element) override {
        changed.emplace_back(element);
        if (onNotify)
            onNotify();
    }

    SHORT startMode = 1;
    bool keysFree = false;
    bool caretAnywhere = false;
    bool keyIgnore = false;
    std::vector<std::vector<LONG>> keys;
    std::vector<com::ComPtr<IDispatch>> changed;
    std::function<void()> onNotify;
};

class EngineFixture : public EditControlFixture {
protected:
    void TearDown() override {
        engine_.Detach();
        win32::ResetKeyState();
        if (host_)
            host_->Close();
        host_.reset();
        control_ = nullptr;
        EditControlFixture::TearDown();
    }

    // The control active in the test window on html, with the engine attached to its document.
    void Load(const char16_t* html) {
        if (!control_) {
            control_ = CreateControl();
            com::control::ControlHostOptions options;
            options.parent = window_->hwnd();
            options.position = RECT{0, 0, 400, 300};
            ASSERT_EQ(com::control::ControlHost::Host(control_.Get(), std::move(options), &host_), S_OK);
        }
        ASSERT_EQ(control_->put_DocumentHTML(com::Bstr(html)), S_OK);
        Pump();
        engine_.Detach();
        ASSERT_EQ(engine_.Attach(Dom(control_.Get()).Get()), 1);
    }
    IHTMLDocument2* Document() { return engine_.Document(); }
    HWND View() { return engine_.EditorWindow(); }

    com::ComPtr<IHTMLElement> ById(const char16_t* id) {
        com::ComPtr<IDispatch> all;
        Document()->get_all(&all);
        auto collection = com::ComPtr<IHTMLElementCollection>::QueryFrom(all.Get());
        com::ComPtr<IDispatch> item;
        if (collection)
            collection->item(com::Variant(id), com::Variant::Missing(), &item);
        return com::ComPtr<IHTMLElement>::QueryFrom(item.Get());
    }
    // The caret at the end of the element's text.
    void CaretIn(const char16_t* id) { engine_.FocusElement(ById(id).Get()); }
    // The element's text selected.
    void Select(const char16_t* id) {
        com::ComPtr<IDispatch> bodyObject;
        Document()->get_body(&bodyObject);
        auto body = com::ComPtr<IHTMLBodyElement>::QueryFrom(bodyObject.Get());
        com::ComPtr<IDispatch> range;
        ASSERT_TRUE(body && SUCCEEDED(body->createTextRange(&range)));
        com::Variant target(static_cast<IDispatch*>(ById(id).Get()));
        CallMethodByName(range.Get(), u"moveToElementText", &target, 1, nullptr);
        CallMethodByName(range.Get(), u"select", nullptr, 0, nullptr);
    }
    // The client point 3 px inside the element's top-left corner (the page does not scroll).
    POINT Inside(const char16_t* id) {
        LONG x = 0, y = 0;
        com::ComPtr<IHTMLElement> element = ById(id);
        while (element) {
            LONG left = 0, top = 0;
            element->get_offsetLeft(&left);
            element->get_offsetTop(&top);
            x += left;
            y += top;
            com::ComPtr<IDispatch> parent;
            element->get_offsetParent(&parent);
            element = com::ComPtr<IHTMLElement>::QueryFrom(parent.Get());
        }
        return {x + 3, y + 3};
    }
    std::u16string Attribute(const char16_t* id, const char16_t* name) {
        com::Variant value;
        com::ComPtr<IHTMLElement> element = ById(id);
        if (!element || FAILED(element->getAttribute(com::Bstr(name), 0, &value)) || value.vt == VT_NULL)
            return u"<none>";
        value.ChangeType(VT_BSTR);
        return Text(value.bstrVal);
    }
    std::u16string Body() { return BodyHtml(control_.Get()); }
    static void Hold(int vk, bool down) { win32::SetKeyDown(vk, down); }

    RecordingOwner owner_;
    CTableEditor engine_{owner_};
    com::ComPtr<IDHTMLSafe> control_;
    std::unique_ptr<com::control::ControlHost> host_;
};

} // namespace qx::test
