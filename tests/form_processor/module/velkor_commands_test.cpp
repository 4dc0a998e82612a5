// The command switch and the context menu against the real editing control, run through the
// page's window.external as the toolbar page runs them; menus and boxes are answered by the UI
// driver.
#include "velkor_test_support.h"

#include "recording_window.h"

#include <mshtml.h>
#include <oleidl.h>
#include <qx/com/control/control_host.h>
#include <qx/html/browser/hosting_window.h>
#include <qx/html/editing/control/edit_control.h>
#include <qx/win32/input_driver.h>
#include <qx/win32/virtual_clock.h>
#include <winuser_input.h>
#include <winuser_menu.h>

#include <algorithm>
#include <memory>

using namespace velkor_test;

namespace {

constexpr char16_t kFreeForm[] =
    u"<html><body dovrel free><p id=para>plain text</p>"
    u"<table id=grid><tr><td id=DOCTITLE class=FIELD free>title</td><td id=open free>a</td></tr></table>"
    u"<p><a id=link href=\"http://x/\">link</a> <img id=picture width=40 height=30 src=\"x.gif\"></p>"
    u"<p id=memo class=FIELD>m</p></body></html>";
constexpr char16_t kLockedForm[] =
    u"<html><body dovrel><p id=para>plain text</p>"
    u"<table id=grid><tr><td id=open free>a</td><td id=closed>b</td></tr></table></body></html>";

// A late-bound property get or put, or a method call with its arguments in natural order.
HRESULT Late(IDispatch* target, const char16_t* name, WORD flags, std::vector<Variant> args = {},
             VARIANT* result = nullptr) {
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0, put = DISPID_PROPERTYPUT;
    if (!target || FAILED(target->GetIDsOfNames(IID_NULL, names, 1, 0, &id)))
        return DISP_E_UNKNOWNNAME;
    std::reverse(args.begin(), args.end());
    const bool isPut = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS params{args.data(), isPut ? &put : nullptr, static_cast<UINT>(args.size()), isPut ? 1u : 0u};
    return target->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, nullptr);
}

ComPtr<IDispatch> Object(IDispatch* target, const char16_t* name) {
    Variant value;
    Late(target, name, DISPATCH_PROPERTYGET, {}, &value);
    return ComPtr<IDispatch>(value.vt == VT_DISPATCH ? value.pdispVal : nullptr);
}

// A VARIANT as its type and text, for comparisons.
std::string Text(const VARIANT& value) {
    Variant text;
    if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR)))
        return std::to_string(value.vt) + ":?";
    return std::to_string(value.vt) + ":" + qx::com::Utf16ToUtf8(Bstr(text.bstrVal).View());
}

bool Free(IHTMLElement* element) {
    Variant value;
    element->getAttribute(Bstr(u"free"), 0, &value);
    return value.vt != VT_NULL;
}

