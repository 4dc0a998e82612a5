// scripthost --answers: a script whose component shows a message box and runs a dialog gets
// the answers script's answers; without answers, the default buttons and standard error.
#include "scripthost_process.h"

#include <qx/com/bstr.h>
#include <qx/win32/registry.h>
#include <winreg.h>

namespace qx::test {
namespace {

class ScriptHostAnswers : public ScriptHostProcess {
protected:
    void SetUp() override {
        ScriptHostProcess::SetUp();
        qx::registry::SetRootForTesting(dir_ / "registry");
        Set(u"Test.Dialogs\\CLSID", u"{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4D10}");
        Set(u"CLSID\\{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4D10}\\InprocServer32",
            com::Utf8ToUtf16(QX_TEST_DIALOGS_SERVER));
        script_ = Write("table.js", "var d = new ActiveXObject(\"Test.Dialogs\");\n"
                                    "WScript.Echo(\"box\", d.Ask(\"저장할까요?\", \"확인\", 3));\n"
                                    "WScript.Echo(\"table\", d.EditTable());\n")
                      .string();
    }
    static void Set(const std::u16string& key, const std::u16string& value) {
        ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                               static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))),
                  ERROR_SUCCESS);
    }
    std::string script_;
};

// The first click finds the name empty: the component's warning box is answered and the dialog
// stays open for the handler to fill it in.
const char kAnswers[] = R"(
var seen = [];
function onMessageBox(box) {
    seen.push(box.Caption + ":" + box.Buttons + ":" + box.DefaultButton);
    if (box.Caption == "표") return "ok";
    return box.Text.indexOf("저장") >= 0 ? 7 : box.DefaultButton;
}
function onDialog(dialog) {
    if (dialog.Id != 300 || !dialog.Modal) throw new Error("not the table dialog");
    dialog.Click(1);
    if (!dialog.IsOpen) throw new Error("closed without a name");
    dialog.SetText(100, "성적표");
    dialog.Check(101);
    dialog.Click(103);
    dialog.Select(104, "boxed");
    dialog.Select(105, 1);
    if (dialog.GetText(100) != "성적표" || dialog.ItemText(104, 2) != "boxed" || dialog.ControlCount != 9)
        throw new Error("the dialog does not read back");
    dialog.Click(1);
}
)";

TEST_F(ScriptHostAnswers, TheAnswersScriptAnswersBoxesAndDialogs) {
    const fs::path answers = Write("answers.js", kAnswers);
    const Outcome o = Run({"--answers", answers.string(), script_});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "box 7\ntable 1|성적표|1|1|300|1\n");
    EXPECT_EQ(o.err, "");
}

TEST_F(ScriptHostAnswers, WithoutAnswersTheDefaultButtonsAnswerOnStandardError) {
    const Outcome o = Run({script_});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    // The table's default button finds no name; the warning's own default leaves the dialog
    // open, and it is cancelled as Escape would.
    EXPECT_EQ(o.out, "box 6\ntable 2||0|0|0|-1\n");
    EXPECT_EQ(o.err, "MessageBox \"확인\": 저장할까요? ([Yes] No Cancel) -> Yes\n"
                     "Dialog 300 \"표 만들기\" -> [확인]\n"
                     "MessageBox \"표\": 이름을 입력하세요. ([OK]) -> OK\n");
}

TEST_F(ScriptHostAnswers, HandlersMissingOrFailingFallBackToTheDefaults) {
    const fs::path answers = Write("partial.js", "function onMessageBox(box) { return \"Maybe\"; }\n"
                                                 "function onDialog(dialog) { dialog.Cancel(); }\n");
    const Outcome o = Run({"--answers", answers.string(), script_});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "box 6\ntable 2||0|0|0|-1\n");
    EXPECT_EQ(o.err, "scripthost: onMessageBox gave no button of the box \"확인\"\n"
                     "MessageBox \"확인\": 저장할까요? ([Yes] No Cancel) -> Yes\n");
}

TEST_F(ScriptHostAnswers, AnAnswersScriptThatCannotRunStopsTheHost) {
    struct Case {
        const char* name;
        const char* text; // null: no such file
        const char* says;
    };
    const Case cases[] = {
        {"missing.js", nullptr, "scripthost: cannot read the answers file"},
        {"broken.js", "function onDialog( {", "broken.js(1): syntax error"},
        {"throws.js", "throw new Error(\"no\");", "throws.js(1): runtime error"},
    };
    for (const auto& c : cases) {
        const fs::path path = c.text ? Write(c.name, c.text) : dir_ / c.name;
        const Outcome o = Run({"--answers", path.string(), script_});
        EXPECT_EQ(o.exitCode, 2) << c.name;
        EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
        EXPECT_EQ(o.out, "") << c.name;
    }
    const Outcome empty = Run({"--answers=", script_});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_NE(empty.err.find("--answers wants a file name"), std::string::npos) << empty.err;
}

} // namespace
} // namespace qx::test
