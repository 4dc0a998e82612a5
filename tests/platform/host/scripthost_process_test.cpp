// scripthost as a program: output, exit statuses and messages.
#include "scripthost_process.h"

namespace qx::test {
namespace {

namespace fs = std::filesystem;

TEST_F(ScriptHostProcess, WScriptMembers) {
    const fs::path script =
        Write("members.js", "WScript.Echo('hello', 1 + 1, true, null);\n"
                            "WScript.Echo(WScript.Arguments.length, WScript.Arguments(0), "
                            "WScript.Arguments.Item(1), WScript.Arguments.Count());\n"
                            "WScript.StdErr.WriteLine('to standard error');\n"
                            "WScript.StdErr.Write('no line feed;');\n"
                            "WScript.StdOut.Write('a');\nWScript.StdOut.WriteLine('b');\n"
                            "WScript.StdOut.WriteLine();\n"
                            "WScript.Echo(WScript.ScriptFullName, WScript.ScriptName, WScript.Path);\n"
                            "WScript.Sleep(10);\n"
                            "WScript.Echo('\xED\x95\x9C\xF0\x9F\x98\x80'.length);\n"
                            "try { WScript.Arguments(5); } catch (e) { WScript.Echo(e.number); }\n");
    const Outcome o = Run({script.string(), "first", "second arg"});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_EQ(o.out, "hello 2 true null\n2 first second arg 2\nab\n\n" + script.string() +
                         " members.js " QX_BIN_DIR "\n3\n-2147352565\n");
    EXPECT_EQ(o.err, "to standard error\nno line feed;");
}

TEST_F(ScriptHostProcess, QuitGivesItsCodeAndSkipsFinally) {
    const fs::path script =
        Write("quit.js", "WScript.Echo('a');\ntry { WScript.Quit(7); } finally { WScript.Echo('b'); }");
    const Outcome o = Run({script.string()});
    EXPECT_EQ(o.exitCode, 7);
    EXPECT_EQ(o.out, "a\n");
    EXPECT_EQ(o.err, "");
}

struct FailureCase {
    const char* name;
    const char* script; // null: no such file
    int exitCode;
    const char* message; // after the script's path
};

const FailureCase kFailures[] = {
    {"SyntaxError", "var a = 1;\nvar = ;\n", 2, "(2): syntax error 0x800A03EA: SyntaxError: "},
    {"MissingFile", nullptr, 2, "\": No such file or directory\n"},
    {"UnregisteredProgId", "var a = 1;\n\nvar x = new ActiveXObject('Nobody.Registered');\n", 1,
     "(3): runtime error 0x800401F3: Automation server can't create object \"Nobody.Registered\": the ProgID "
     "is "
     "not registered\n"},
    {"UncaughtError", "throw new Error('broken');", 1, "(1): runtime error 0x800A139E: Error: broken\n"},
    {"UndefinedName", "\nmissing();", 1, "(2): runtime error 0x800A1391: ReferenceError: "},
};

class ScriptHostFailure : public ScriptHostProcess, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ScriptHostFailure, ExitStatusAndMessage) {
    const FailureCase& c = GetParam();
    const fs::path script = c.script ? Write("failing.js", c.script) : dir_ / "absent.js";
    const Outcome o = Run({script.string()});
    EXPECT_EQ(o.exitCode, c.exitCode);
    EXPECT_EQ(o.out, "");
    const std::string prefix =
        c.script ? script.string() : "scripthost: cannot read the script file \"" + script.string();
    EXPECT_EQ(o.err.rfind(prefix + c.message, 0), 0u) << o.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, ScriptHostFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// "휴가 신청" saved as an editor of each kind saves it; every one echoes the same text.
TEST_F(ScriptHostProcess, ScriptEncodings) {
    const std::string utf8 = "\xED\x9C\xB4\xEA\xB0\x80 \xEC\x8B\xA0\xEC\xB2\xAD";
    const std::u16string utf16 = u"WScript.Echo('\uD734\uAC00 \uC2E0\uCCAD', 'x'.length);\r\n";
    std::string littleEndian = "\xFF\xFE", bigEndian = "\xFE\xFF";
    for (char16_t unit : utf16) {
        littleEndian += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        bigEndian += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
    }
    const std::pair<const char*, std::string> scripts[] = {
        {"utf8", "WScript.Echo('" + utf8 + "', 'x'.length);\n"},
        {"utf8-mark", "\xEF\xBB\xBFWScript.Echo('" + utf8 + "', 'x'.length);\n"},
        {"utf16le-mark", littleEndian},
        {"utf16be-mark", bigEndian},
        {"cp949", "WScript.Echo('\xC8\xDE\xB0\xA1 \xBD\xC5\xC3\xBB', 'x'.length);\n"},
    };
    for (const auto& [name, bytes] : scripts) {
        const Outcome o = Run({Write(std::string(name) + ".js", bytes).string()});
        EXPECT_EQ(o.exitCode, 0) << name << ": " << o.err;
        EXPECT_EQ(o.out, utf8 + " 1\n") << name;
    }
}

TEST_F(ScriptHostProcess, NoScriptGivesUsage) {
    const Outcome o = Run({});
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_EQ(o.err, "usage: scripthost [OPTION...] SCRIPT.js [ARG...]\n");
}

} // namespace
} // namespace qx::test