class VelkorCommandsTest : public VelkorTest {
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
        Close();
        parent_.reset();
        VelkorTest::TearDown();
    }
    void Close() {
        if (host_)
            host_->Close();
        host_.reset();
        control_ = nullptr;
        Pump();
    }

    void Activate(const char16_t* startMode, const char16_t* form) {
        Close();
        qx::com::control::ControlHostOptions options;
        options.parent = parent_->hwnd();
        options.position = {0, 0, 600, 500};
        options.params = {{u"StartMode", startMode}};
        options.onEvent = [this](DISPID id, const std::u16string&, std::vector<Variant>& args) {
            events_.push_back({id, args});
        };
        ASSERT_EQ(qx::com::control::ControlHost::Create(CLSID_Velkor, std::move(options), &host_), S_OK);
        control_ = ComPtr<IVelkor>::QueryFrom(host_->Control());
        ComPtr<IUnknown> page;
        ASSERT_EQ(AtlAxGetControl(host_->ControlWindow(), &page), S_OK);
        auto browser = ComPtr<IWebBrowser2>::QueryFrom(page.Get());
        ASSERT_TRUE(WaitComplete(browser.Get()));
        Settle();
        ComPtr<IDispatch> pageDocument;
        ASSERT_EQ(browser->get_Document(&pageDocument), S_OK);
        external_ = Object(Object(pageDocument.Get(), u"parentWindow").Get(), u"external");
        ASSERT_EQ(control_->get_Editor(&editor_), S_OK);
        ASSERT_EQ(Late(editor_.Get(), u"DocumentHTML", DISPATCH_PROPERTYPUT, {Variant(form)}), S_OK);
        Settle();
        document_ = ComPtr<IHTMLDocument2>::QueryFrom(Object(editor_.Get(), u"DOM").Get());
        ASSERT_TRUE(document_);
    }
    static void Settle() {
        for (int i = 0; i < 30; ++i) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    ComPtr<IHTMLElement> Element(const char16_t* id) {
        ComPtr<IDispatch> all, item;
        document_->get_all(&all);
        ComPtr<IHTMLElementCollection>::QueryFrom(all.Get())->item(Variant(id), Variant::Missing(), &item);
        return ComPtr<IHTMLElement>::QueryFrom(item.Get());
    }
    ComPtr<IHTMLElement> Body() {
        ComPtr<IDispatch> body;
        document_->get_body(&body);
        return ComPtr<IHTMLElement>::QueryFrom(body.Get());
    }
    // The element's text selected, or the caret at its end.
    void Select(const char16_t* id, bool caret = true) {
        ComPtr<IDispatch> range;
        ASSERT_EQ(ComPtr<IHTMLBodyElement>::QueryFrom(Body().Get())->createTextRange(&range), S_OK);
        const Variant target(ComPtr<IDispatch>::QueryFrom(Element(id).Get()).Get());
        ASSERT_EQ(Late(range.Get(), u"moveToElementText", DISPATCH_METHOD, {target}), S_OK);
        if (caret)
            Late(range.Get(), u"collapse", DISPATCH_METHOD, {Variant(false)});
        ASSERT_EQ(Late(range.Get(), u"select", DISPATCH_METHOD), S_OK);
        Pump();
    }
    void SetDesignMode(const char16_t* mode) {
        ASSERT_EQ(document_->put_designMode(Bstr(mode)), S_OK);
        Settle();
    }
    std::u16string DesignMode() {
        Bstr mode;
        document_->get_designMode(&mode);
        return std::u16string(mode.View());
    }

    Variant External(const char16_t* name, LONG id, const Variant& argument) {
        std::vector<Variant> args{Variant(id)};
        if (argument.vt != VT_EMPTY)
            args.push_back(argument);
        Variant result;
        EXPECT_EQ(Late(external_.Get(), name, DISPATCH_METHOD, args, &result), S_OK);
        return result;
    }
    Variant Exec(LONG id, const Variant& argument = Variant()) {
        return External(u"ExecCommand", id, argument);
    }
    // The status as a number; -1 for VT_EMPTY.
    LONG Query(LONG id) {
        Variant answer = External(u"QueryStatus", id, Variant());
        return answer.vt == VT_EMPTY || FAILED(answer.ChangeType(VT_I4)) ? -1 : answer.lVal;
    }
    bool EditorEnabled(LONG command) {
        Variant status;
        Late(editor_.Get(), u"QueryStatus", DISPATCH_METHOD, {Variant(command)}, &status);
        return SUCCEEDED(status.ChangeType(VT_I4)) && status.lVal == FPF_ENABLED;
    }
    HWND EditorWindow() {
        HWND window = nullptr;
        ComPtr<IOleWindow>::QueryFrom(document_.Get())->GetWindow(&window);
        return window;
    }
    LONG FieldCount() {
        ComPtr<IDispatch> fields;
        LONG count = -1;
        control_->get_Fields(&fields);
        ComPtr<IqxFormFields>::QueryFrom(fields.Get())->get_Count(&count);
        return count;
    }
    // The menu command 18 shows, as "id:label" with "(gray)", "-" for a separator.
    std::vector<std::string> Menu(UINT answer = 0) {
        const std::size_t shown = ui_.MenuRequests().size();
        if (answer)
            ui_.QueueMenu(answer);
        EXPECT_EQ(control_->ExecCommand(FPID_SHOW_PROPERTY_DLG, Variant()), S_OK);
        std::vector<std::string> items;
        const auto requests = ui_.MenuRequests();
        for (std::size_t i = shown; i < requests.size(); ++i)
            for (const auto& item : requests[i].items)
                items.push_back(item.separator ? "-"
                                               : std::to_string(item.id) + ":" + item.label +
                                                     (item.grayed ? "(gray)" : ""));
        return items;
    }
    std::string Item(UINT id, const char* label, bool grayed) {
        return std::to_string(id) + ":" + label + (grayed ? "(gray)" : "");
    }

    struct Event {
        DISPID id;
        std::vector<Variant> args;
    };
    qx::win32::UiRecorder ui_;
    std::unique_ptr<qx::test::RecordingWindow> parent_;
    std::unique_ptr<qx::com::control::ControlHost> host_;
    ComPtr<IVelkor> control_;
    ComPtr<IDispatch> external_, editor_;
    ComPtr<IHTMLDocument2> document_;
    std::vector<Event> events_;
};

