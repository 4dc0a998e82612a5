// The command switch through the page's window.external and IVelkor, against the real editing
// control: the split and merge flags, the editor's mode and its switch, the "free" mark of cells
// and BODY, cell colours, the statuses of the table commands, and the ids that do nothing.
#include "velkor_editing_fixture.h"

#include <qx/html/editing/control/edit_control.h>
#include <qx/win32/virtual_clock.h>

#include <thread>

using namespace velkor_test;

namespace {

constexpr LONG kDisabled = FPF_DISABLED;
constexpr LONG kEnabled = FPF_ENABLED;
constexpr LONG kLatched = FPF_LATCHED;

// BODY is editable; the first table holds the title cell, a free cell and a locked one.
constexpr char16_t kFreeForm[] =
    u"<html><body dovrel free><p id=para>plain text</p>"
    u"<table id=grid><tr><td id=DOCTITLE class=FIELD free>title</td><td id=open free>a</td>"
    u"<td id=closed>b</td></tr></table>"
    u"<table id=fixed style=\"table-layout:fixed\"><tr><td id=pinned free>c</td></tr></table>"
    u"<p><a id=link href=\"http://x/\">link</a></p><p id=memo class=FIELD>m</p></body></html>";

// Nothing outside the cells is editable.
constexpr char16_t kLockedForm[] =
    u"<html><body dovrel><p id=para>plain text</p>"
    u"<table id=grid><tr><td id=open free>a</td><td id=closed>b</td></tr></table></body></html>";

class VelkorCommandsTest : public VelkorEditingTest {};
class VelkorCommandsWithoutDocumentTest : public VelkorTest {};

// A control made by ProgID has neither window, editor nor document: every command is passed over
// and only the start mode is answered.
TEST_F(VelkorCommandsWithoutDocumentTest, EveryCommandIsSafeAndOnlyTheStartModeAnswers) {
    ComPtr<IVelkor> control;
    ASSERT_EQ(Create(control), S_OK);
    ASSERT_EQ(control->put_StartMode(2), S_OK);
    for (LONG id = -1; id <= 100; ++id) {
        SCOPED_TRACE(id);
        // The file dialogs are answered by the UI driver; they are not part of this check.
        if (id == FPID_SAVE_DOCUMENT || id == FPID_LOAD_DOCUMENT)
            continue;
        EXPECT_EQ(control->ExecCommand(static_cast<FORMPROCESSOR_CMDID>(id), Variant(u"#ff0000")), S_OK);
        auto status = static_cast<FORMPROCESSOR_CMDF>(-1);
        EXPECT_EQ(control->QueryStatus(static_cast<FORMPROCESSOR_CMDID>(id), Variant(), &status), S_OK);
        EXPECT_EQ(status, id == FPID_INIT_EDIT_MODE ? 2 : 0);
    }
    EXPECT_TRUE(boxes_.Calls().empty());
}

TEST_F(VelkorCommandsTest, SplitAndMergeFlagsFollowTheirCommands) {
    struct Case {
        std::vector<LONG> commands;
        LONG split;
        LONG merge;
    };
    const Case cases[] = {
        {{FPID_SPLIT}, kLatched, kEnabled},
        {{FPID_SPLIT, FPID_SPLIT}, kEnabled, kEnabled},
        {{FPID_SPLIT, FPID_MERGE}, kEnabled, kLatched},
        {{FPID_MERGE, FPID_SPLIT}, kLatched, kEnabled},
        {{FPID_MERGE, FPID_NONE}, kEnabled, kEnabled},
        {{FPID_SPLIT, FPID_NONE, FPID_MERGE, FPID_MERGE}, kEnabled, kEnabled},
    };
    Activate(u"1");
    PutForm(kFreeForm);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.commands));
        Exec(FPID_NONE);
        for (LONG command : c.commands)
            EXPECT_EQ(Exec(command).vt, VT_EMPTY);
        EXPECT_EQ(QueryNumber(FPID_SPLIT), c.split);
        EXPECT_EQ(QueryNumber(FPID_MERGE), c.merge);
    }
    // While the editor reloads (mode 2) the answer still comes from the flag.
    Exec(FPID_NONE);
    Exec(FPID_SPLIT);
    qx::html::editing::control::HoldDesignModeReloads(true);
    Document()->put_designMode(Bstr(u"On"));
    EXPECT_EQ(Exec(FPID_IsEditMode).iVal, 2);
    EXPECT_EQ(QueryNumber(FPID_SPLIT), kLatched);
    qx::html::editing::control::HoldDesignModeReloads(false);
    Settle();
    // In browse mode both are disabled.
    SetDesignMode(u"Off");
    EXPECT_EQ(QueryNumber(FPID_SPLIT), kDisabled);
    EXPECT_EQ(QueryNumber(FPID_MERGE), kDisabled);
}

