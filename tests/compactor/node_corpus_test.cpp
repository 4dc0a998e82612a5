// Scripts compacted by tersor run under node exactly as the originals do, and node accepts every
// compacted file. The corpus scripts print their results with console.log.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compactor/compactor.h"

namespace {

namespace fs = std::filesystem;

const char* const kNode = TERSOR_NODE;

struct CommandRun {
    int exitCode;
    std::string output;
};

std::string quoted(const std::string& argument) {
    std::string result = "'";
    for (char c : argument)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

CommandRun runCommand(const std::vector<std::string>& arguments) {
    std::string command;
    for (const std::string& argument : arguments)
        command += quoted(argument) + " ";
    CommandRun run{-1, ""};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

fs::path workFolder() {
    const fs::path dir = fs::temp_directory_path() / ("tersor-node-" + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir;
}

// Compacts `script` with the tersor program and checks what node makes of both files.
void expectSameRun(const fs::path& script, const std::vector<std::string>& runner) {
    ASSERT_TRUE(kNode[0] != '\0') << "node was not found when the tests were configured";
    const fs::path compacted = workFolder() / (script.stem().string() + ".min.js");

    const CommandRun tersor = runCommand({QX_BIN_DIR "/tersor", script.string(), compacted.string()});
    ASSERT_EQ(tersor.exitCode, 0) << tersor.output;
    EXPECT_LT(fs::file_size(compacted), fs::file_size(script));

    const CommandRun check = runCommand({kNode, "--check", compacted.string()});
    EXPECT_EQ(check.exitCode, 0) << "node rejects " << compacted;

    std::vector<std::string> original = runner, shortened = runner;
    original.push_back(script.string());
    shortened.push_back(compacted.string());
    const CommandRun before = runCommand(original);
    const CommandRun after = runCommand(shortened);
    ASSERT_EQ(before.exitCode, 0) << before.output;
    EXPECT_FALSE(before.output.empty());
    EXPECT_EQ(after.exitCode, 0);
    EXPECT_EQ(after.output, before.output);

    // Real code compacts to a fixed point.
    const std::string text = readFile(compacted);
    EXPECT_EQ(compactor::compact(text), text);
    fs::remove(compacted);
    std::error_code error;
    fs::remove(compacted.parent_path(), error); // once empty
}

std::vector<fs::path> corpusScripts() {
    std::vector<fs::path> scripts;
    for (const auto& entry : fs::directory_iterator(QX_SOURCE_DIR "/tests/compactor/corpus"))
        if (entry.path().extension() == ".js")
            scripts.push_back(entry.path());
    std::sort(scripts.begin(), scripts.end());
    return scripts;
}

TEST(NodeCorpus, HasScripts) {
    EXPECT_GE(corpusScripts().size(), 3u);
}

TEST(NodeCorpus, CompactedScriptsPrintTheSame) {
    for (const fs::path& script : corpusScripts()) {
        SCOPED_TRACE(script.filename().string());
        expectSameRun(script, {kNode});
    }
}

// The same scripts saved with CR LF line ends, as a Windows editor writes them.
TEST(NodeCorpus, CrLfScriptsPrintTheSame) {
    for (const fs::path& script : corpusScripts()) {
        SCOPED_TRACE(script.filename().string());
        const fs::path crlf = workFolder() / (script.stem().string() + "-crlf.js");
        writeFile(crlf, withCrLf(readFile(script)));
        expectSameRun(crlf, {kNode});
        // Every line end became a line feed, except one escaped inside a string, which stays whole.
        const std::string compacted = compactor::compact(readFile(crlf));
        for (size_t cr = compacted.find('\r'); cr != std::string::npos; cr = compacted.find('\r', cr + 1))
            EXPECT_TRUE(cr > 0 && compacted[cr - 1] == '\\') << "at " << cr;
        fs::remove(crlf);
        std::error_code error;
        fs::remove(crlf.parent_path(), error);
    }
}

// The bundled form script of the examples: the harness loads it as a module and drives its
// functions with stand-in form fields.
TEST(NodeCorpus, ExampleFormScriptBehavesTheSame) {
    expectSameRun(QX_SOURCE_DIR "/examples/compactor/form-script.js",
                  {kNode, QX_SOURCE_DIR "/tests/compactor/form_script_harness.js"});
}

TEST(NodeCorpus, ExampleFormScriptIsChecked) {
    ASSERT_TRUE(kNode[0] != '\0');
    EXPECT_EQ(runCommand({kNode, "--check", QX_SOURCE_DIR "/examples/compactor/form-script.js"}).exitCode, 0);
}

} // namespace