// A control made by ProgID has neither window, editor nor document: every command is passed over
// and only the start mode is answered.
TEST_F(VelkorTest, CommandsWithoutADocumentAreSafeAndOnlyTheStartModeAnswers) {
    ComPtr<IVelkor> control;
    ASSERT_EQ(Create(control), S_OK);
    ASSERT_EQ(control->put_StartMode(2), S_OK);
    for (LONG id = -1; id <= 100; ++id) {
        SCOPED_TRACE(id);
        if (id == FPID_SAVE_DOCUMENT || id == FPID_LOAD_DOCUMENT || id == FPID_LoadURL)
            continue; // the file dialogs and the download, checked with the document road
        EXPECT_EQ(control->ExecCommand(static_cast<FORMPROCESSOR_CMDID>(id), Variant(u"#ff0000")), S_OK);
        auto status = static_cast<FORMPROCESSOR_CMDF>(-1);
        EXPECT_EQ(control->QueryStatus(static_cast<FORMPROCESSOR_CMDID>(id), Variant(), &status), S_OK);
        EXPECT_EQ(status, id == FPID_INIT_EDIT_MODE ? 2 : 0);
    }
}

TEST_F(VelkorCommandsTest, SplitMergeFlagsAndTheEditMode) {
    Activate(u"1", kFreeForm);
    const std::pair<std::vector<LONG>, std::pair<LONG, LONG>> flags[] = {
        {{FPID_SPLIT}, {7, 3}},
        {{FPID_SPLIT, FPID_SPLIT}, {3, 3}},
        {{FPID_SPLIT, FPID_MERGE}, {3, 7}},
        {{FPID_MERGE, FPID_SPLIT}, {7, 3}},
        {{FPID_SPLIT, FPID_NONE}, {3, 3}},
    };
    for (const auto& [commands, expected] : flags) {
        SCOPED_TRACE(testing::PrintToString(commands));
        Exec(FPID_NONE);
        for (LONG command : commands)
            EXPECT_EQ(Exec(command).vt, VT_EMPTY);
        EXPECT_EQ(std::make_pair(Query(FPID_SPLIT), Query(FPID_MERGE)), expected);
    }
    for (const auto& [mode, expected] : {std::pair{u"Inherit", 1}, {u"Off", 0}, {u"On", 1}}) {
        SetDesignMode(mode);
        EXPECT_EQ(Text(Exec(FPID_IsEditMode)), Text(Variant(SHORT(expected)))) << qx::com::Utf16ToUtf8(mode);
    }
    // While the editor reloads it is busy (2), and the flags answer as they stand.
    Exec(FPID_SPLIT);
    qx::html::editing::control::HoldDesignModeReloads(true);
    document_->put_designMode(Bstr(u"Off"));
    EXPECT_EQ(Text(Exec(FPID_IsEditMode)), Text(Variant(SHORT{2})));
    EXPECT_EQ(Query(FPID_SPLIT), FPF_LATCHED);
    qx::html::editing::control::HoldDesignModeReloads(false);
    Settle();
    EXPECT_EQ(Query(FPID_SPLIT), FPF_DISABLED) << "browse mode";
}

