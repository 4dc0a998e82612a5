// scripthost --answers: a script whose component shows a message box, runs a dialog, tracks a
// menu, runs the find and replace dialogs and asks for a color gets the answers script's
// answers; without answers, the defaults and standard error.
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

// The menu the component tracks, as a handler walks it: "label/id/flags" with g(rayed),
// c(hecked), s(eparator), and a submenu in brackets.
const char kWalkMenu[] = R"(
function walk(m) {
    var out = [];
    for (var i = 0; i < m.Count; i++) {
        var it = m.Item(i);
        out.push(it.Label + "/" + it.Id + "/" + (it.Grayed ? "g" : "") + (it.Checked ? "c" : "") +
                 (it.Separator ? "s" : "") + (it.Count ? "[" + walk(it) + "]" : ""));
    }
    return out.join(" ");
}
var kMenu = "&Open/10/ Save/11/g /0/s Wrap/12/c More/0/[Sort/20/]";
)";

TEST_F(ScriptHostAnswers, MenusFindDialogsAndColorsGetTheHandlersAnswers) {
    const std::string script = Write("more.js", "var d = new ActiveXObject(\"Test.Dialogs\");\n"
                                                "WScript.Echo(\"menu\", d.Menu(30, -40));\n"
                                                "WScript.Echo(\"find\", d.Find(\"사과\", false));\n"
                                                "WScript.Echo(\"replace\", d.Find(\"pear\", true));\n"
                                                "WScript.Echo(\"color\", d.Color(0x10));\n")
                                   .string();
    struct Case {
        const char* name;
        const char* answers; // null: no answers script
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {"no answers", nullptr, "menu 0\nfind term:사과::1\nreplace term:pear::1\ncolor -1\n",
         "TrackPopupMenu -> nothing chosen (no UI driver)\nFindText -> Cancel (no UI driver)\n"
         "ReplaceText -> Cancel (no UI driver)\nChooseColor \"Color\" -> Cancel (no UI driver)\n"},
        {"answered",
         R"(function onMenu(menu) {
                if (walk(menu) != kMenu || menu.X != 30 || menu.Y != -40) throw new Error(walk(menu));
                return menu.Item(4).Item(0).Id;
            }
            function onFind(f) {
                if (f.IsReplace) {
                    f.ReplaceWith = "배";
                    f.Options = 5;
                    f.Replace();
                    f.ReplaceAll();
                    return;
                }
                if (f.FindWhat != "사과" || f.Options != 1 || f.Replace()) throw new Error("find dialog");
                f.FindWhat = "banana";
                f.FindNext();
                f.Options = 6;
                f.FindNext();
                f.Cancel();
                if (f.IsOpen || f.FindNext()) throw new Error("still open");
            }
            function onColorDialog(c) { return c.Initial + c.Custom(15) + 0x0100; })",
         "menu 20\nfind next:banana::1,next:banana::6,term:banana::6\n"
         "replace replace:pear:배:5,all:pear:배:5,term:pear:배:5\ncolor 272\n",
         ""},
        {"grayed, unknown, nothing",
         "function onMenu(menu) { return 11; }\nfunction onFind(f) { return 1; }\n"
         "function onColorDialog(c) { return null; }",
         "menu 0\nfind term:사과::1\nreplace term:pear::1\ncolor -1\n", ""},
        {"nonsense",
         "function onMenu(menu) { return \"Open\"; }\nfunction onColorDialog(c) { return 0x1000000; }",
         "menu 0\nfind term:사과::1\nreplace term:pear::1\ncolor -1\n",
         "scripthost: onMenu gave no item id\nTrackPopupMenu -> nothing chosen\nFindText -> Cancel\n"
         "ReplaceText -> Cancel\nscripthost: onColorDialog gave no color\nChooseColor \"Color\" -> Cancel\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args;
        if (c.answers)
            args = {"--answers", Write("answers.js", std::string(kWalkMenu) + c.answers).string()};
        args.push_back(script);
        const Outcome o = Run(args);
        EXPECT_EQ(o.exitCode, 0) << c.name << ": " << o.err;
        EXPECT_EQ(o.out, c.out) << c.name;
        EXPECT_EQ(o.err, c.err) << c.name;
    }
}

TEST_F(ScriptHostAnswers, FailingHandlersLeaveTheDefaultsAndTheError) {
    const std::string script = Write("more.js", "var d = new ActiveXObject(\"Test.Dialogs\");\n"
                                                "WScript.Echo(d.Menu(1, 2), d.Find(\"x\", false));\n")
                                   .string();
    const fs::path answers =
        Write("throws.js", "function onMenu(m) { throw new Error(\"menu\"); }\n"
                           "function onFind(f) { f.FindNext(); throw new Error(\"find\"); }\n");
    const Outcome o = Run({"--answers", answers.string(), script});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    // The press made before the failure stands.
    EXPECT_EQ(o.out, "0 next:x::1,term:x::1\n");
    EXPECT_NE(o.err.find("throws.js(1): runtime error"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("TrackPopupMenu -> nothing chosen\n"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("throws.js(2): runtime error"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("FindText -> Cancel\n"), std::string::npos) << o.err;
}

} // namespace
} // namespace qx::test
