// OBJECT elements with the test control on a page: PARAMs arrive as text, in-place activation
// gives the control a child window of the page's window at the element's layout box, script
// reaches its members through the element, its events reach `<script for event>` and attachEvent
// handlers with their arguments, a control that is not safe for scripting is refused with a
// script error, and closing the page's controls leaves nothing dangling.
#include "../../com/control/test_control_fixture.h"
#include "browser_test_support.h"

#include <qx/html/browser/page_objects.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/layout/page_layout.h>
#include <qx/html/script/page_script.h>
#include <winuser_position.h>

#include <fstream>

namespace qx::test {
namespace {

using html::browser::PageObjects;
using html::browser::PageObjectsOptions;

constexpr char16_t kPage[] =
    u"<html><body style='margin:0'><div style='height:30px'>x</div>"
    u"<object id=ctl classid='clsid:6B7C8D90-1A2B-4C3D-8E9F-0A1B2C3D4E53' width=120 height=40>"
    u"<param name=Caption value=Hello><param name=count value=5></object>"
    u"<object id=bad classid='CLSID:6b7c8d90-1a2b-4c3d-8e9f-0a1b2c3d4e54' width=10 height=10>"
    u"<param name=Caption value=Never></object>"
    u"<object id=none classid='clsid:00000000-0000-0000-0000-00000000AAAA'></object>"
    u"<script>var seen = [];"
    u"ctl.attachEvent('onChanged', function (text, n) { seen.push('attached ' + text + ' ' + n); });"
    u"</script>"
    u"<script for=ctl event='Changed(text, n)'>seen.push('for ' + text + ' ' + n);</script>"
    u"</body></html>";

class ObjectHosting : public TestControlFixture {
protected:
    void SetUp() override {
        TestControlFixture::SetUp();
        ASSERT_EQ(html::dom::ParseHtmlDocumentObject(kPage, &document_), S_OK);
        dom_ = com::ComPtr<IHtmlNodeAccess>::QueryFrom(document_.Get())->AccessDocument();
        layout_ = std::make_unique<html::layout::PageLayout>(dom_->tree);
        html::script::PageScriptOptions scriptOptions;
        scriptOptions.url = u"about:test";
        scriptOptions.report = [this](const std::string& report) { errors_ += report; };
        ASSERT_EQ(html::script::PageScript::Open(document_.Get(), std::move(scriptOptions), &page_), S_OK);
        PageObjectsOptions options;
        options.pageWindow = Parent();
        options.layoutBox = [this](html::dom::Node* element) {
            const html::layout::Rect r = layout_->Metrics(element).boundingClientRect;
            return RECT{r.left, r.top, r.Right(), r.Bottom()};
        };
        options.events = &page_->Events();
        options.reportError = [this](std::string_view message) { page_->ReportError(message); };
        ASSERT_EQ(PageObjects::Open(document_.Get(), std::move(options), &objects_), S_OK);
        objects_->CreateControls();
        page_->RunScripts();
    }
    void TearDown() override {
        objects_.reset();
        page_.reset();
        layout_.reset();
        dom_.reset();
        document_ = nullptr;
        TestControlFixture::TearDown();
    }
    html::dom::Node* Element(std::u16string_view id) {
        html::dom::Node* root = dom_->tree.Document();
        for (html::dom::Node* n = html::dom::NextInTree(root, root); n; n = html::dom::NextInTree(n, root))
            if (n->IsElement() && n->AttributeValue(u"id") == id)
                return n;
        return nullptr;
    }
    // Runs script and gives what it left in the body's "result" attribute.
    std::u16string Run(const std::string& script) {
        EXPECT_TRUE(page_->Execute("document.body.setAttribute('result', String(" + script + "))", "test"));
        html::dom::Node* root = dom_->tree.Document();
        for (html::dom::Node* n = html::dom::NextInTree(root, root); n; n = html::dom::NextInTree(n, root))
            if (n->Is(u"body"))
                return std::u16string(n->AttributeValue(u"result"));
        return u"<no body>";
    }

