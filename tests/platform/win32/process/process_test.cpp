#include <errhandlingapi.h>
#include <handleapi.h>
#include <processthreadsapi_process.h>
#include <qx/win32/command_line.h>
#include <synchapi.h>
#include <winerror.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(CommandLine, WindowsSplittingRules) {
    struct Case {
        std::string line;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"", {}},
        {"   ", {}},
        {"prog", {"prog"}},
        {"  prog  a\tb  ", {"prog", "a", "b"}},
        {"\"C:\\Program Files\\x.exe\" /RegServer", {"C:\\Program Files\\x.exe", "/RegServer"}},
        {"p \"a b\" c", {"p", "a b", "c"}},
        {"p a\\\\b", {"p", "a\\\\b"}},
        {"p a\\\"b", {"p", "a\"b"}},
        {"p a\\\\\"b c\"", {"p", "a\\b c"}},
        {"p a\\\\\\\"b", {"p", "a\\\"b"}},
        {"p \"\"", {"p", ""}},
        {"p \"a\"\"b\"", {"p", "a\"b"}},
        {"p \"unclosed arg", {"p", "unclosed arg"}},
        {"c:\\dir\\prog.exe\\ x", {"c:\\dir\\prog.exe\\", "x"}},
        {"\"prog\"x a", {"progx", "a"}},
        {"a\\\"b c\" d", {"a\\b c", "d"}},
        {"p\t\"x y\"\t", {"p", "x y"}},
        {"\"\" a", {"", "a"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qx::win32::SplitProcessCommandLine(c.line), c.args) << c.line;
}

DWORD RunAndWait(std::string line, DWORD* error = nullptr) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        if (error)
            *error = GetLastError();
        return 0xFFFFFFFFu;
    }
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_TRUE(CloseHandle(info.hThread));
    EXPECT_TRUE(CloseHandle(info.hProcess));
    return code;
}

TEST(CreateProcess, ExitCodesAndArguments) {
    EXPECT_EQ(RunAndWait("/bin/sh -c \"exit 7\""), 7u);
    EXPECT_EQ(RunAndWait("true"), 0u); // found on the search path
    std::string out = "/tmp/qx-process-args-" + std::to_string(getpid());
    EXPECT_EQ(RunAndWait("/bin/sh -c \"for a; do printf '[%s]' \\\"$a\\\"; done > " + out +
                         "\" sh \"two words\" back\\\\slash say\\\"hi"),
              0u);
    std::ifstream in(out);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "[two words][back\\\\slash][say\"hi]");
    std::remove(out.c_str());
}

TEST(CreateProcess, MissingProgramAndBadArguments) {
    DWORD error = 0;
    EXPECT_EQ(RunAndWait("/tmp/qx-no-such-program-here arg", &error), 0xFFFFFFFFu);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RunAndWait("qx-no-such-program-on-the-path", &error), 0xFFFFFFFFu);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    STARTUPINFOA startup = {};
    PROCESS_INFORMATION info = {};
    EXPECT_FALSE(
        CreateProcessA(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    DWORD code;
    EXPECT_FALSE(GetExitCodeProcess(nullptr, &code));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(CreateProcess, StillActiveUntilItEnds) {
    std::string line = "sleep 1";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    EXPECT_GT(info.dwProcessId, 0u);
    EXPECT_EQ(GetProcessId(info.hProcess), info.dwProcessId);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(info.hThread, 10000), WAIT_OBJECT_0);
    ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 0u);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

TEST(CreateProcess, CurrentDirectoryAndWinExec) {
    std::string line = "/bin/sh -c \"test \\\"$(pwd)\\\" = /tmp\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, "/tmp", &startup, &info));
    WaitForSingleObject(info.hProcess, 10000);
    DWORD code = 1;
    GetExitCodeProcess(info.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    EXPECT_FALSE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                "/tmp/qx-no-such-dir", &startup, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));

    EXPECT_GT(WinExec("true", 0), 31u);
    EXPECT_EQ(WinExec("qx-no-such-program-on-the-path", 0), 2u);
}

} // namespace
