// The tools as a user meets them: each command line with the exit status and the standard error
// (and output) it gives, through the built programs.
#include "child_program.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* kDamagedRegistry =
    "QXFORMS-REGISTRY 1\nnext-serial 16\nhive HKEY_LOCAL_MACHINE\nkey 16 \"So";

// Replaces every "{dir}" with the test's folder and "{quorle}" with the component file.
std::string Fill(std::string text, const fs::path& dir) {
    for (const auto& [mark, value] :
         {std::pair<std::string, std::string>{"{dir}", dir.string()}, {"{quorle}", QX_QUORLE_COMPONENT}}) {
        for (std::size_t at = text.find(mark); at != std::string::npos;
             at = text.find(mark, at + value.size()))
            text.replace(at, mark.size(), value);
    }
    return text;
}

struct ToolCase {
    const char* name;
    const char* program;
    std::vector<std::string> args;
    int status;
    std::string errors; // the whole of standard error
    std::string output; // the start of standard output
    const char* standardOutput = "";
    bool damagedRegistry = false;
};

void PrintTo(const ToolCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kScriptUsage = "usage: scripthost [OPTION...] SCRIPT.js [ARG...]\n";
const std::string kRegsvrUsage = "usage: regsvr [-u] FILE...\n";
const std::string kTersorUsage = "Usage: tersor infile outfile\n";
const std::string kPageUsage =
    "usage: pagehost PAGE [--answers FILE.js] [--until-idle | --seconds N] [--save OUT.htm]\n";

const ToolCase kCases[] = {
    // pagehost
    {"PageHostHelp", "pagehost", {"--help"}, 0, "", kPageUsage + "Opens a page"},
    {"PageHostVersion", "pagehost", {"--version"}, 0, "", "pagehost " QX_VERSION "\n"},
    {"PageHostNothing", "pagehost", {}, 2, kPageUsage, ""},
    {"PageHostTwoPages",
     "pagehost",
     {"a.htm", "b.htm"},
     2,
     "pagehost: one page at a time\n" + kPageUsage,
     ""},
    {"PageHostSecondsNotANumber",
     "pagehost",
     {"a.htm", "--seconds", "x"},
     2,
     "pagehost: --seconds wants a whole number from 0 to 4000000, not \"x\"\n" + kPageUsage,
     ""},
    // scripthost
    {"ScriptHostHelp", "scripthost", {"--help"}, 0, "", kScriptUsage + "Runs a JavaScript file"},
    {"ScriptHostVersion", "scripthost", {"--version"}, 0, "", "scripthost " QX_VERSION "\n"},
    {"ScriptHostNothing", "scripthost", {}, 2, kScriptUsage, ""},
    {"ScriptHostUnknownOption",
     "scripthost",
     {"--frob", "{dir}/ok.js"},
     2,
     "scripthost: unknown option --frob\n" + kScriptUsage,
     ""},
    {"ScriptHostTimeoutWithoutValue",
     "scripthost",
     {"--timeout"},
     2,
     "scripthost: --timeout needs a value (SECONDS)\n" + kScriptUsage,
     ""},
    {"ScriptHostTimeoutNotANumber",
     "scripthost",
     {"--timeout=1.5", "{dir}/ok.js"},
     2,
     "scripthost: --timeout wants a whole number from 0 to 2147483, not \"1.5\"\n" + kScriptUsage,
     ""},
    {"ScriptHostHelpWithValue",
     "scripthost",
     {"--help=all"},
     2,
     "scripthost: --help takes no value\n" + kScriptUsage,
     ""},
    {"ScriptHostArgumentsAfterTheScriptAreItsOwn",
     "scripthost",
     {"{dir}/args.js", "--help", "-u"},
     0,
     "",
     "--help -u\n"},
    {"ScriptHostDoubleDash", "scripthost", {"--", "{dir}/ok.js"}, 0, "", "ok\n"},
    {"ScriptHostFolder",
     "scripthost",
     {"{dir}"},
     2,
     "scripthost: cannot read the script file \"{dir}\": it is a folder, not a script file\n",
     ""},
    {"ScriptHostMissingFile",
     "scripthost",
     {"{dir}/absent.js"},
     2,
     "scripthost: cannot read the script file \"{dir}/absent.js\": No such file or directory\n",
     ""},
    {"ScriptHostFullDisk",
     "scripthost",
     {"{dir}/ok.js"},
     4,
     "scripthost: cannot write to standard output: No space left on device\n",
     "",
     "/dev/full"},
    {"ScriptHostFullDiskStopsTheScript",
     "scripthost",
     {"{dir}/echo-then-err.js"},
     4,
     "scripthost: cannot write to standard output: No space left on device\n",
     "",
     "/dev/full"},
    {"ScriptHostEndlessScriptTimesOut",
     "scripthost",
     {"--timeout", "1", "{dir}/loop.js"},
     3,
     "scripthost: {dir}/loop.js ran past its time limit of 1 second and was stopped\n",
     "started\n"},
    {"ScriptHostSleepingScriptTimesOut",
     "scripthost",
     {"--timeout=2", "{dir}/sleep.js"},
     3,
     "scripthost: {dir}/sleep.js ran past its time limit of 2 seconds and was stopped\n",
     ""},
    {"ScriptHostScriptWithinItsTime", "scripthost", {"--timeout", "600", "{dir}/ok.js"}, 0, "", "ok\n"},
    {"ScriptHostUnregisteredProgId",
     "scripthost",
     {"{dir}/unregistered.js"},
     1,
     "{dir}/unregistered.js(1): runtime error 0x800401F3: Automation server can't create object "
     "\"Nobody.Registered\": the ProgID is not registered\n",
     ""},
    // regsvr
    {"RegsvrHelp", "regsvr", {"--help"}, 0, "", kRegsvrUsage + "Registers component files"},
    {"RegsvrVersion", "regsvr", {"--version"}, 0, "", "regsvr " QX_VERSION "\n"},
    {"RegsvrNothing", "regsvr", {}, 2, kRegsvrUsage, ""},
    {"RegsvrOnlyTheOption", "regsvr", {"-u"}, 2, kRegsvrUsage, ""},
    {"RegsvrUnknownOption",
     "regsvr",
     {"-x", "{quorle}"},
     2,
     "regsvr: unknown option -x\n" + kRegsvrUsage,
     ""},
    {"RegsvrMissingFile",
     "regsvr",
     {"{dir}/libnothing.so"},
     1,
     "",
     "{dir}/libnothing.so: cannot be loaded: no such file (0x8007007E)\n"},
    {"RegsvrNotAComponentFile",
     "regsvr",
     {"{dir}/ok.js"},
     1,
     "",
     "{dir}/ok.js: cannot be loaded: not a component file, or a library it needs is missing (0x800700C1)\n"},
    {"RegsvrFullDisk",
     "regsvr",
     {"{quorle}"},
     3,
     "regsvr: cannot write to standard output: No space left on device\n",
     "",
     "/dev/full"},
    {"RegsvrUnregisterFromDamagedRegistry",
     "regsvr",
     {"-u", "{quorle}"},
     1,
     "qxforms registry: {dir}/registry/registry.txt is damaged (line 4: unterminated quoted text); it is "
     "left as "
     "it is and the registry cannot be used until it is repaired\n",
     "{quorle}: DllUnregisterServer failed with 0x800703F7 (the registry file is damaged; registry "
     "{dir}/registry)\n",
     "",
     true},
    {"RegsvrSlashUAfterTheFile",
     "regsvr",
     {"{quorle}", "/u"},
     1,
     "qxforms registry: {dir}/registry/registry.txt is damaged (line 4: unterminated quoted text); it is "
     "left as "
     "it is and the registry cannot be used until it is repaired\n",
     "{quorle}: DllUnregisterServer failed with 0x800703F7",
     "",
     true},
    {"RegsvrRegisterIntoDamagedRegistry",
     "regsvr",
     {"{quorle}"},
     1,
     "qxforms registry: {dir}/registry/registry.txt is damaged (line 4: unterminated quoted text); it is "
     "left as "
     "it is and the registry cannot be used until it is repaired\n",
     "{quorle}: DllRegisterServer failed with 0x800703F7 (the registry file is damaged; registry "
     "{dir}/registry)\n",
     "",
     true},
    // tersor: every message on standard output, as it always was
    {"TersorHelp", "tersor", {"--help"}, 0, "", kTersorUsage + "Writes a compacted copy"},
    {"TersorVersion", "tersor", {"--version"}, 0, "", "tersor " QX_VERSION "\n"},
    {"TersorUnknownOption",
     "tersor",
     {"-x", "{dir}/ok.js", "{dir}/out.js"},
     1,
     "",
     "tersor: unknown option -x\n" + kTersorUsage},
    {"TersorOneName", "tersor", {"{dir}/ok.js"}, 1, "", kTersorUsage},
    {"TersorNamesAfterDoubleDash",
     "tersor",
     {"--", "{dir}/ok.js", "{dir}/out.js", "--help"},
     0,
     "",
     "Compacting Successful.\nWrote to file: {dir}/out.js\n"},
    {"TersorFullDisk",
     "tersor",
     {"{dir}/ok.js", "{dir}/out.js"},
     6,
     "tersor: cannot write to standard output: No space left on device\n",
     "",
     "/dev/full"},
};

class ToolFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tool-lines-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        fs::create_directories(dir_ / "registry");
        fs::create_directories(dir_ / "temp");
        Write("ok.js", "WScript.Echo('ok');\n");
        Write("args.js",
              "var a = []; for (var i = 0; i < WScript.Arguments.length; i++) a.push(WScript.Arguments(i));\n"
              "WScript.Echo(a.join(' '));\n");
        Write("echo-then-err.js", "WScript.Echo('lost');\nWScript.StdErr.WriteLine('not reached');\n");
        Write("loop.js", "WScript.Echo('started');\nfor (;;) {}\n");
        Write("sleep.js", "WScript.Sleep(1e9);\n");
        Write("unregistered.js", "var x = new ActiveXObject('Nobody.Registered');\n");
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }

    fs::path dir_;
};