TEST_F(VelkorCommandsTest, EditModeReadsDesignMode) {
    Activate(u"1");
    PutForm(kFreeForm);
    const std::pair<const char16_t*, SHORT> cases[] = {{u"Inherit", 1}, {u"Off", 0}, {u"On", 1}};
    for (const auto& [mode, expected] : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(mode));
        SetDesignMode(mode);
        Variant answer = Exec(FPID_IsEditMode);
        ASSERT_EQ(answer.vt, VT_I2);
        EXPECT_EQ(answer.iVal, expected);
    }
}

TEST_F(VelkorCommandsTest, ModeChangeTogglesBetweenEditAndBrowseAndCollectsTheFields) {
    Activate(u"1");
    PutForm(kFreeForm);
    struct Case {
        const char16_t* before;
        const char16_t* after;
    };
    const Case cases[] = {{u"Inherit", u"Off"}, {u"Off", u"On"}, {u"On", u"Off"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.before));
        SetDesignMode(c.before);
        EXPECT_EQ(Exec(FPID_MODE_CHANGE).vt, VT_EMPTY);
        EXPECT_EQ(DesignMode(), c.after);
        ComPtr<IDispatch> body;
        ASSERT_EQ(Document()->get_body(&body), S_OK);
        EXPECT_TRUE(body) << "the command returns once the reloaded document has its body";
        ComPtr<IDispatch> fields;
        ASSERT_EQ(control_->get_Fields(&fields), S_OK);
        LONG count = 0;
        ASSERT_EQ(ComPtr<IqxFormFields>::QueryFrom(fields.Get())->get_Count(&count), S_OK);
        EXPECT_EQ(count, 2);
    }
}

TEST_F(VelkorCommandsTest, ModeChangeGivesUpAtItsBoundOnThePlatformClock) {
    Activate(u"1");
    PutForm(kFreeForm);
    SetDesignMode(u"On");
    qx::win32::InstallVirtualClock(1000);
    qx::html::editing::control::HoldDesignModeReloads(true);
    std::thread clock([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        qx::win32::AdvanceVirtualClock(9999); // short of the bound: the wait goes on
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        qx::win32::AdvanceVirtualClock(2);
    });
    const auto start = std::chrono::steady_clock::now();
    Exec(FPID_MODE_CHANGE);
    const auto waited = std::chrono::steady_clock::now() - start;
    clock.join();
    qx::html::editing::control::HoldDesignModeReloads(false);
    qx::win32::RemoveVirtualClock();
    EXPECT_GE(waited, std::chrono::milliseconds(350)) << "it waited for the clock to pass the bound";
    EXPECT_LT(waited, std::chrono::seconds(5));
    ComPtr<IDispatch> fields;
    ASSERT_EQ(control_->get_Fields(&fields), S_OK);
    LONG count = -1;
    ComPtr<IqxFormFields>::QueryFrom(fields.Get())->get_Count(&count);
    EXPECT_EQ(count, 0) << "the fields were collected from the document without a body";
    Settle();
    EXPECT_EQ(DesignMode(), u"Off");
}

TEST_F(VelkorCommandsTest, CellLockTogglesTheCurrentCellOrBody) {
    struct Case {
        const char16_t* startMode;
        const char16_t* caret; // null: the caret outside every table
        const char16_t* changed;
    };
    const Case cases[] = {
        {u"1", u"closed", u"closed"},
        {u"1", u"open", u"open"},
        {u"1", nullptr, nullptr}, // without a cell only StartMode 2 touches BODY
        {u"2", nullptr, u"BODY"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.startMode) + (c.caret ? qx::com::Utf16ToUtf8(c.caret) : ""));
        Activate(c.startMode);
        PutForm(kLockedForm);
        CaretIn(c.caret ? c.caret : u"para");
        auto target = c.changed == nullptr                        ? nullptr
                      : std::u16string_view(c.changed) == u"BODY" ? Body()
                                                                  : Element(c.changed);
        auto body = Body();
        const bool bodyFree = HasAttribute(body.Get(), u"free");
        const bool before = target && HasAttribute(target.Get(), u"free");
        EXPECT_EQ(QueryNumber(FPID_TD_LOCK_MODE), before ? kEnabled : kDisabled);
        Exec(FPID_TD_LOCK_MODE);
        if (target) {
            EXPECT_NE(HasAttribute(target.Get(), u"free"), before);
            if (!before) {
                EXPECT_EQ(Attribute(target.Get(), u"free").vt, VT_BSTR);
            }
            EXPECT_EQ(QueryNumber(FPID_TD_LOCK_MODE), before ? kDisabled : kEnabled);
            Exec(FPID_TD_LOCK_MODE);
            EXPECT_EQ(HasAttribute(target.Get(), u"free"), before) << "a second run puts it back";
        } else {
            EXPECT_EQ(HasAttribute(body.Get(), u"free"), bodyFree);
        }
        if (!target || std::u16string_view(c.changed) != u"closed") {
            EXPECT_FALSE(HasAttribute(Element(u"closed").Get(), u"free"));
        }
        host_->Close();
        host_.reset();
        control_ = nullptr;
        Pump();
    }
}