TEST_F(VelkorCommandsTest, ModeChangeTogglesWaitsForTheBodyAndCollectsTheFields) {
    Activate(u"1", kFreeForm);
    for (const auto& [before, after] : {std::pair{u"Inherit", u"Off"}, {u"Off", u"On"}, {u"On", u"Off"}}) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(before));
        SetDesignMode(before);
        EXPECT_EQ(Exec(FPID_MODE_CHANGE).vt, VT_EMPTY);
        EXPECT_EQ(DesignMode(), after);
        EXPECT_TRUE(Body()) << "it returns once the reloaded document has its body";
        EXPECT_EQ(FieldCount(), 2);
    }
    // A reload that never comes: the wait ends at 10 s of the platform clock, not before.
    qx::win32::InstallVirtualClock(1000);
    qx::html::editing::control::HoldDesignModeReloads(true);
    std::thread clock([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        qx::win32::AdvanceVirtualClock(9999);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        qx::win32::AdvanceVirtualClock(2);
    });
    const auto start = std::chrono::steady_clock::now();
    Exec(FPID_MODE_CHANGE);
    const auto waited = std::chrono::steady_clock::now() - start;
    clock.join();
    EXPECT_EQ(FieldCount(), 0) << "collected from the document without a body";
    qx::html::editing::control::HoldDesignModeReloads(false);
    qx::win32::RemoveVirtualClock();
    EXPECT_GE(waited, std::chrono::milliseconds(350));
    EXPECT_LT(waited, std::chrono::seconds(5));
}

TEST_F(VelkorCommandsTest, CellLockTogglesTheCurrentCellOrBody) {
    struct Case {
        const char16_t* startMode;
        const char16_t* caret;
        const char16_t* toggled; // null: nothing changes
    };
    for (const Case& c : {Case{u"1", u"closed", u"closed"}, Case{u"1", u"open", u"open"},
                          Case{u"1", u"para", nullptr}, Case{u"2", u"para", u"BODY"}}) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.startMode) + qx::com::Utf16ToUtf8(c.caret));
        Activate(c.startMode, kLockedForm);
        Select(c.caret);
        auto target = !c.toggled                                  ? Body()
                      : std::u16string_view(c.toggled) == u"BODY" ? Body()
                                                                  : Element(c.toggled);
        const bool before = Free(target.Get());
        EXPECT_EQ(Query(FPID_TD_LOCK_MODE), before ? FPF_ENABLED : FPF_DISABLED);
        Exec(FPID_TD_LOCK_MODE);
        EXPECT_EQ(Free(target.Get()), c.toggled ? !before : before);
        Exec(FPID_TD_LOCK_MODE);
        EXPECT_EQ(Free(target.Get()), before);
    }
    // With the attribute view on, a box and no change.
    Activate(u"2", kLockedForm);
    ASSERT_EQ(control_->SetCheckFieldForAdmin(
                  -1, Variant(ComPtr<IDispatch>::QueryFrom(Element(u"open").Get()).Get())),
              S_OK);
    Select(u"closed");
    ui_.Clear();
    Exec(FPID_TD_LOCK_MODE);
    const auto boxes = ui_.Calls();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "속성값 보기를 해체해야 합니다.");
    EXPECT_EQ(boxes[0].caption, "알림");
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes[0].owner, host_->ControlWindow());
    EXPECT_FALSE(Free(Element(u"closed").Get()));
}