class ToolCommandLine : public ToolFolder, public ::testing::WithParamInterface<ToolCase> {};

TEST_P(ToolCommandLine, StatusAndMessages) {
    const ToolCase& c = GetParam();
    if (c.damagedRegistry)
        Write("registry/registry.txt", kDamagedRegistry);
    std::vector<std::string> command{std::string(QX_BIN_DIR) + "/" + c.program};
    for (const std::string& arg : c.args)
        command.push_back(Fill(arg, dir_));
    qxtest::ChildOptions options;
    options.streams = qxtest::Streams::Separate;
    options.standardOutput = c.standardOutput;
    options.environment = {{"QX_REGISTRY_DIR", (dir_ / "registry").string()},
                           {"QX_TEMP_DIR", (dir_ / "temp").string()},
                           {"QX_DRIVE_ROOT", (dir_ / "drives").string()}};
    const qxtest::ProgramRun run = qxtest::RunProgram(command, options);
    EXPECT_EQ(run.status, c.status) << run.errors;
    EXPECT_EQ(run.errors, Fill(c.errors, dir_));
    const std::string output = Fill(c.output, dir_);
    EXPECT_EQ(run.output.substr(0, output.size()), output) << run.output;
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolCommandLine, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A signal while the converter holds its temporary files: the script is stopped through the
// engine, every object is released (the converter removes its files) and the status says which
// signal it was.
TEST_F(ToolFolder, SignalDuringAConversionLeavesNoTemporaryFile) {
    const std::pair<int, int> signals[] = {{SIGTERM, 143}, {SIGINT, 130}};
    const fs::path registry = dir_ / "registry";
    const qxtest::EnvironmentAdditions environment = {{"QX_REGISTRY_DIR", registry.string()},
                                                      {"QX_TEMP_DIR", (dir_ / "temp").string()},
                                                      {"QX_DRIVE_ROOT", (dir_ / "drives").string()}};
    const qxtest::ProgramRun reg =
        qxtest::RunProgram({QX_BIN_DIR "/regsvr", QX_QUORLE_COMPONENT}, environment);
    ASSERT_EQ(reg.status, 0) << reg.output;
    Write("form.mht", "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"b\"\r\n\r\n"
                      "--b\r\nContent-Type: text/html\r\nContent-Transfer-Encoding: 7bit\r\n"
                      "Content-Location: file:///form/form.htm\r\n\r\n<html><img src=\"a.gif\"></html>\r\n"
                      "--b\r\nContent-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\n"
                      "Content-Location: file:///form/a.gif\r\n\r\nR0lGODlhAQABAAAAACw=\r\n--b--\r\n");
    Write("convert.js",
          "var c = new ActiveXObject('Quorle.Convert');\nc.sync = true;\n"
          "c.mhtData = c.DownloadURL('file://" +
              (dir_ / "form.mht").string() +
              "');\nc.filterIn();\n"
              "WScript.StdErr.WriteLine(c.htmlData.indexOf('mht_') > 0 ? 'converted' : 'not converted');\n"
              "for (;;) {}\n");
    for (const auto& [signal, status] : signals) {
        qxtest::ChildOptions options;
        options.streams = qxtest::Streams::Separate;
        options.environment = environment;
        qxtest::RunningProgram program =
            qxtest::StartProgram({QX_BIN_DIR "/scripthost", (dir_ / "convert.js").string()}, options);
        ASSERT_TRUE(program.WaitForErrors("converted\n"));
        EXPECT_FALSE(fs::is_empty(dir_ / "temp")) << "the converter holds the image in a temporary file";
        program.Signal(signal);
        const qxtest::ProgramRun run = program.Wait();
        EXPECT_EQ(run.status, status);
        EXPECT_EQ(run.errors, "converted\nscripthost: " + (dir_ / "convert.js").string() +
                                  " was stopped by " + (signal == SIGTERM ? "SIGTERM" : "SIGINT") + "\n");
        EXPECT_TRUE(fs::is_empty(dir_ / "temp")) << "a temporary file was left";
    }
}

// A reader that goes away (scripthost x.js | head -1): the script stops at its next write and the
// program says why, instead of dying of SIGPIPE.
TEST_F(ToolFolder, ReaderThatGoesAwayFailsTheScript) {
    Write("many.js", "for (;;) WScript.Echo('line');\n");
    const fs::path fifo = dir_ / "out.fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // The reading end first, so that the program's opening of the writing end does not wait; the
    // program must not inherit it, or it would hold the pipe open itself.
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    qxtest::ChildOptions options;
    options.streams = qxtest::Streams::Separate;
    options.standardOutput = fifo.string();
    options.environment = {{"QX_REGISTRY_DIR", (dir_ / "registry").string()}};
    qxtest::RunningProgram program =
        qxtest::StartProgram({QX_BIN_DIR "/scripthost", (dir_ / "many.js").string()}, options);
    // Read the first line, then go away.
    std::string got;
    while (got.find('\n') == std::string::npos) {
        pollfd fd{reader, POLLIN, 0};
        ASSERT_GT(poll(&fd, 1, 60'000), 0) << "nothing came";
        char buffer[256];
        const ssize_t n = read(reader, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, static_cast<std::size_t>(n));
    }
    close(reader);
    const qxtest::ProgramRun run = program.Wait();
    EXPECT_EQ(got.substr(0, 5), "line\n");
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.errors, "scripthost: cannot write to standard output: Broken pipe\n");
}

} // namespace