TEST_F(VelkorCommandsTest, CellLockWithTheAttributeViewOnShowsItsBoxAndChangesNothing) {
    Activate(u"2");
    PutForm(kFreeForm);
    auto field = Element(u"memo");
    ASSERT_EQ(control_->SetCheckFieldForAdmin(-1, Variant(ComPtr<IDispatch>::QueryFrom(field.Get()).Get())),
              S_OK);
    CaretIn(u"closed");
    ui_.Clear();
    Exec(FPID_TD_LOCK_MODE);
    const auto boxes = ui_.Calls();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "속성값 보기를 해체해야 합니다.");
    EXPECT_EQ(boxes[0].caption, "알림");
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes[0].owner, host_->ControlWindow());
    EXPECT_FALSE(HasAttribute(Element(u"closed").Get(), u"free"));
}

TEST_F(VelkorCommandsTest, BackColourGoesToTheSelectedCell) {
    Activate(u"1");
    PutForm(kFreeForm);
    struct Case {
        Variant colour;
        const char16_t* expected; // bgColor of the cell afterwards; null: any colour
    };
    const Case cases[] = {
        {Variant(u"#ff0000"), u"#ff0000"}, {Variant(LONG{0x00ff00}), nullptr}, // a number arrives as its text
    };
    for (const Case& c : cases) {
        auto cell = ComPtr<IHTMLTableCell>::QueryFrom(Element(u"open").Get());
        ASSERT_TRUE(cell);
        cell->put_bgColor(Variant(u""));
        CaretIn(u"open");
        ASSERT_EQ(control_->ExecCommand(FPID_TD_BACKCOLOR, c.colour), S_OK);
        Variant colour;
        cell->get_bgColor(&colour);
        ASSERT_EQ(colour.vt, VT_BSTR);
        if (c.expected)
            EXPECT_EQ(Bstr(colour.bstrVal).View(), c.expected);
        else
            EXPECT_FALSE(Bstr(colour.bstrVal).Empty());
    }
    // Outside a cell nothing is coloured, and the command answers nothing.
    CaretIn(u"para");
    EXPECT_EQ(Exec(FPID_TD_BACKCOLOR, Variant(u"#0000ff")).vt, VT_EMPTY);
    Variant paragraphColour = Attribute(Element(u"para").Get(), u"bgColor");
    EXPECT_EQ(paragraphColour.vt, VT_NULL);
}

TEST_F(VelkorCommandsTest, InsertTableStatus) {
    struct Case {
        const char16_t* caret;
        const char16_t* designMode;
        LONG expected;
    };
    const Case cases[] = {
        {u"DOCTITLE", u"On", kDisabled},                               // the title cell takes no table
        {u"open", u"On", kEnabled},      {u"closed", u"On", kEnabled}, // editable through BODY
        {u"para", u"On", kEnabled},                                    // outside cells BODY's "free" decides
        {u"open", u"Off", kDisabled},                                  // browse mode
    };
    Activate(u"1");
    PutForm(kFreeForm);
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.caret) + " " + qx::com::Utf16ToUtf8(c.designMode));
        SetDesignMode(c.designMode);
        CaretIn(c.caret);
        EXPECT_EQ(QueryNumber(FPID_INSERTTABLE), c.expected);
        EXPECT_EQ(QueryNumber(FPID_WORD_INSERTTABLE), c.expected);
    }
    // Outside cells with BODY not editable.
    PutForm(kLockedForm);
    SetDesignMode(u"On");
    CaretIn(u"para");
    EXPECT_EQ(QueryNumber(FPID_INSERTTABLE), kDisabled);
}

TEST_F(VelkorCommandsTest, TableLayoutStatusOutsideTablesAndInOne) {
    Activate(u"1");
    PutForm(kFreeForm);
    CaretIn(u"para");
    EXPECT_EQ(QueryNumber(FPID_TableLayout), FPF_NOTSUPPORTED);
    CaretIn(u"open");
    EXPECT_EQ(QueryNumber(FPID_TableLayout), kEnabled);
}

// Passes once the table engine reads inline table layouts (HasTableLayoutStyle).
TEST_F(VelkorCommandsTest, DISABLED_TableLayoutStatusOfAFixedTable) {
    Activate(u"1");
    PutForm(kFreeForm);
    CaretIn(u"pinned");
    EXPECT_EQ(QueryNumber(FPID_TableLayout), kDisabled);
}

