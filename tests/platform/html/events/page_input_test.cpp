// The document window: input the UI driver sends becomes the page's events, at the element under
// the point or at the focus, with the old browser's order, buttons, coordinates and keys.
#include "page_fixture.h"

#include <qx/html/events/page_window.h>
#include <qx/html/script/page_script.h>
#include <qx/win32/input_driver.h>
#include <winuser_input.h>
#include <winuser_position.h>
#include <winuser_window.h>

#include <mshtml.h>

namespace {

using qx::com::ComPtr;
using qx::com::Variant;
using qx::test::RecordingSink;
using Log = std::vector<std::string>;
namespace input = qx::win32::input;

constexpr DISPID kBlur = static_cast<DISPID>(0x80010000), kFocus = static_cast<DISPID>(0x80010001);

// a: border box (10, 20) 104 x 54 with a 2px border; b beside it; f a field below.
constexpr const char16_t* kPage =
    u"<body leftmargin=0 topmargin=0>"
    u"<div id=a style=\"position: absolute; left: 10px; top: 20px; width: 100px; height: 50px; "
    u"border: 2px solid black\"></div>"
    u"<div id=b style=\"position: absolute; left: 200px; top: 20px; width: 100px; height: 50px\"></div>"
    u"<input id=f style=\"position: absolute; left: 10px; top: 100px; width: 80px; height: 20px\">"
    u"<div style=\"position: absolute; left: 300px; top: 200px\"><button id=k>k</button>"
    u"<a id=h href=x tabIndex=-1>h</a><input id=g tabIndex=1><input type=hidden><input id=d disabled></div>";

std::string IdOf(IDispatch* element) {
    if (!element)
        return "-";
    ComPtr<IHTMLElement> e = ComPtr<IHTMLElement>::QueryFrom(element);
    qx::com::Bstr id;
    if (e)
        e->get_id(id.ReleaseAndGetAddressOf());
    const std::string text = qx::com::Utf16ToUtf8(id.View());
    return text.empty() ? "body" : text;
}

class PageInput : public qx::test::PageFixture {
protected:
    void SetUp() override {
        input::ResetInputState();
        Load(kPage);
        window_ = qx::html::events::CreatePageWindow(document_.Get(), *layout_, nullptr, {0, 0, 400, 300});
        ASSERT_TRUE(window_);
        // Every event that reaches the document, and the field's focus and blur.
        describe_ = [this](DISPID) { log_.push_back(Describe()); };
        documentSink_.during = describe_;
        fieldSink_.during = [this](DISPID id) { // what bubbles is heard at the document
            if (id == kFocus || id == kBlur)
                log_.push_back(Describe());
        };
        Advise(document_.Get(), IID_IDispatch, &documentSink_);
        Advise(Element(u"f").Get(), IID_IDispatch, &fieldSink_);
    }
    void TearDown() override {
        if (window_)
            DestroyWindow(window_);
        PageFixture::TearDown();
        input::ResetInputState();
    }

    // "type src button client offset" for mouse events, "type src key shift ctrl" for keys.
    std::string Describe() {
        Variant current;
        events_->CurrentEvent(&current);
        ComPtr<IHTMLEventObj> e = ComPtr<IHTMLEventObj>::QueryFrom(current.pdispVal);
        qx::com::Bstr type;
        e->get_type(type.ReleaseAndGetAddressOf());
        ComPtr<IDispatch> source, from, to;
        e->get_srcElement(&source);
        LONG button = 0, x = 0, y = 0, ox = 0, oy = 0, key = 0;
        VARIANT_BOOL shift = 0, ctrl = 0;
        e->get_button(&button);
        e->get_clientX(&x);
        e->get_clientY(&y);
        e->get_offsetX(&ox);
        e->get_offsetY(&oy);
        e->get_keyCode(&key);
        e->get_shiftKey(&shift);
        e->get_ctrlKey(&ctrl);
        e->get_fromElement(&from);
        e->get_toElement(&to);
        std::string text = qx::com::Utf16ToUtf8(type.View()) + " " + IdOf(source.Get());
        if (text.starts_with("key"))
            return text + " " + std::to_string(key) + (shift ? " shift" : "") + (ctrl ? " ctrl" : "");
        if (text.starts_with("focus") || text.starts_with("blur"))
            return text;
        text += " " + std::to_string(button) + " (" + std::to_string(x) + "," + std::to_string(y) + ") (" +
                std::to_string(ox) + "," + std::to_string(oy) + ")";
        if (from || to)
            text += " " + IdOf(from.Get()) + ">" + IdOf(to.Get());
        return text;
    }
    std::string Active() {
        ComPtr<IDispatch> active;
        EXPECT_EQ(document_->get_activeElement(&active), S_OK);
        return IdOf(active.Get());
    }

