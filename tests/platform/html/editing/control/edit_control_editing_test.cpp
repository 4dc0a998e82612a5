// Editing through the control: sessions of commands and view messages on a starting document
// with the BODY's HTML after each step, QueryStatus per selection, and the font and hyperlink
// dialogs answered by the UI driver.
#include "edit_control_fixture.h"

#include <qx/win32/dialog_view.h>

#include <functional>
#include <vector>

namespace qx::test {
namespace {

// One step: a command (with an argument) or a message to the view.
struct Step {
    enum Kind { Command, Message } kind;
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
    com::ComPtr<IDHTMLSafe> Start(const char16_t* html) {
        com::ComPtr<IDHTMLSafe> control = CreateControl();
        EXPECT_EQ(control->put_DocumentHTML(com::Bstr(html)), S_OK);
        Pump();
        return control;
    }
    static HRESULT Run(IDHTMLSafe* control, const Step& step) {
        if (step.kind == Step::Message) {
            SendMessageW(ViewOf(control), step.message, step.wParam, step.lParam);
            return S_OK;
        }
        com::Variant argument;
        if (step.argument)
            argument = com::Variant(std::u16string_view(step.argument));
        com::Variant result;
        return control->ExecCommand(step.command, DE_OLECMDEXECOPT_DONTPROMPTUSER, argument, &result);
    }
    DialogAnswers dialogs_;
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
         {nullptr, nullptr, nullptr}},
        {u"<p>link</p>",
         {Exec(DECMD_SELECTALL), Exec(DECMD_HYPERLINK, u"http://a.example/"), Exec(DECMD_UNLINK)},
         {u"<P>link</P>", u"<P><A href=\"http://a.example/\">link</A></P>", u"<P>link</P>"}},
        {u"<p>c</p>",
         {Exec(DECMD_SELECTALL), Exec(DECMD_JUSTIFYCENTER), Exec(DECMD_SETFORECOLOR, u"#ff0000")},
         {nullptr, nullptr, nullptr}},
    };
    for (const auto& session : sessions) {
        com::ComPtr<IDHTMLSafe> control = Start(session.start);
        for (size_t i = 0; i < session.steps.size(); ++i) {
            EXPECT_EQ(Run(control.Get(), session.steps[i]), S_OK)
                << com::Utf16ToUtf8(session.start) << " step " << i;
            if (session.expected[i]) {
                EXPECT_EQ(BodyHtml(control.Get()), session.expected[i])
                    << com::Utf16ToUtf8(session.start) << " step " << i;
            }
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
