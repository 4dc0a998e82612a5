// The editing control as a page holds it (OBJECT id tbContentElement) and as the form control
// reaches it: script puts and reads its document, its events reach `<script for event>` blocks
// (the document's own key and mouse events forwarded, the context menu with window.event's
// coordinates and a menu the page sets), and its document's IOleWindow is the view window that
// fills the control's window.
#include "edit_control_fixture.h"

#include <qx/html/browser/page_objects.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/editing/editing_session.h>
#include <qx/html/layout/page_layout.h>
#include <qx/html/script/page_script.h>
#include <winuser_position.h>

namespace qx::test {
namespace {

using html::browser::PageObjects;
using html::browser::PageObjectsOptions;

constexpr char16_t kPage[] =
    u"<html><body style='margin:0'>"
    u"<object id=tbContentElement classid='clsid:2D360201-FFF5-11d1-8D03-00A0C959BC0A' width=300 height=200>"
    u"</object>"
    u"<object id=names classid='clsid:8D91090E-B955-11D1-ADC5-006008A5848C'></object>"
    u"<object id=tableParam classid='clsid:47B0DFC7-B7A3-11D1-ADC5-006008A5848C'></object>"
    u"<script>var log = [];</script>"
    u"<script for=tbContentElement event=DocumentComplete>log.push('complete ' + "
    u"tbContentElement.Busy);</script>"
    u"<script for=tbContentElement event=onkeypress>"
    u"log.push('keypress ' + tbContentElement.DOM.parentWindow.event.keyCode);</script>"
    u"<script for=tbContentElement event=onmousedown>log.push('mousedown');</script>"
    u"<script for=tbContentElement event=onclick>log.push('click');</script>"
    u"<script for=tbContentElement event='ShowContextMenu(x, y)'>"
    u"log.push('menu ' + x + ',' + y + ' ' + tbContentElement.DOM.parentWindow.event.type);"
    u"if (window.menuItems) tbContentElement.SetContextMenu(menuItems, menuStates);</script>"
    u"<script for=tbContentElement event='ContextMenuAction(i)'>log.push('action ' + i);</script>"
    u"</body></html>";

class EditControlPage : public EditControlFixture {
protected:
    void SetUp() override {
        EditControlFixture::SetUp();
        ASSERT_EQ(html::dom::ParseHtmlDocumentObject(kPage, &document_), S_OK);
        dom_ = com::ComPtr<IHtmlNodeAccess>::QueryFrom(document_.Get())->AccessDocument();
        layout_ = std::make_unique<html::layout::PageLayout>(dom_->tree);
        html::script::PageScriptOptions scriptOptions;
        scriptOptions.url = u"about:test";
        scriptOptions.report = [this](const std::string& report) { errors_ += report; };
        ASSERT_EQ(html::script::PageScript::Open(document_.Get(), std::move(scriptOptions), &page_), S_OK);
        PageObjectsOptions options;
        options.pageWindow = window_->hwnd();
        options.layoutBox = [this](html::dom::Node* element) {
            const html::layout::Rect r = layout_->Metrics(element).boundingClientRect;
            return RECT{r.left, r.top, r.Right(), r.Bottom()};
        };
        options.events = &page_->Events();
        options.reportError = [this](std::string_view message) { page_->ReportError(message); };
        ASSERT_EQ(PageObjects::Open(document_.Get(), std::move(options), &objects_), S_OK);
        objects_->CreateControls();
        page_->RunScripts();
        Pump();
    }
    void TearDown() override {
        if (objects_)
            objects_->Close();
        objects_.reset();
        page_.reset();
        layout_.reset();
        dom_.reset();
        document_ = nullptr;
        EditControlFixture::TearDown();
    }
    std::u16string Run(const std::string& script) {
        EXPECT_TRUE(page_->Execute("document.body.setAttribute('result', String(" + script + "))", "test"));
        return std::u16string(dom_->tree.Body()->AttributeValue(u"result"));
    }
    com::ComPtr<IDHTMLSafe> Control() {
        com::ComPtr<IDHTMLSafe> control;
        for (html::dom::Node* n = dom_->tree.Body()->firstChild; n; n = n->next)
            if (n->Is(u"object") && n->AttributeValue(u"id") == u"tbContentElement")
                control = com::ComPtr<IDHTMLSafe>::QueryFrom(objects_->HostOf(n)->Control());
        return control;
    }

