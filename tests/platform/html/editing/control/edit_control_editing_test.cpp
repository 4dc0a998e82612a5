// Editing through the control: sessions of commands and view messages on a starting document
// with the BODY's HTML after each step, QueryStatus per selection, and the font and hyperlink
// dialogs answered by the UI driver.
#include "edit_control_fixture.h"

#include <qx/com/control/control_host.h>
#include <qx/win32/dialog_view.h>

#include <functional>
#include <vector>

namespace qx::test {
namespace {

// One step: a command (with an argument) or a message to the view.
struct Step {
    enum Kind { Command, Message, Table } kind;
    LONG command = 0;
    const char16_t* argument = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

Step Exec(LONG command, const char16_t* argument = nullptr) {
    return {Step::Command, command, argument};
}
Step Send(UINT message, WPARAM wParam, LPARAM lParam = 0) {
    return {Step::Message, 0, nullptr, message, wParam, lParam};
}
// DECMD_INSERTTABLE with a table-parameter object of rows x columns and the caption.
Step InsertTable(LONG rows, LONG columns, const char16_t* caption) {
    return {Step::Table, DECMD_INSERTTABLE,         caption,
            0,           static_cast<WPARAM>(rows), static_cast<LPARAM>(columns)};
}

// Answers the control's dialogs: the font dialog and the hyperlink dialog.
class DialogAnswers : public win32::UiRecorder {
public:
    std::function<void(win32::DialogView&)> answer;
    std::vector<int> shown;
    bool ShowDialog(win32::DialogView& dialog) override {
        shown.push_back(dialog.Request().templateId);
        if (answer)
            answer(dialog);
        return answer != nullptr;
    }
};

class EditControlEditing : public EditControlFixture {
protected:
    void SetUp() override {
        EditControlFixture::SetUp();
        win32::SetUiDriver(&dialogs_);
    }
    void TearDown() override {
        if (host_)
            host_->Close();
        host_.reset();
        EditControlFixture::TearDown();
    }
    // The control active in the test window at 300 x 200, on the document.
    com::ComPtr<IDHTMLSafe> Start(const char16_t* html) {
        com::ComPtr<IDHTMLSafe> control = CreateControl();
        if (host_)
            host_->Close();
        com::control::ControlHostOptions options;
        options.parent = window_->hwnd();
        options.position = RECT{0, 0, 300, 200};
        EXPECT_EQ(com::control::ControlHost::Host(control.Get(), std::move(options), &host_), S_OK);
        EXPECT_EQ(control->put_DocumentHTML(com::Bstr(html)), S_OK);
        Pump();
        return control;
    }
    static HRESULT Run(IDHTMLSafe* control, const Step& step) {
        if (step.kind == Step::Message) {
            SendMessageW(ViewOf(control), step.message, step.wParam, step.lParam);
            return S_OK;
        }
        if (step.kind == Step::Table) {
            com::ComPtr<IDEInsertTableParam> table;
            EXPECT_EQ(CoCreateInstance(CLSID_DEInsertTableParam, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IDEInsertTableParam, reinterpret_cast<void**>(&table)),
                      S_OK);
            table->put_NumRows(static_cast<LONG>(step.wParam));
            table->put_NumCols(static_cast<LONG>(step.lParam));
            table->put_Caption(com::Bstr(step.argument));
            com::Variant argument(static_cast<IDispatch*>(table.Get())), result;
            return control->ExecCommand(step.command, 0, argument, &result);
        }
        com::Variant argument;
        if (step.argument)
            argument = com::Variant(std::u16string_view(step.argument));
        com::Variant result;
        return control->ExecCommand(step.command, DE_OLECMDEXECOPT_DONTPROMPTUSER, argument, &result);
    }
    DialogAnswers dialogs_;
    std::unique_ptr<com::control::ControlHost> host_;
};

TEST_F(EditControlEditing, SessionsOfCommandsAndKeys) {
    const struct {
        const char16_t* start;
        std::vector<Step> steps;
        std::vector<const char16_t*> expected; // BODY's HTML after each step
    } sessions[] = {
        {u"<p>ab</p>",
         {Exec(DECMD_SELECTALL), Exec(DECMD_BOLD), Exec(DECMD_UNDO), Exec(DECMD_REDO)},
         {u"<P>ab</P>", u"<P><STRONG>ab</STRONG></P>", u"<P>ab</P>", u"<P><STRONG>ab</STRONG></P>"}},
        {u"<p>ab</p>",
         {Exec(DECMD_SELECTALL), Send(WM_CHAR, 'x'), Send(WM_CHAR, 'y'), Send(WM_KEYDOWN, VK_BACK)},
         {u"<P>ab</P>", u"<P>x</P>", u"<P>xy</P>", u"<P>x</P>"}},
        {u"<table><tr><td>1</td><td>2</td></tr></table>",
         {Exec(DECMD_SELECTALL), Exec(DECMD_CUT), Exec(DECMD_PASTE)},
         {u"<TABLE><TBODY><TR><TD>1</TD><TD>2</TD></TR></TBODY></TABLE>",
          u"<TABLE><TBODY><TR><TD></TD><TD></TD></TR></TBODY></TABLE>",
          u"<TABLE><TBODY><TR><TD>12</TD><TD></TD></TR></TBODY></TABLE>"}},
        {u"<p>link</p>",
         {Exec(DECMD_SELECTALL), Exec(DECMD_HYPERLINK, u"http://a.example/"), Exec(DECMD_UNLINK)},
         {u"<P>link</P>", u"<P><A href=\"http://a.example/\">link</A></P>", u"<P>link</P>"}},
        {u"<table><tr><td>1</td><td>2</td></tr></table>",
         {Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4)), Send(WM_LBUTTONUP, 0, MAKELPARAM(4, 4)),
          Send(WM_KEYDOWN, VK_END), Send(WM_CHAR, 'z'), Exec(DECMD_UNDO)},
         {u"<TABLE><TBODY><TR><TD>1</TD><TD>2</TD></TR></TBODY></TABLE>",
          u"<TABLE><TBODY><TR><TD>1</TD><TD>2</TD></TR></TBODY></TABLE>",
          u"<TABLE><TBODY><TR><TD>1</TD><TD>2</TD></TR></TBODY></TABLE>",
          u"<TABLE><TBODY><TR><TD>1z</TD><TD>2</TD></TR></TBODY></TABLE>",
          u"<TABLE><TBODY><TR><TD>1</TD><TD>2</TD></TR></TBODY></TABLE>"}},
        {u"<p>t</p>",
         {Exec(DECMD_SELECTALL), InsertTable(2, 2, u"cap")},
         {u"<P>t</P>",
          u"<TABLE><CAPTION>cap</CAPTION><TBODY><TR><TD></TD><TD></TD></TR><TR><TD></TD><TD></TD></TR>"
          u"</TBODY></TABLE>"}},
        {u"<p>c</p>",
         {Exec(DECMD_SELECTALL), Exec(DECMD_JUSTIFYCENTER), Exec(DECMD_SETFORECOLOR, u"#ff0000")},
         {u"<P>c</P>", u"<P align=center>c</P>", u"<P align=center><FONT color=#ff0000>c</FONT></P>"}},
    };
    for (const auto& session : sessions) {
        com::ComPtr<IDHTMLSafe> control = Start(session.start);
        for (size_t i = 0; i < session.steps.size(); ++i) {
            EXPECT_EQ(Run(control.Get(), session.steps[i]), S_OK)
                << com::Utf16ToUtf8(session.start) << " step " << i;
            EXPECT_EQ(BodyHtml(control.Get()), session.expected[i])
                << com::Utf16ToUtf8(session.start) << " step " << i;
        }
    }
}

TEST_F(EditControlEditing, CommandsTheControlDoesNotKnowAreNotSupported) {
    com::ComPtr<IDHTMLSafe> control = Start(u"<p>a</p>");
    control->ExecCommand(DECMD_SELECTALL, 0, com::Variant(), nullptr);
    const struct {
        LONG command;
        LONG status;
        HRESULT exec;
    } rows[] = {
        {4999, DECMDF_NOTSUPPORTED, static_cast<HRESULT>(0x80040100)},
        {5005, DECMDF_NOTSUPPORTED, static_cast<HRESULT>(0x80040100)},
        {DECMD_SETFONTSIZE, DECMDF_ENABLED, E_INVALIDARG}, // without its argument
        {DECMD_GETBLOCKFMTNAMES, DECMDF_ENABLED, E_INVALIDARG},
    };
    for (const auto& row : rows) {
        LONG status = -1;
        ASSERT_EQ(control->QueryStatus(row.command, &status), S_OK);
        EXPECT_EQ(status, row.status) << row.command;
        com::Variant none, result;
        EXPECT_EQ(control->ExecCommand(row.command, 0, none, &result), row.exec) << row.command;
    }
}

TEST_F(EditControlEditing, TheFontDialogChangesTheSelectionsFont) {
    com::ComPtr<IDHTMLSafe> control = Start(u"<p>ab</p>");
    control->ExecCommand(DECMD_SELECTALL, 0, com::Variant(), nullptr);
    dialogs_.answer = [](win32::DialogView& dialog) {
        EXPECT_EQ(dialog.Caption(), "Font");
        dialog.SetText(201, "Arial");
        dialog.SetCheck(203, BST_CHECKED);
        dialog.Click(IDOK);
    };
    com::Variant none, result;
    ASSERT_EQ(control->ExecCommand(DECMD_FONT, DE_OLECMDEXECOPT_PROMPTUSER, none, &result), S_OK);
    EXPECT_EQ(dialogs_.shown, std::vector<int>{200});
    com::Variant name;
    control->ExecCommand(DECMD_GETFONTNAME, 0, none, &name);
    EXPECT_EQ(Text(name.bstrVal), u"Arial");
    LONG bold = 0;
    control->QueryStatus(DECMD_BOLD, &bold);
    EXPECT_EQ(bold, DECMDF_LATCHED);

    const std::u16string before = BodyHtml(control.Get());
    dialogs_.answer = [](win32::DialogView& dialog) { dialog.Cancel(); };
    ASSERT_EQ(control->ExecCommand(DECMD_FONT, DE_OLECMDEXECOPT_PROMPTUSER, none, &result), S_OK);
    EXPECT_EQ(BodyHtml(control.Get()), before) << "cancelled: nothing changes";
}

TEST_F(EditControlEditing, TheHyperlinkDialogAsksForTheAddress) {
    com::ComPtr<IDHTMLSafe> control = Start(u"<p>go</p>");
    control->ExecCommand(DECMD_SELECTALL, 0, com::Variant(), nullptr);
    std::string shownText;
    dialogs_.answer = [&shownText](win32::DialogView& dialog) {
        shownText = dialog.Text(211).value_or("");
        dialog.SetText(211, "http://b.example/");
        dialog.PressDefault();
    };
    com::Variant none, result;
    ASSERT_EQ(control->ExecCommand(DECMD_HYPERLINK, DE_OLECMDEXECOPT_PROMPTUSER, none, &result), S_OK);
    EXPECT_EQ(shownText, "http://");
    EXPECT_EQ(BodyHtml(control.Get()), u"<P><A href=\"http://b.example/\">go</A></P>");
}

} // namespace
} // namespace qx::test
