// A document parsed with layout over it (800 x 600), shown by a window, and a table engine
// attached to it; message boxes recorded.
#pragma once

#include "recording_window.h"
#include "table_editor.h"

#include <mshtml.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/layout/document_geometry.h>
#include <qx/html/layout/page_layout.h>
#include <qx/win32/ui_driver.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace gridtest {

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

class QuietOwner : public TableEditorOwner {
public:
    SHORT OwnerStartMode() const override { return 1; }
    bool OwnerKeysFree() const override { return true; }
    bool OwnerCaretAnywhere() const override { return true; }
    bool TakeKeyIgnore() override { return false; }
    void NotifyElementKey(LONG, LONG, LONG) override {}
    void NotifyControlChange(IDispatch*) override {}
};

// The fixture of the grid tests: body margin 10; a table with border 1, padding 1, spacing 2;
// a (50 x 30) and b (40) in row 0, c (colspan 2, height 20) in row 1.
inline constexpr char16_t kFixtureTable[] =
    u"<table id=t border=1 cellpadding=1 cellspacing=2><tr><td id=a width=50 height=30>x</td>"
    u"<td id=b width=40>y</td></tr><tr><td id=c colspan=2 height=20>z</td></tr></table>";

inline std::u16string Page(const std::u16string& body,
                           const std::u16string& bodyAttributes = u"style=\"margin:10px\"") {
    return u"<html><body " + bodyAttributes + u">" + body + u"</body></html>";
}

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override {
        previousDriver_ = qx::win32::SetUiDriver(&boxes_);
        window_ = std::make_unique<qx::test::RecordingWindow>(800, 600);
    }
    void TearDown() override {
        editor_.reset();
        document_ = nullptr;
        window_.reset();
        qx::win32::SetUiDriver(previousDriver_);
    }
    CTableEditor& Load(const std::u16string& html) {
        editor_.reset();
        document_ = nullptr;
        EXPECT_EQ(qx::html::dom::ParseHtmlDocumentObject(html, &document_), S_OK);
        auto access = ComPtr<IHtmlNodeAccess>::QueryFrom(document_.Get());
        dom_ = access->AccessDocument();
        qx::html::layout::AttachLayout(*dom_).SetViewport(800, 600);
        dom_->viewWindow = window_->hwnd();
        editor_ = std::make_unique<CTableEditor>(owner_);
        EXPECT_EQ(editor_->Attach(document_.Get()), 1);
        return *editor_;
    }
    ComPtr<IHTMLElement> Element(std::u16string_view id) {
        ComPtr<IDispatch> object;
        qx::html::dom::Node* node = id.empty() ? dom_->tree.Body() : dom_->tree.ElementById(id);
        EXPECT_NE(node, nullptr) << "no element " << std::string(id.begin(), id.end());
        if (!node || FAILED(qx::html::dom::NodeObjectOf(dom_, node, &object)))
            return nullptr;
        return ComPtr<IHTMLElement>::QueryFrom(object.Get());
    }
    // The attribute as text; "<absent>" when the element lacks it.
    std::string Attribute(std::u16string_view id, const char16_t* name) {
        Variant value;
        Element(id)->getAttribute(Bstr(name), 2, &value);
        if (value.vt == VT_NULL || value.vt == VT_EMPTY)
            return "<absent>";
        Variant text;
        if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR)))
            return "<?>";
        return Utf8(text.bstrVal);
    }
    LONG Offset(std::u16string_view id, HRESULT (STDMETHODCALLTYPE IHTMLElement::*get)(LONG*)) {
        LONG value = -1;
        (Element(id).Get()->*get)(&value);
        return value;
    }
    std::string BodyHtml() {
        Bstr html;
        Element(u"")->get_outerHTML(&html);
        return Utf8(html);
    }
    void Scroll(LONG left, LONG top) {
        auto body = ComPtr<IHTMLElement2>::QueryFrom(Element(u"").Get());
        body->put_scrollLeft(left);
        body->put_scrollTop(top);
    }
    std::pair<LONG, LONG> ScrollNow() {
        LONG left = -1, top = -1;
        editor_->GetBodyScroll(left, top);
        return {left, top};
    }
    // The current cell and table of the engine.
    void Select(std::u16string_view cell) {
        editor_->startCell = Element(cell);
        editor_->startTable = FindAncestorByTag(editor_->startCell.Get(), u"TABLE");
    }
    std::string IdOf(const CCellRecord& record) {
        Bstr id;
        if (auto element = record.Element())
            element->get_id(&id);
        return Utf8(id);
    }
    static std::string Utf8(BSTR text) {
        std::string out;
        for (const char16_t* p = text; p && *p; ++p)
            out += *p < 0x80 ? static_cast<char>(*p) : '?';
        return out;
    }

    QuietOwner owner_;
    qx::win32::UiRecorder boxes_;
    qx::win32::UiDriver* previousDriver_ = nullptr;
    std::unique_ptr<qx::test::RecordingWindow> window_;
    ComPtr<IHTMLDocument2> document_;
    qx::html::dom::DomPtr dom_;
    std::unique_ptr<CTableEditor> editor_;
};

} // namespace gridtest
