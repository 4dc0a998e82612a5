// The subclassed editor window and the key filter: what reaches the editor's own procedure, what
// the keys do in locked and "free" content, Ctrl+click highlights and form-control clicks.
#include "engine_fixture.h"

#include <qx/win32/input_driver.h>

namespace qx::test {
namespace {

using com::ComPtr;
using com::Variant;

constexpr char16_t kForm[] =
    u"<html><body style=\"margin:10px\"><p id=locked>locked text here</p>"
    u"<table id=t1 border=1 cellpadding=1 cellspacing=2>"
    u"<tr><td id=a free bgColor=#FF0000 width=50 height=30>aaa</td><td id=b free width=40>bbb</td></tr>"
    u"<tr><td id=c colspan=2 height=20>ccc</td></tr></table>"
    u"<table id=t2><tr><td id=d free>ddd</td></tr></table>"
    u"<div id=controls free><input id=box type=checkbox><input id=r1 type=radio name=x checked>"
    u"<input id=r2 type=radio name=y><input id=push type=button value=go></div>"
    u"<p id=other><input id=r3 type=radio name=x checked></p></body></html>";

// The editor's own procedure under the engine, counting what reaches it.
WNDPROC g_original = nullptr;
int g_presses = 0;
int g_rightPresses = 0;
LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN)
        ++g_presses;
    if (message == WM_RBUTTONDOWN)
        ++g_rightPresses;
    return CallWindowProcW(g_original, window, message, wParam, lParam);
}

class TableEditorTest : public EngineFixture {
protected:
    // The view counts its presses under whatever the engine puts on top.
    void LoadCounting(const char16_t* html) {
        Load(html);
        engine_.Detach();
        g_presses = g_rightPresses = 0;
        g_original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            ViewOf(control_.Get()), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProcedure)));
        ASSERT_EQ(engine_.Attach(Dom(control_.Get()).Get()), 1);
    }
    void TearDown() override {
        engine_.Detach();
        if (g_original && control_)
            SetWindowLongPtrW(ViewOf(control_.Get()), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_original));
        g_original = nullptr;
        EngineFixture::TearDown();
    }
    LRESULT PressAt(const char16_t* id, WPARAM keys = 0) {
        const POINT p = Inside(id);
        LRESULT result = win32::input::Press(View(), p.x, p.y, keys);
        win32::input::Release(View(), p.x, p.y, keys);
        Pump();
        return result;
    }
    std::u16string Runtime(const char16_t* id, const char16_t* property) {
        ComPtr<IHTMLElement2> element = ComPtr<IHTMLElement2>::QueryFrom(ById(id).Get());
        ComPtr<IDispatch> style;
        Variant value;
        if (element && SUCCEEDED(element->get_runtimeStyle(&style)))
            GetPropertyByName(style.Get(), property, &value);
        // The style object answers colours in lower case.
        std::u16string text = value.vt == VT_BSTR ? Text(value.bstrVal) : u"";
        for (char16_t& c : text)
            if (c >= u'a' && c <= u'f')
                c = static_cast<char16_t>(c - 32);
        return text;
    }
    bool Checked(const char16_t* id) {
        VARIANT_BOOL checked = VARIANT_FALSE;
        if (auto input = ComPtr<IHTMLInputElement>::QueryFrom(ById(id).Get()))
            input->get_checked(&checked);
        return checked != VARIANT_FALSE;
    }
    int Filter(UINT message, WPARAM key) {
        MSG msg{View(), message, key, 0, 0, {}};
        return engine_.FilterKey(msg);
    }
};

TEST_F(TableEditorTest, SubclassKeepsLockedPressesFromTheEditorAndDetachRestoresTheProcedure) {
    LoadCounting(kForm);
    PressAt(u"locked");
    EXPECT_EQ(g_presses, 0) << "the caret may not go into text without \"free\"";
    PressAt(u"b");
    EXPECT_EQ(g_presses, 1);

    // A second Attach keeps one subclass: each message still reaches the editor once.
    ASSERT_EQ(engine_.Attach(Dom(control_.Get()).Get()), 1);
    PressAt(u"b");
    EXPECT_EQ(g_presses, 2);

    owner_.caretAnywhere = true;
    PressAt(u"locked");
    EXPECT_EQ(g_presses, 3) << "Option bit 1 lets the caret go anywhere";

    engine_.Detach();
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(ViewOf(control_.Get()), GWLP_WNDPROC)),
              &CountingProcedure);
}