TEST_F(VelkorCommandsTest, StatusesOfTheTableCommands) {
    struct Case {
        const char16_t* form;
        const char16_t* caret;
        const char16_t* designMode;
        LONG id;
        LONG expected;
    };
    const Case cases[] = {
        {kFreeForm, u"DOCTITLE", u"On", FPID_INSERTTABLE, FPF_DISABLED}, // the title takes no table
        {kFreeForm, u"open", u"On", FPID_WORD_INSERTTABLE, FPF_ENABLED},
        {kFreeForm, u"para", u"On", FPID_INSERTTABLE, FPF_ENABLED},   // BODY is "free"
        {kFreeForm, u"open", u"Off", FPID_INSERTTABLE, FPF_DISABLED}, // browse mode
        {kLockedForm, u"para", u"On", FPID_INSERTTABLE, FPF_DISABLED},
        {kFreeForm, u"para", u"On", FPID_TableLayout, FPF_NOTSUPPORTED},
        {kFreeForm, u"open", u"On", FPID_TableLayout, FPF_ENABLED},
        {kFreeForm, u"open", u"On", 0, -1},
        {kFreeForm, u"open", u"On", 27, -1},
        {kFreeForm, u"open", u"On", 100, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.caret) + " " + std::to_string(c.id));
        Activate(u"1", c.form);
        SetDesignMode(c.designMode);
        Select(c.caret);
        EXPECT_EQ(Query(c.id), c.expected);
    }
}

TEST_F(VelkorCommandsTest, ElementCommandsAndIdsWithoutEffect) {
    Activate(u"1", kFreeForm);
    Select(u"open");
    Variant selected = Exec(FPID_CurSelElementFromCaret);
    ASSERT_EQ(selected.vt, VT_DISPATCH);
    EXPECT_EQ(ComPtr<IUnknown>::QueryFrom(selected.pdispVal),
              ComPtr<IUnknown>::QueryFrom(Element(u"open").Get()));
    EXPECT_EQ(Text(Exec(FPID_ValidSelect)), Text(Variant(true)));
    Bstr before, after;
    Body()->get_outerHTML(&before);
    for (LONG id : {0, 27, 97, 100, 0x10000})
        EXPECT_EQ(Exec(id).vt, VT_EMPTY) << id;
    Body()->get_outerHTML(&after);
    EXPECT_EQ(after.View(), before.View());
    // Colour: a text, or a number as its text, goes to the selected cell; outside cells nowhere.
    auto cell = ComPtr<IHTMLTableCell>::QueryFrom(Element(u"open").Get());
    ASSERT_EQ(control_->ExecCommand(FPID_TD_BACKCOLOR, Variant(u"#ff0000")), S_OK);
    Variant colour;
    cell->get_bgColor(&colour);
    EXPECT_EQ(Text(colour), Text(Variant(u"#ff0000")));
    Select(u"para");
    Exec(FPID_TD_BACKCOLOR, Variant(u"#0000ff"));
    Variant unchanged;
    cell->get_bgColor(&unchanged);
    EXPECT_EQ(Text(unchanged), Text(Variant(u"#ff0000")));
}

TEST_F(VelkorCommandsTest, ContextMenuItemsFollowTheSelection) {
    Activate(u"1", kFreeForm);
    Select(u"para", false);
    const auto tail = [&] {
        std::vector<std::string> items{"-"};
        if (EditorEnabled(5016))
            items.insert(items.end(),
                         {Item(204, "하이퍼링크 속성...", false), Item(205, "하이퍼링크 확인", false)});
        items.push_back(Item(202, "글꼴", !EditorEnabled(5009)));
        items.push_back(Item(0, "취소", false));
        return items;
    };
    const auto insertTable = [&] {
        return Item(100, "테이블 삽입", !(EditorEnabled(5022) && Query(FPID_INSERTTABLE) == FPF_ENABLED));
    };
    std::vector<std::string> expected{insertTable()};
    for (const std::string& item : tail())
        expected.push_back(item);
    EXPECT_EQ(Menu(), expected);

    Activate(u"1", kLockedForm);
    Select(u"open", false);
    expected = {insertTable(),
                "-",
                Item(101, "복 사", !EditorEnabled(5002)),
                Item(102, "잘라내기", !EditorEnabled(5003)),
                Item(103, "붙여놓기", !EditorEnabled(5032)),
                Item(206, "셀내용 지우기", false),
                "-",
                Item(104, "표 속성", true), // neither the table nor BODY is "free"
                Item(105, "셀 속성", false)};
    for (const std::string& item : tail())
        expected.push_back(item);
    EXPECT_EQ(Menu(), expected);
    Select(u"closed");
    EXPECT_TRUE(Menu().empty()) << "nothing editable, no menu";
}