TEST_F(VelkorCommandsTest, SelectionCommandsAnswerTheSelectedElement) {
    Activate(u"1");
    PutForm(kFreeForm);
    CaretIn(u"open");
    Variant selected = Exec(FPID_CurSelElementFromCaret);
    ASSERT_EQ(selected.vt, VT_DISPATCH);
    auto element = ComPtr<IHTMLElement>::QueryFrom(selected.pdispVal);
    ASSERT_TRUE(element);
    Bstr id;
    element->get_id(&id);
    EXPECT_EQ(id.View(), u"open");
    Variant valid = Exec(FPID_ValidSelect);
    ASSERT_EQ(valid.vt, VT_BOOL);
    EXPECT_EQ(valid.boolVal, VARIANT_TRUE);

    PutForm(kLockedForm);
    CaretIn(u"closed");
    valid = Exec(FPID_ValidSelect);
    ASSERT_EQ(valid.vt, VT_BOOL);
    EXPECT_EQ(valid.boolVal, VARIANT_FALSE);
}

TEST_F(VelkorCommandsTest, UnknownIdsDoNothing) {
    Activate(u"1");
    PutForm(kFreeForm);
    CaretIn(u"open");
    Bstr before;
    Body()->get_outerHTML(&before);
    for (LONG id : {0L, 27L, 97L, 100L, 0x10000L}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(Exec(id).vt, VT_EMPTY);
        EXPECT_EQ(Query(id).vt, VT_EMPTY);
    }
    Bstr after;
    Body()->get_outerHTML(&after);
    EXPECT_EQ(after.View(), before.View());
    EXPECT_TRUE(ui_.MenuRequests().empty());
}

// Passes once the table engine reports the current cell (UpdateCurrentElement).
TEST_F(VelkorCommandsTest, DISABLED_SetCurTDReportsTheCellThatStoppedBeingCurrent) {
    Activate(u"1");
    PutForm(kFreeForm);
    CaretIn(u"open");
    Exec(FPID_SetCurTD);
    struct Step {
        const char16_t* caret;
        const char16_t* previous; // null: no ElementChange
    };
    const Step steps[] = {{u"open", nullptr}, {u"DOCTITLE", u"open"}, {u"para", u"DOCTITLE"}};
    for (const Step& step : steps) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(step.caret));
        CaretIn(step.caret);
        events_.clear();
        Exec(FPID_SetCurTD);
        std::vector<Event> changes;
        for (const Event& e : events_)
            if (e.id == 7)
                changes.push_back(e);
        if (!step.previous) {
            EXPECT_TRUE(changes.empty());
            continue;
        }
        ASSERT_EQ(changes.size(), 1u);
        ASSERT_EQ(changes[0].args.size(), 1u);
        auto previous = ComPtr<IHTMLElement>::QueryFrom(changes[0].args[0].pdispVal);
        ASSERT_TRUE(previous);
        Bstr id;
        previous->get_id(&id);
        EXPECT_EQ(id.View(), step.previous);
    }
}

// Passes once the table engine lists a table's cells (ListTableCells).
TEST_F(VelkorCommandsTest, DISABLED_HighlightedCellsTakeTheLockAndTheColourTogether) {
    Activate(u"1");
    PutForm(kLockedForm);
    for (const char16_t* id : {u"open", u"closed"}) {
        auto element = ComPtr<IHTMLElement2>::QueryFrom(Element(id).Get());
        ComPtr<IDispatch> style;
        ASSERT_EQ(element->get_runtimeStyle(&style), S_OK);
        ASSERT_EQ(CallByName(style.Get(), u"backgroundColor", DISPATCH_PROPERTYPUT, {Variant(u"#c0c0c0")}),
                  S_OK);
    }
    // The current cell has "free": both lose it; run again: both get it.
    CaretIn(u"open");
    Exec(FPID_TD_LOCK_MODE);
    EXPECT_FALSE(HasAttribute(Element(u"open").Get(), u"free"));
    EXPECT_FALSE(HasAttribute(Element(u"closed").Get(), u"free"));
    Exec(FPID_TD_LOCK_MODE);
    EXPECT_TRUE(HasAttribute(Element(u"open").Get(), u"free"));
    EXPECT_TRUE(HasAttribute(Element(u"closed").Get(), u"free"));
    Exec(FPID_TD_BACKCOLOR, Variant(u"#ff0000"));
    for (const char16_t* id : {u"open", u"closed"}) {
        Variant colour;
        ComPtr<IHTMLTableCell>::QueryFrom(Element(id).Get())->get_bgColor(&colour);
        EXPECT_EQ(Bstr(colour.bstrVal).View(), u"#ff0000");
    }
}

} // namespace