    HWND window_ = nullptr;
    Log log_, ignored_;
    std::function<void(DISPID)> describe_;
    RecordingSink documentSink_{"document", ignored_}, fieldSink_{"field", ignored_};
};

TEST_F(PageInput, MouseButtonsGiveTheOldBrowsersSequences) {
    struct Row {
        const char* name;
        std::function<void(HWND)> act;
        Log events;
    };
    const Row rows[] = {
        {"a click, with coordinates from the padding edge",
         [](HWND w) {
             input::Press(w, 15, 25);
             input::Release(w, 15, 25);
         },
         {"mousedown a 1 (15,25) (3,3)", "mouseup a 1 (15,25) (3,3)", "click a 0 (15,25) (3,3)"}},
        {"a release elsewhere clicks where the two meet",
         [](HWND w) {
             input::Press(w, 15, 25);
             input::Release(w, 250, 30);
         },
         {"mousedown a 1 (15,25) (3,3)", "mouseup b 1 (250,30) (50,10)", "click body 0 (250,30) (250,30)"}},
        {"a double click has no second mousedown",
         [](HWND w) { input::DoubleClick(w, 250, 30); },
         {"mousedown b 1 (250,30) (50,10)", "mouseup b 1 (250,30) (50,10)", "click b 0 (250,30) (50,10)",
          "mouseup b 1 (250,30) (50,10)", "dblclick b 0 (250,30) (50,10)"}},
        {"the right button ends with contextmenu",
         [](HWND w) {
             input::RightPress(w, 250, 30);
             input::RightRelease(w, 250, 30);
         },
         {"mousedown b 2 (250,30) (50,10)", "mouseup b 2 (250,30) (50,10)",
          "contextmenu b 0 (250,30) (50,10)"}},
        {"moving over two elements: out, over, then move",
         [](HWND w) {
             input::Move(w, 15, 25);
             input::Move(w, 16, 25);
             input::Move(w, 250, 30);
         },
         {"mouseout body 0 (15,25) (15,25) body>a", "mouseover a 0 (15,25) (3,3) body>a",
          "mousemove a 0 (15,25) (3,3)", "mousemove a 0 (16,25) (4,3)", "mouseout a 0 (250,30) (238,8) a>b",
          "mouseover b 0 (250,30) (50,10) a>b", "mousemove b 0 (250,30) (50,10)"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        log_.clear();
        row.act(window_);
        EXPECT_EQ(log_, row.events);
        input::ResetInputState();
        input::Move(window_, 390, 290); // park the mouse over the body between rows
    }
}

TEST_F(PageInput, KeysGoToTheFocusWhichAPressMoves) {
    EXPECT_EQ(Active(), "body");
    input::Press(window_, 20, 110);
    input::Release(window_, 20, 110);
    EXPECT_EQ(Active(), "f");
    EXPECT_EQ(log_, (Log{"mousedown f 1 (20,110) (10,10)", "focus f", "mouseup f 1 (20,110) (10,10)",
                         "click f 0 (20,110) (10,10)"}));
    log_.clear();
    input::Key(VK_SHIFT, true);
    input::Key('A', true);
    input::Key('A', false);
    input::Key(VK_SHIFT, false);
    EXPECT_EQ(log_, (Log{"keydown f 16 shift", "keydown f 65 shift", "keypress f 65 shift",
                         "keyup f 65 shift", "keyup f 16"}));

    // A press on an element that takes no focus blurs the field; keys go to BODY.
    log_.clear();
    input::Press(window_, 250, 30);
    EXPECT_EQ(Active(), "body");
    input::Type("x");
    EXPECT_EQ(log_, (Log{"mousedown b 1 (250,30) (50,10)", "blur f", "keydown body 88", "keypress body 120",
                         "keyup body 88"}));
}

TEST_F(PageInput, CancelledEventsStopTheirDefaults) {
    // A cancelled mousedown keeps the focus; a cancelled keydown has no keypress.
    documentSink_.answer = Variant(false);
    input::Press(window_, 20, 110);
    input::Release(window_, 20, 110);
    EXPECT_EQ(Active(), "body");
    log_.clear();
    input::Type("q");
    EXPECT_EQ(log_, (Log{"keydown body 81", "keyup body 81"}));
    documentSink_.answer = Variant();
    input::Press(window_, 20, 110);
    EXPECT_EQ(Active(), "f");
}

TEST_F(PageInput, TheWindowsSizeIsThePagesViewportAndAWindowEvent) {
    Log log;
    RecordingSink sink("window", log, DIID_HTMLWindowEvents);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(events_->WindowConnectionPoints()->FindConnectionPoint(DIID_HTMLWindowEvents, &point), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    MoveWindow(window_, 0, 0, 200, 100, TRUE);
    sink.answer = Variant(false);
    EXPECT_FALSE(events_->DispatchToWindow(u"beforeunload"));
    EXPECT_TRUE(events_->DispatchToWindow(u"click")) << "not a window event";
    EXPECT_EQ(log, (Log{"window:1016", "window:1017"}));
    EXPECT_EQ(layout_->ElementFromPoint(250, 30), nullptr) << "outside the smaller viewport";
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
}

TEST_F(PageInput, PageScriptHandlersSeeTheInputInWindowEvent) {
    std::unique_ptr<qx::html::script::PageScript> page;
    ASSERT_EQ(qx::html::script::PageScript::Open(document_.Get(), {}, &page), S_OK);
    ASSERT_EQ(page->Engine().DefineFunction("record",
                                            [&](qx::script::CallContext& call) {
                                                log_.push_back(qx::com::Utf16ToUtf8(call.ArgString(0)));
                                                return S_OK;
                                            }),
              S_OK);
    ASSERT_TRUE(page->Execute(
        "var a = document.getElementById('a'), f = document.getElementById('f');"
        "a.onmousedown = function () { var e = window.event; record([e.type, "
        "e.srcElement.id, this.id, e.button, e.offsetX, e.offsetY, e.ctrlKey].join()) };"
        "f.attachEvent('onkeypress', function (e) { record(e.type + ' ' + e.keyCode + ' ' + "
        "document.activeElement.id); return false });"
        "f.attachEvent('onfocus', function () { record('focus ' + document.activeElement.id) });",
        "test"));
    log_.clear();
    documentSink_.during = nullptr;
    fieldSink_.during = nullptr;
    input::Press(window_, 15, 25, MK_CONTROL);
    input::Press(window_, 20, 110);
    input::Type("z");
    EXPECT_EQ(log_, (Log{"mousedown,a,a,1,3,3,true", "focus f", "keypress 122 f"}));
    page.reset();
}

TEST_F(PageInput, TabFollowsTheTabOrderUnlessCancelled) {
    std::string order;
    for (int i = 0; i < 4; ++i) {
        input::Key(VK_TAB, true);
        input::Key(VK_TAB, false);
        order += Active() + " ";
    }
    EXPECT_EQ(order, "g f k g ") << "tabIndex 1 first, then document order; -1, hidden and disabled left out";
    input::Key(VK_SHIFT, true);
    input::Key(VK_TAB, true);
    input::Key(VK_TAB, false);
    input::Key(VK_SHIFT, false);
    EXPECT_EQ(Active(), "k");
    documentSink_.answer = Variant(false);
    input::Key(VK_TAB, true);
    EXPECT_EQ(Active(), "k");
    documentSink_.answer = Variant();
    ComPtr<IHTMLDOMNode> node = ComPtr<IHTMLDOMNode>::QueryFrom(Element(u"k").Get());
    ComPtr<IDispatch> removed;
    ASSERT_EQ(node->removeNode(VARIANT_TRUE, &removed), S_OK);
    EXPECT_EQ(Active(), "body") << "an element out of the page has no focus";
    log_.clear();
    input::Type("y");
    SendMessageW(window_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window_), MAKELPARAM(-1, -1));
    EXPECT_EQ(log_, (Log{"keydown body 89", "keypress body 121", "keyup body 89",
                         "contextmenu body 0 (0,0) (0,0)"}))
        << "a context menu from the keyboard opens at the focus";
}

} // namespace

namespace {

TEST_F(PageInput, AClickTurnsACheckBoxBeforeItsHandlersRunAndBackWhenCancelled) {
    DestroyWindow(window_);
    Load(u"<body leftmargin=0 topmargin=0><input type=checkbox id=c style=\"position: absolute; left: 10px; "
         u"top: 10px; width: 20px; height: 20px\"><input type=checkbox id=x disabled style=\"position: "
         u"absolute; left: 50px; top: 10px; width: 20px; height: 20px\"></body>");
    window_ = qx::html::events::CreatePageWindow(document_.Get(), *layout_, nullptr, {0, 0, 400, 300});
    ASSERT_TRUE(window_);
    const auto checked = [this](const char16_t* id) {
        VARIANT_BOOL on = VARIANT_FALSE;
        ComPtr<IHTMLInputElement>::QueryFrom(Element(id).Get())->get_checked(&on);
        return on != VARIANT_FALSE;
    };
    std::vector<bool> seen; // the box's state as the click's handlers see it
    documentSink_.during = [&](DISPID) { seen.push_back(checked(u"c")); };
    Advise(document_.Get(), IID_IDispatch, &documentSink_);
    struct Step {
        int x;
        bool cancel;
        bool after;
    } steps[] = {{20, false, true}, {20, false, false}, {20, true, false}, {60, false, false}};
    for (const Step& step : steps) {
        seen.clear();
        documentSink_.answer = step.cancel ? Variant(false) : Variant();
        input::Press(window_, step.x, 20);
        input::Release(window_, step.x, 20);
        EXPECT_EQ(checked(u"c"), step.after);
        if (step.x == 20) {
            ASSERT_FALSE(seen.empty());
            EXPECT_EQ(seen.back(), step.cancel ? true : step.after); // the click comes last
        }
        EXPECT_FALSE(checked(u"x"));
    }
    // In design mode the box is content being edited: a click selects, it never turns.
    ASSERT_EQ(document_->put_designMode(qx::com::Bstr(u"On")), S_OK);
    input::Press(window_, 20, 20);
    input::Release(window_, 20, 20);
    EXPECT_FALSE(checked(u"c"));
}

} // namespace