    com::ComPtr<IHTMLDocument2> document_;
    html::dom::DomPtr dom_;
    std::unique_ptr<html::layout::PageLayout> layout_;
    std::unique_ptr<html::script::PageScript> page_;
    std::shared_ptr<PageObjects> objects_;
    std::string errors_;
};

TEST_F(ObjectHosting, ScriptReachesTheControlThroughItsElement) {
    const struct {
        const char* script;
        const char16_t* expected;
    } rows[] = {
        {"ctl.ParamTypes", u"Caption=8;Count=8;"},
        {"ctl.Caption + ' ' + ctl.Count", u"Hello 5"},
        {"ctl.object.Caption", u"Hello"},
        {"ctl.HasWindow", u"true"},
        {"(ctl.Count = 9, ctl.object.Count)", u"9"},
        {"ctl.id + ' ' + ctl.tagName + ' ' + ctl.classid.length", u"ctl OBJECT 42"},
        {"none.object === null && bad.object === null", u"true"},
        {"typeof bad.Caption", u"undefined"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Run(row.script), row.expected) << row.script;
}

TEST_F(ObjectHosting, TheControlHasAWindowAtItsLayoutBox) {
    com::control::ControlHost* host = objects_->HostOf(Element(u"ctl"));
    ASSERT_NE(host, nullptr);
    HWND window = host->ControlWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), Parent());
    const html::layout::Rect box = layout_->Metrics(Element(u"ctl")).boundingClientRect;
    EXPECT_EQ(box.top, 30);
    RECT r{};
    GetWindowRect(window, &r);
    POINT corner{r.left, r.top};
    MapWindowPoints(nullptr, Parent(), &corner, 1);
    EXPECT_EQ(corner.x, box.left);
    EXPECT_EQ(corner.y, box.top);
    EXPECT_EQ(r.right - r.left, box.width);
    EXPECT_EQ(r.bottom - r.top, box.height);
}

TEST_F(ObjectHosting, EventsReachScriptForBlocksAndAttachedHandlersWithTheirArguments) {
    EXPECT_EQ(Run("(ctl.Fire('hi', 3), seen.join('|'))"), u"attached hi 3|for hi 3");
    EXPECT_EQ(Run("(ctl.detachEvent('onChanged', null), ctl.object.Fire('again', 4), seen.length)"), u"4");
}

// window.event is the control event's own object while its handlers run (type the event's name,
// srcElement the OBJECT), an event fired inside has its own, and the outer one comes back after it.
TEST_F(ObjectHosting, WindowEventIsTheControlEventWhileItsHandlersRun) {
    ASSERT_TRUE(page_->Execute(
        "var events = [];"
        "document.body.attachEvent('onclick', function () { events.push('inner ' + window.event.type); });"
        "ctl.attachEvent('onChanged', function () {"
        "  events.push(window.event.type + ' ' + window.event.srcElement.id);"
        "  document.body.click();"
        "  events.push('after ' + window.event.type + ' ' + window.event.srcElement.tagName);"
        "});",
        "test"));
    EXPECT_EQ(Run("window.event"), u"null");
    EXPECT_EQ(Run("(ctl.Fire('x', 1), events.join('|'))"), u"Changed ctl|inner click|after Changed OBJECT");
    EXPECT_EQ(Run("window.event"), u"null");
    // From the control's own call, outside any script.
    com::ComPtr<ITestControl> control =
        com::ComPtr<ITestControl>::QueryFrom(objects_->HostOf(Element(u"ctl"))->Control());
    ASSERT_TRUE(control);
    EXPECT_EQ(control->Fire(com::Bstr(u"y").Get(), 2), S_OK);
    EXPECT_EQ(Run("events.length + ' ' + events[3]"), u"6 Changed ctl");
    EXPECT_EQ(Run("window.event"), u"null");
}

TEST_F(ObjectHosting, AControlNotSafeForScriptingIsRefusedWithAScriptError) {
    EXPECT_EQ(page_->ErrorCount(), 2);
    EXPECT_NE(errors_.find("Error: The ActiveX control \"bad\" is not safe for initialization"),
              std::string::npos)
        << errors_;
    EXPECT_NE(errors_.find("Error: The ActiveX control \"bad\" is not safe for scripting"), std::string::npos)
        << errors_;
    // It is still shown, without its PARAMs, and nobody hears its events.
    com::control::ControlHost* host = objects_->HostOf(Element(u"bad"));
    ASSERT_NE(host, nullptr);
    EXPECT_NE(host->ControlWindow(), nullptr);
    com::ComPtr<ITestControl> control = com::ComPtr<ITestControl>::QueryFrom(host->Control());
    com::Bstr caption;
    control->get_Caption(&caption);
    EXPECT_EQ(caption.View(), u"");
    EXPECT_EQ(objects_->HostOf(Element(u"none")), nullptr);
}

TEST_F(ObjectHosting, ClosingThePageControlsLeavesAHeldControlWithNothingOfThePage) {
    EXPECT_EQ(Run("(window.kept = ctl.object, 1)"), u"1");
    HWND window = objects_->HostOf(Element(u"ctl"))->ControlWindow();
    objects_->Close();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Run("ctl.object === null"), u"true");
    // The control script still holds works, and its events go nowhere.
    EXPECT_EQ(Run("(kept.Fire('late', 1), kept.Caption + ' ' + seen.length)"), u"Hello 0");
    EXPECT_EQ(dom_->objects, nullptr);
}

// The browser control hosts the controls of the pages it shows: they are made before the page's
// blocks run, in the browser's window, and go with the page.
TEST_F(TestControlFixture, TheBrowserControlHostsAPagesControls) {
    ASSERT_TRUE(AtlAxWinInit());
    const std::filesystem::path page = dir_ / "page.htm";
    std::ofstream(page)
        << "<html><body><object id=ctl classid='clsid:6B7C8D90-1A2B-4C3D-8E9F-0A1B2C3D4E53' "
           "width=50 height=20><param name=Caption value=Hi><param name=Count value=3></object>"
           "<div id=out></div><script>out.innerText = ctl.Caption + ' ' + ctl.Count + ' ' + "
           "ctl.HasWindow;</script></body></html>";
    com::ComPtr<IWebBrowser2> browser = browsertest::BrowserTest::NewBrowser();
    ASSERT_TRUE(browsertest::BrowserTest::Load(browser.Get(), com::Utf8ToUtf16("file://" + page.string())));
    EXPECT_EQ(browsertest::BrowserTest::Text(browser.Get(), u"out"), "Hi 3 true");
    html::dom::DomPtr dom = browsertest::BrowserTest::Dom(browser.Get());
    EXPECT_NE(dom->objects, nullptr);
    ASSERT_EQ(browser->Navigate(com::Bstr(u"about:blank").Get(), nullptr, nullptr, nullptr, nullptr), S_OK);
    ASSERT_TRUE(browsertest::BrowserTest::WaitComplete(browser.Get()));
    EXPECT_EQ(dom->objects, nullptr); // the old page closed its controls
    browser = nullptr;
    win32::input::PumpUntilIdle(0);
}

} // namespace
} // namespace qx::test
