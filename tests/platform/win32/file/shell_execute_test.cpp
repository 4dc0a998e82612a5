// ShellExecuteA: what reaches the hook, and the default opener's argument vector.
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "file_fixture.h"
#include "qx/win32/shell_opener.h"
#include "shellapi.h"

namespace {

INT_PTR ResultOf(HINSTANCE h) {
    return reinterpret_cast<INT_PTR>(h);
}

class ShellTest : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        previous_ = qx::win32::SetShellOpener(&recorder_);
    }
    void TearDown() override {
        qx::win32::SetShellOpener(previous_);
        FileTest::TearDown();
    }
    qx::win32::RecordingShellOpener recorder_;
    qx::win32::ShellOpener* previous_ = nullptr;
};

TEST_F(ShellTest, AFileIsHandedOnWithItsMappedPath) {
    std::string mht = Path("\xB9\xAE\xBC\xAD.mht"); // 문서.mht
    Write(Path("문서.mht"), "x");
    EXPECT_GT(ResultOf(ShellExecuteA(nullptr, "open", mht.c_str(), nullptr, nullptr, SW_SHOWNORMAL)), 32);
    auto calls = recorder_.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].verb, "open");
    EXPECT_EQ(calls[0].file, mht);
    EXPECT_EQ(calls[0].target, Path("문서.mht"));
    EXPECT_FALSE(calls[0].isUrl);
    EXPECT_EQ(calls[0].showCommand, SW_SHOWNORMAL);
}

TEST_F(ShellTest, UrlsPassAsTheyAre) {
    ShellExecuteA(nullptr, nullptr, "http://host/a%20b.htm?x=1", "", "", SW_SHOWDEFAULT);
    auto calls = recorder_.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].isUrl);
    EXPECT_EQ(calls[0].target, "http://host/a%20b.htm?x=1");
    EXPECT_EQ(calls[0].verb, "");
}

TEST_F(ShellTest, MissingFilesAndUnknownVerbsFail) {
    std::string missing = Path("missing.mht");
    EXPECT_EQ(ResultOf(ShellExecuteA(nullptr, "open", missing.c_str(), nullptr, nullptr, SW_SHOW)),
              SE_ERR_FNF);
    EXPECT_EQ(ResultOf(ShellExecuteA(nullptr, "open", "c:\\nothing.exe", nullptr, nullptr, SW_SHOW)),
              SE_ERR_FNF);
    Write(Path("a.txt"), "");
    EXPECT_EQ(ResultOf(ShellExecuteA(nullptr, "print", Path("a.txt").c_str(), nullptr, nullptr, SW_SHOW)),
              SE_ERR_NOASSOC);
    EXPECT_TRUE(recorder_.Calls().empty());
}

TEST(CommandLine, SplitsAsTheSystemDoes) {
    using V = std::vector<std::string>;
    EXPECT_EQ(qx::win32::SplitCommandLine(""), V{});
    EXPECT_EQ(qx::win32::SplitCommandLine("  a  b\tc "), (V{"a", "b", "c"}));
    EXPECT_EQ(qx::win32::SplitCommandLine("\"a b\" c"), (V{"a b", "c"}));
    EXPECT_EQ(qx::win32::SplitCommandLine("a\\\\\"b c\""), (V{"a\\b c"}));
    EXPECT_EQ(qx::win32::SplitCommandLine("a\\\"b"), (V{"a\"b"}));
    EXPECT_EQ(qx::win32::SplitCommandLine("a\\b"), (V{"a\\b"}));
    EXPECT_EQ(qx::win32::SplitCommandLine("\"\""), (V{""}));
    EXPECT_EQ(qx::win32::SplitCommandLine("\"a\"\"b\""), (V{"a\"b"}));
}

bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return std::filesystem::exists(path);
}

// A program that writes each argument on a line of its own.
void MakeRecorderScript(const std::string& script, const std::string& output) {
    FileTest::Write(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + output +
                                ".part\nmv " + output + ".part " + output + "\n");
    chmod(script.c_str(), 0755);
}

TEST_F(FileTest, TheDefaultOpenerGetsOneArgumentWithoutAShell) {
    std::string script = Path("opener.sh"), output = Path("out.txt");
    MakeRecorderScript(script, output);
    setenv("QX_SHELL_OPENER", script.c_str(), 1);
    std::string file = Path("a b; echo bad.mht");
    Write(file, "");
    EXPECT_GT(ResultOf(ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL)), 32);
    ASSERT_TRUE(WaitForFile(output));
    EXPECT_EQ(Read(output), file + "\n");
    unsetenv("QX_SHELL_OPENER");
}

TEST_F(FileTest, AProgramRunsWithItsParameters) {
    std::string program = Path("program.sh"), output = Path("args.txt");
    MakeRecorderScript(program, output);
    EXPECT_GT(ResultOf(ShellExecuteA(nullptr, nullptr, program.c_str(), "one \"two three\" $HOME", "",
                                     SW_SHOWDEFAULT)),
              32);
    ASSERT_TRUE(WaitForFile(output));
    EXPECT_EQ(Read(output), "one\ntwo three\n$HOME\n");
}

TEST_F(FileTest, WithoutAnOpenerTheCallSucceedsAndIsOnlyReported) {
    setenv("QX_SHELL_OPENER", "", 1);
    Write(Path("x.mht"), "");
    EXPECT_GT(ResultOf(ShellExecuteA(nullptr, "open", Path("x.mht").c_str(), nullptr, nullptr, SW_SHOW)), 32);
    unsetenv("QX_SHELL_OPENER");
}

} // namespace