TEST_F(VelkorCommandsTest, ContextMenuPlaceAndActions) {
    Activate(u"1", kLockedForm);
    Select(u"open");
    // Outside an event it opens at the cursor, over the editor window.
    ASSERT_TRUE(SetCursorPos(33, 44));
    Menu(206);
    const auto requests = ui_.MenuRequests();
    ASSERT_EQ(requests.size(), 1u) << "the first menu of this control";
    EXPECT_EQ(requests[0].point.x, 33);
    EXPECT_EQ(requests[0].point.y, 44);
    EXPECT_EQ(requests[0].owner, EditorWindow());
    EXPECT_EQ(requests[0].flags & (TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY),
              static_cast<UINT>(TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY));
    // 206 without picked cells cleared the selection's cell only.
    Bstr text;
    Element(u"open")->get_innerText(&text);
    EXPECT_TRUE(text.Empty());
    Element(u"closed")->get_innerText(&text);
    EXPECT_EQ(text.View(), u"b");

    Activate(u"1", kFreeForm);
    Select(u"link", false);
    if (EditorEnabled(5016)) {
        Menu(205);
        const auto windows = ui_.BrowserWindowRequests();
        ASSERT_EQ(windows.size(), 1u);
        EXPECT_EQ(windows[0].url, "http://x/");
    }
}

// Picked cells come from the table engine's cell list; the current cell from its caret tracking.
TEST_F(VelkorCommandsTest, PickedCellsAndTheCurrentCell) {
    Activate(u"1", kLockedForm);
    for (const char16_t* id : {u"open", u"closed"}) {
        ComPtr<IDispatch> style;
        ComPtr<IHTMLElement2>::QueryFrom(Element(id).Get())->get_runtimeStyle(&style);
        ASSERT_EQ(Late(style.Get(), u"backgroundColor", DISPATCH_PROPERTYPUT, {Variant(u"#c0c0c0")}), S_OK);
    }
    Select(u"open");
    Exec(FPID_TD_LOCK_MODE); // the current cell is "free": both lose it
    EXPECT_FALSE(Free(Element(u"open").Get()) || Free(Element(u"closed").Get()));
    Exec(FPID_TD_LOCK_MODE);
    EXPECT_TRUE(Free(Element(u"open").Get()) && Free(Element(u"closed").Get()));
    Exec(FPID_TD_BACKCOLOR, Variant(u"#ff0000"));
    Variant colour;
    ComPtr<IHTMLTableCell>::QueryFrom(Element(u"closed").Get())->get_bgColor(&colour);
    EXPECT_EQ(Text(colour), Text(Variant(u"#ff0000")));
    Menu(206);
    Bstr text;
    Element(u"closed")->get_innerHTML(&text);
    EXPECT_TRUE(text.Empty());

    Exec(FPID_SetCurTD);
    for (const auto& [caret, previous] :
         {std::pair{u"open", u""}, {u"closed", u"open"}, {u"para", u"closed"}}) {
        Select(caret);
        events_.clear();
        Exec(FPID_SetCurTD);
        std::vector<IUnknown*> changes;
        for (const Event& e : events_)
            if (e.id == 7)
                changes.push_back(ComPtr<IUnknown>::QueryFrom(e.args.at(0).pdispVal).Get());
        if (*previous == 0)
            EXPECT_TRUE(changes.empty());
        else
            EXPECT_EQ(changes,
                      std::vector<IUnknown*>{ComPtr<IUnknown>::QueryFrom(Element(previous).Get()).Get()});
    }
}

} // namespace
