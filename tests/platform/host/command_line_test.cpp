// The tools' option parser on its own (what each command line gives), and the script host's
// reading of script bytes in every encoding it knows.
#include "script_file.h"

#include <qx/host/command_line.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qx::host::CommandLineAction;

struct Parsed {
    CommandLineAction action;
    std::vector<std::string> operands;
    std::string text;
    std::string seconds; // what --timeout took
    int flags;           // how often -u came
};

Parsed Parse(std::vector<const char*> args, bool optionsAmongOperands) {
    Parsed parsed{CommandLineAction::Run, {}, {}, "", 0};
    unsigned long seconds = 0;
    const qx::host::Option table[] = {
        {"--timeout", "SECONDS", "stop after SECONDS",
         [&](std::string_view value) {
             std::string wrong = qx::host::ParseWholeNumber(value, 100, seconds);
             parsed.seconds = wrong.empty() ? std::to_string(seconds) : "";
             return wrong;
         }},
        {"-u /u --unregister", "", "the other way",
         [&](std::string_view) {
             ++parsed.flags;
             return std::string();
         }},
    };
    const qx::host::CommandLineSpec spec{"tool",
                                         "usage: tool [OPTION...] FILE...",
                                         "Does things.\n",
                                         table,
                                         1,
                                         optionsAmongOperands,
                                         "Exit status: 0.\n"};
    args.insert(args.begin(), "tool");
    const qx::host::ParsedCommandLine line =
        qx::host::ParseCommandLine(spec, static_cast<int>(args.size()), args.data());
    parsed.action = line.action;
    parsed.operands = line.operands;
    parsed.text = line.text;
    return parsed;
}

const std::string kUsage = "usage: tool [OPTION...] FILE...\n";

struct ParseCase {
    std::vector<const char*> args;
    bool optionsAmongOperands;
    CommandLineAction action;
    std::vector<std::string> operands;
    std::string text;
    std::string seconds;
    int flags;
};

TEST(CommandLine, EachLineGivesItsAction) {
    const ParseCase cases[] = {
        {{"a"}, false, CommandLineAction::Run, {"a"}, "", "", 0},
        {{"--timeout", "5", "a", "b"}, false, CommandLineAction::Run, {"a", "b"}, "", "5", 0},
        {{"--timeout=7", "-u", "a"}, false, CommandLineAction::Run, {"a"}, "", "7", 1},
        {{"a", "-u", "--timeout", "5"},
         false,
         CommandLineAction::Run,
         {"a", "-u", "--timeout", "5"},
         "",
         "",
         0},
        {{"a", "-u", "b", "/u"}, true, CommandLineAction::Run, {"a", "b"}, "", "", 2},
        {{"--unregister", "--", "-u", "--help"}, true, CommandLineAction::Run, {"-u", "--help"}, "", "", 1},
        {{"-", "/abs/path"}, false, CommandLineAction::Run, {"-", "/abs/path"}, "", "", 0},
        {{"--timeout", "5", "--timeout", "9", "a"}, false, CommandLineAction::Run, {"a"}, "", "9", 0},
        {{}, false, CommandLineAction::Usage, {}, kUsage, "", 0},
        {{"-u"}, true, CommandLineAction::Usage, {}, kUsage, "", 1},
        {{"--timeout"},
         false,
         CommandLineAction::Usage,
         {},
         "tool: --timeout needs a value (SECONDS)\n" + kUsage,
         "",
         0},
        {{"--timeout", "101", "a"},
         false,
         CommandLineAction::Usage,
         {},
         "tool: --timeout wants a whole number from 0 to 100, not \"101\"\n" + kUsage,
         "",
         0},
        {{"--timeout=", "a"},
         false,
         CommandLineAction::Usage,
         {},
         "tool: --timeout wants a whole number from 0 to 100, not \"\"\n" + kUsage,
         "",
         0},
        {{"--timeout", "-1", "a"},
         false,
         CommandLineAction::Usage,
         {},
         "tool: --timeout wants a whole number from 0 to 100, not \"-1\"\n" + kUsage,
         "",
         0},
        {{"--unregister=yes", "a"},
         false,
         CommandLineAction::Usage,
         {},
         "tool: --unregister takes no value\n" + kUsage,
         "",
         0},
        {{"-x", "a"}, false, CommandLineAction::Usage, {}, "tool: unknown option -x\n" + kUsage, "", 0},
        {{"--time", "5", "a"},
         false,
         CommandLineAction::Usage,
         {},
         "tool: unknown option --time\n" + kUsage,
         "",
         0},
        {{"--version", "-x"}, false, CommandLineAction::Version, {}, "tool " QX_VERSION "\n", "", 0},
        {{"a", "--help"}, true, CommandLineAction::Help, {}, "", "", 0},
    };
    for (const ParseCase& c : cases) {
        std::string line;
        for (const char* arg : c.args)
            line += std::string(" ") + arg;
        const Parsed parsed = Parse(c.args, c.optionsAmongOperands);
        EXPECT_EQ(parsed.action, c.action) << line;
        if (c.action == CommandLineAction::Run) {
            EXPECT_EQ(parsed.operands, c.operands) << line;
        }
        if (c.action != CommandLineAction::Help) {
            EXPECT_EQ(parsed.text, c.text) << line;
        }
        EXPECT_EQ(parsed.seconds, c.seconds) << line;
        EXPECT_EQ(parsed.flags, c.flags) << line;
    }
}

TEST(CommandLine, HelpListsEveryOptionInAColumn) {
    EXPECT_EQ(Parse({"--help"}, false).text, "usage: tool [OPTION...] FILE...\n"
                                             "Does things.\n"
                                             "\n"
                                             "Options:\n"
                                             "  --timeout SECONDS     stop after SECONDS\n"
                                             "  -u, /u, --unregister  the other way\n"
                                             "  --help                show this help and exit\n"
                                             "  --version             show the version and exit\n"
                                             "\n"
                                             "Exit status: 0.\n");
}

TEST(ScriptFile, EveryEncodingGivesTheSameText) {
    const std::string korean = "\xED\x9C\xB4\xEA\xB0\x80"; // "휴가" in UTF-8
    const std::pair<std::string, std::string> cases[] = {
        {"a=1;", "a=1;"},
        {"'" + korean + "'", "'" + korean + "'"},
        {"\xEF\xBB\xBF'" + korean + "'", "'" + korean + "'"},
        {std::string("\xFF\xFE'\0\x34\xD7\0\xAC'\0", 10), "'" + korean + "'"},
        {std::string("\xFE\xFF\0'\xD7\x34\xAC\0\0'", 10), "'" + korean + "'"},
        {"'\xC8\xDE\xB0\xA1'", "'" + korean + "'"}, // code page 949
        // A lone surrogate and an odd last byte of UTF-16 become U+FFFD.
        {std::string("\xFF\xFE\x00\xD8x", 5), "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xFF\xFE", ""},
        {"", ""},
        // A mark before bytes that are not UTF-8 still means UTF-8.
        {"\xEF\xBB\xBF\xC8", "\xEF\xBF\xBD"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(qx::host::DecodeScriptBytes(bytes), text);
}

} // namespace