    com::ComPtr<IHTMLDocument2> document_;
    html::dom::DomPtr dom_;
    std::unique_ptr<html::layout::PageLayout> layout_;
    std::unique_ptr<html::script::PageScript> page_;
    std::shared_ptr<PageObjects> objects_;
    std::string errors_;
};

TEST_F(EditControlPage, ScriptPutsTheDocumentAndHearsEachCompletion) {
    EXPECT_EQ(Run("log.join('|')"), u"complete false") << "the blank document completes first";
    EXPECT_EQ(Run("(tbContentElement.DocumentHTML = '<p id=a>x</p>', tbContentElement.Busy)"), u"true");
    EXPECT_EQ(Run("log.length"), u"1");
    Pump();
    EXPECT_EQ(Run("log.join('|')"), u"complete false|complete false");
    const struct {
        const char* script;
        const char16_t* expected;
    } rows[] = {
        {"tbContentElement.DOM.body.innerHTML", u"<P id=a>x</P>"},
        {"tbContentElement.DOM.all.a.innerText", u"x"},
        {"tbContentElement.QueryStatus(5000) > 0", u"true"},
        {"tbContentElement.QueryStatus(4999)", u"0"},
        {"tbContentElement.FilterSourceCode('<B>b</B>')", u"<B>b</B>"},
        {"(tbContentElement.DOM.designMode = 'Off', tbContentElement.DOM.body)", u"null"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Run(row.script), row.expected) << row.script;
    Pump();
    EXPECT_EQ(Run("tbContentElement.DOM.body.innerHTML + ' ' + log.length"), u"<P id=a>x</P> 3");
    EXPECT_EQ(errors_, "");
}

TEST_F(EditControlPage, TheViewFillsTheControlsWindowAndIsTheDocumentsWindow) {
    com::ComPtr<IDHTMLSafe> control = Control();
    ASSERT_TRUE(control);
    HWND view = ViewOf(control.Get());
    ASSERT_NE(view, nullptr);
    HWND controlWindow = GetParent(view);
    ASSERT_NE(controlWindow, nullptr);
    EXPECT_EQ(GetParent(controlWindow), window_->hwnd());
    RECT client{};
    GetClientRect(view, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    EXPECT_EQ(
        Run("tbContentElement.DOM.body.clientWidth > 250 && tbContentElement.DOM.body.clientWidth <= 300"),
        u"true")
        << "the document's viewport follows the view";
    MoveWindow(controlWindow, 0, 0, 120, 80, TRUE);
    GetClientRect(view, &client);
    EXPECT_EQ(client.right, 120);
    EXPECT_EQ(Run("tbContentElement.DOM.body.clientWidth <= 120"), u"true");
}

TEST_F(EditControlPage, TheDocumentsKeyAndMouseEventsReachThePage) {
    com::ComPtr<IDHTMLSafe> control = Control();
    control->put_DocumentHTML(com::Bstr(u"<p>text</p>"));
    Pump();
    Run("log = []");
    HWND view = ViewOf(control.Get());
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageW(view, WM_CHAR, 'q', 0);
    EXPECT_EQ(Run("log.join('|')"), u"mousedown|click|keypress 113");
}

TEST_F(EditControlPage, ARightClickAsksThePageForItsMenuAndReportsTheChoice) {
    com::ComPtr<IDHTMLSafe> control = Control();
    control->put_DocumentHTML(com::Bstr(u"<p>text</p>"));
    Pump();
    Run("(menuItems = ['Cut', '', 'Paste'], menuStates = [3, 0, 1], log = [])");
    HWND view = ViewOf(control.Get());
    ui_.QueueMenu(1);
    SendMessageW(view, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 7));
    SendMessageW(view, WM_RBUTTONUP, 0, MAKELPARAM(20, 7));
    EXPECT_EQ(Run("log.join('|')"), u"mousedown|menu 20,7 contextmenu|action 0");
    const std::vector<win32::MenuRequest> menus = ui_.MenuRequests();
    ASSERT_EQ(menus.size(), 1u);
    ASSERT_EQ(menus[0].items.size(), 3u);
    EXPECT_EQ(menus[0].owner, view);

    Run("(menuItems = null, log = [])");
    SendMessageW(view, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 7));
    SendMessageW(view, WM_RBUTTONUP, 0, MAKELPARAM(20, 7));
    EXPECT_EQ(Run("log.join('|')"), u"mousedown|menu 20,7 contextmenu") << "no menu set: none shown";
    EXPECT_EQ(ui_.MenuRequests().size(), 1u);
}

TEST_F(EditControlPage, TheParameterObjectsServeTheirCommands) {
    com::ComPtr<IDHTMLSafe> control = Control();
    control->put_DocumentHTML(com::Bstr(u"<p>text</p>"));
    Pump();
    std::u16string names;
    for (const std::u16string& name : html::editing::EditingSession::BlockFormatNames())
        names += (names.empty() ? u"" : u",") + name;
    EXPECT_EQ(
        Run("(tbContentElement.ExecCommand(5012, 0, names), new VBArray(names.Names).toArray().join(','))"),
        names);
    EXPECT_EQ(Run("tableParam.NumRows + ' ' + tableParam.NumCols + ' [' + tableParam.TableAttrs + ']'"),
              u"1 1 []");
    EXPECT_EQ(
        Run("(tableParam.NumRows = 2, tableParam.NumCols = 3, tableParam.Caption = 'c', tableParam.NumCols)"),
        u"3");
    EXPECT_EQ(Run("(function () { try { tableParam.NumRows = 0; return 'set'; } catch (e) { return "
                  "'refused'; } })()"),
              u"refused");
}

} // namespace
} // namespace qx::test