TEST_F(TableEditorTest, BrowseUseAndDesignModeOffPassEveryPress) {
    LoadCounting(kForm);
    owner_.startMode = 0;
    PressAt(u"locked");
    PressAt(u"a", MK_CONTROL);
    EXPECT_EQ(g_presses, 2);

    owner_.startMode = 1;
    ASSERT_EQ(Document()->put_designMode(com::Bstr(u"Off")), S_OK);
    Pump();
    engine_.Detach();
    ASSERT_EQ(engine_.Attach(Dom(control_.Get()).Get()), 1);
    EXPECT_EQ(engine_.IsDesignEditing(), 0);
    g_presses = 0;
    Hold(VK_CONTROL, true);
    PressAt(u"locked");
    Hold(VK_CONTROL, false);
    PressAt(u"box");
    EXPECT_EQ(g_presses, 2);
    EXPECT_TRUE(owner_.changed.empty());
    // The page itself turns the box, as a browsed page does; the engine fired nothing for it.
    EXPECT_TRUE(Checked(u"box"));
}

TEST_F(TableEditorTest, DesignModeGate) {
    struct Case {
        const char16_t* mode;
        int editing;
    };
    const Case cases[] = {{u"Inherit", 1}, {u"On", 1}, {u"Off", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(com::Utf16ToUtf8(c.mode));
        Load(kForm);
        ASSERT_EQ(Document()->put_designMode(com::Bstr(c.mode)), S_OK);
        Pump();
        EXPECT_EQ(engine_.IsDesignEditing(), c.editing);
    }
    engine_.Detach();
    CTableEditor fresh(owner_);
    EXPECT_EQ(fresh.IsDesignEditing(), 1) << "no document";
}

TEST_F(TableEditorTest, FormControlClicksActAsForAFormUserAndNeverReachTheEditor) {
    struct Case {
        const char16_t* click;
        std::vector<std::pair<const char16_t*, bool>> checked;
    };
    const Case cases[] = {
        {u"box", {{u"box", true}}},
        // Radio buttons with the same parent go off whatever their names; others stay.
        {u"r2", {{u"r1", false}, {u"r2", true}, {u"r3", true}}},
        {u"push", {{u"box", false}, {u"r1", true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(com::Utf16ToUtf8(c.click));
        LoadCounting(kForm);
        owner_.changed.clear();
        PressAt(c.click);
        EXPECT_EQ(g_presses, 0);
        ASSERT_EQ(owner_.changed.size(), 1u);
        EXPECT_TRUE(owner_.changed[0].Get() == ComPtr<IDispatch>::QueryFrom(ById(c.click).Get()).Get());
        for (const auto& [id, checked] : c.checked)
            EXPECT_EQ(Checked(id), checked) << com::Utf16ToUtf8(id);
        engine_.Detach();
        SetWindowLongPtrW(ViewOf(control_.Get()), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_original));
    }
    // Start mode 2 leaves form controls to the editor.
    LoadCounting(kForm);
    owner_.startMode = 2;
    PressAt(u"box");
    EXPECT_EQ(g_presses, 1);
    EXPECT_FALSE(Checked(u"box"));
}

TEST_F(TableEditorTest, CtrlClickHighlightsFreeCellsOfOneTable) {
    LoadCounting(kForm);
    Hold(VK_CONTROL, true);
    PressAt(u"a");
    EXPECT_EQ(Runtime(u"a", u"backgroundColor"), u"#00FFFF");
    EXPECT_EQ(Runtime(u"a", u"color"), u"#FF0000");
    PressAt(u"b");
    EXPECT_EQ(Runtime(u"b", u"backgroundColor"), u"#000000");
    EXPECT_EQ(Runtime(u"b", u"color"), u"#FFFFFF");
    PressAt(u"c");
    EXPECT_EQ(Runtime(u"c", u"backgroundColor"), u"") << "a locked cell is never highlighted";
    EXPECT_EQ(Body().find(u"00FFFF"), std::u16string::npos) << "highlights are not serialised";
    EXPECT_EQ(Body().find(u"#000000"), std::u16string::npos);

    PressAt(u"b");
    EXPECT_EQ(Runtime(u"b", u"backgroundColor"), u"") << "a second Ctrl+click clears";
    EXPECT_EQ(Runtime(u"a", u"backgroundColor"), u"#00FFFF");

    PressAt(u"d");
    EXPECT_EQ(Runtime(u"a", u"backgroundColor"), u"") << "another table's click clears the first";
    EXPECT_EQ(Runtime(u"d", u"backgroundColor"), u"#000000");
    EXPECT_EQ(g_presses, 0);

    Hold(VK_CONTROL, false);
    PressAt(u"b");
    EXPECT_EQ(Runtime(u"d", u"backgroundColor"), u"") << "a plain click clears all";
    EXPECT_EQ(g_presses, 1);
}

TEST_F(TableEditorTest, HighlightColoursFromAnyBgColorText) {
    struct Case {
        const char16_t* bgColor;
        const char16_t* background;
    };
    // The attribute's text after its first character, read as hex as far as it goes.
    const Case cases[] = {
        {u"#FF0000", u"#00FFFF"},     {u"#123456", u"#EDCBA9"}, {u"#", u"#FFFFFF"},
        {u"#FFFFFFFFFF", u"#000000"}, {u"#zz", u"#FFFFFF"},     {u"#0000ff", u"#FFFF00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(com::Utf16ToUtf8(c.bgColor));
        Load(kForm);
        ComPtr<IHTMLElement> cell = ById(u"b");
        ASSERT_EQ(cell->setAttribute(com::Bstr(u"bgColor"), Variant(c.bgColor), 0), S_OK);
        engine_.ToggleCellHighlight(cell.Get(), 0);
        EXPECT_EQ(Runtime(u"b", u"backgroundColor"), c.background);
        engine_.ToggleCellHighlight(cell.Get(), 0);
        EXPECT_EQ(Runtime(u"b", u"backgroundColor"), c.background) << "without clear a highlight stays";
    }
}

TEST_F(TableEditorTest, RightPressKeepsHighlightsOnlyOverAHighlightedCell) {
    LoadCounting(kForm);
    Hold(VK_CONTROL, true);
    PressAt(u"a");
    Hold(VK_CONTROL, false);
    POINT p = Inside(u"a");
    win32::input::RightPress(View(), p.x, p.y);
    win32::input::RightRelease(View(), p.x, p.y);
    Pump();
    EXPECT_EQ(Runtime(u"a", u"backgroundColor"), u"#00FFFF");
    p = Inside(u"b");
    win32::input::RightPress(View(), p.x, p.y);
    win32::input::RightRelease(View(), p.x, p.y);
    Pump();
    EXPECT_EQ(Runtime(u"a", u"backgroundColor"), u"");
    EXPECT_EQ(g_rightPresses, 2) << "the editor shows its menu either way";
}

TEST_F(TableEditorTest, ShiftPressIsSwallowed) {
    LoadCounting(kForm);
    Hold(VK_SHIFT, true);
    PressAt(u"b");
    Hold(VK_SHIFT, false);
    EXPECT_EQ(g_presses, 0);
}

TEST_F(TableEditorTest, FilterKeyByPlaceAndKey) {
    struct Case {
        SHORT startMode;
        bool keysFree;
        const char16_t* caretIn;
        UINT message;
        WPARAM key;
        bool ctrl, shift;
        int result;
    };
    const Case cases[] = {
        {0, false, u"b", WM_KEYDOWN, 'A', false, false, 0},
        {0, true, u"c", WM_KEYDOWN, 'A', false, false, 1},
        {1, false, u"c", WM_KEYDOWN, 'A', false, false, 0},
        {1, false, u"c", WM_CHAR, 'a', false, false, 0},
        {1, false, u"c", WM_KEYDOWN, VK_LEFT, false, false, 1},
        {1, false, u"c", WM_KEYDOWN, VK_HOME, false, false, 1},
        {1, false, u"c", WM_KEYDOWN, VK_DELETE, false, false, 0},
        {1, false, u"c", WM_KEYDOWN, VK_TAB, false, false, 0},
        {1, false, u"b", WM_KEYDOWN, 'A', false, false, 1},
        {1, false, u"b", WM_CHAR, 'a', false, false, 1},
        {1, false, u"b", WM_KEYUP, 'A', false, false, 1},
        {1, false, u"b", WM_KEYDOWN, VK_LEFT, true, true, 1},
        {1, false, u"locked", WM_KEYDOWN, VK_LEFT, true, false, 1},
        {1, false, u"locked", WM_KEYDOWN, VK_UP, true, false, 1},
    };
    Load(kForm);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << com::Utf16ToUtf8(c.caretIn) << " " << c.message << " " << c.key);
        owner_.startMode = c.startMode;
        owner_.keysFree = c.keysFree;
        CaretIn(c.caretIn);
        Hold(VK_CONTROL, c.ctrl);
        Hold(VK_SHIFT, c.shift);
        EXPECT_EQ(Filter(c.message, c.key), c.result);
        Hold(VK_CONTROL, false);
        Hold(VK_SHIFT, false);
    }
}

TEST_F(TableEditorTest, TabAndSpaceInsertNoBreakSpacesOnlyInFreeCells) {
    struct Case {
        const char16_t* cell;
        WPARAM key;
        const char16_t* text;
    };
    const Case cases[] = {
        {u"b", VK_TAB, u"bbb\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0"},
        {u"b", VK_SPACE, u"bbb\u00A0"},
        {u"c", VK_TAB, u"ccc"},
        {u"c", VK_SPACE, u"ccc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(com::Utf16ToUtf8(c.cell));
        Load(kForm);
        CaretIn(c.cell);
        EXPECT_EQ(Filter(WM_KEYDOWN, c.key), 0);
        com::Bstr text;
        ById(c.cell)->get_innerText(&text);
        EXPECT_EQ(text.View(), c.text);
        EXPECT_TRUE(engine_.GetCurrentCell().Get() == ById(c.cell).Get()) << "the caret stays in the cell";
    }
}

TEST_F(TableEditorTest, CtrlDownGrowsEachCellOfTheCaretsRowByOne) {
    Load(u"<html><body><table id=t border=1 cellpadding=0 cellspacing=0>"
         u"<tr><td id=x free width=50>x</td><td id=y free width=40>y</td></tr>"
         u"<tr><td id=z colspan=2>z</td></tr></table><p id=out>out</p></body></html>");
    auto grown = [this](const char16_t* id) {
        LONG height = 0;
        ById(id)->get_offsetHeight(&height);
        const std::string text = std::to_string(height + 1);
        return std::u16string(text.begin(), text.end());
    };
    const std::u16string x = grown(u"x"), y = grown(u"y");
    CaretIn(u"x");
    Hold(VK_CONTROL, true);
    EXPECT_EQ(Filter(WM_KEYDOWN, VK_DOWN), 0);
    EXPECT_EQ(Attribute(u"x", u"height"), x);
    EXPECT_EQ(Attribute(u"y", u"height"), y);
    EXPECT_EQ(Attribute(u"z", u"height"), u"<none>");
    EXPECT_TRUE(engine_.startCell.Get() == ById(u"x").Get());
    CaretIn(u"out");
    EXPECT_EQ(Filter(WM_KEYDOWN, VK_RIGHT), 1) << "no cell at the caret: the caret moves";
    EXPECT_FALSE(engine_.startCell);
    Hold(VK_CONTROL, false);
}

TEST_F(TableEditorTest, KeyIgnoreFiresTheKeyEventAndSwallowsOnce) {
    Load(kForm);
    CaretIn(u"b");
    owner_.keyIgnore = true;
    Hold(VK_SHIFT, true);
    EXPECT_EQ(Filter(WM_KEYDOWN, 'Q'), 0);
    Hold(VK_SHIFT, false);
    EXPECT_EQ(Filter(WM_KEYDOWN, 'Q'), 1);
    EXPECT_EQ(owner_.keys, (std::vector<std::vector<LONG>>{{'Q', 1, 0}, {'Q', 0, 0}}));
    CaretIn(u"c");
    EXPECT_EQ(Filter(WM_KEYDOWN, 'Q'), 0);
    EXPECT_EQ(owner_.keys.size(), 2u) << "locked content fires no key event";
}

TEST_F(TableEditorTest, HandlersThatReplaceTheDocumentMidEvent) {
    constexpr char16_t kNew[] = u"<html><body><table><tr><td id=n free>new</td></tr></table></body></html>";
    auto replaceWith = [this](const char16_t* html) {
        return [this, html] {
            owner_.onNotify = nullptr;
            control_->put_DocumentHTML(com::Bstr(html));
            Pump();
        };
    };
    auto reattach = [this] {
        engine_.Detach();
        ASSERT_EQ(engine_.Attach(Dom(control_.Get()).Get()), 1);
    };
    Load(kForm);
    owner_.onNotify = replaceWith(kNew);
    PressAt(u"box");
    reattach();
    CaretIn(u"n");
    EXPECT_EQ(Filter(WM_KEYDOWN, 'A'), 1) << "the next document attaches";

    owner_.onNotify = replaceWith(kForm);
    Filter(WM_KEYDOWN, 'A');
    reattach();
    CaretIn(u"b");
    EXPECT_EQ(Filter(WM_KEYDOWN, 'A'), 1);
}

} // namespace
} // namespace qx::test
