#include <errhandlingapi.h>
#include <handleapi.h>
#include <processthreadsapi_process.h>
#include <psapi_processes.h>
#include <qx/win32/command_line.h>
#include <synchapi.h>
#include <winerror.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
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

void EndChild(PROCESS_INFORMATION& info) {
    kill(static_cast<pid_t>(info.dwProcessId), SIGTERM);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

std::vector<DWORD> RunningProcessIds() {
    // Grows the buffer until a call leaves room, as callers must.
    std::vector<DWORD> ids(4);
    for (;;) {
        DWORD bytes = 0;
        EXPECT_TRUE(EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes));
        if (bytes < ids.size() * sizeof(DWORD)) {
            ids.resize(bytes / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

std::string ImageOf(DWORD id, DWORD* error = nullptr) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process == nullptr) {
        if (error)
            *error = GetLastError();
        return {};
    }
    char buffer[4096];
    DWORD size = sizeof buffer;
    std::string image;
    if (QueryFullProcessImageNameA(process, 0, buffer, &size))
        image.assign(buffer, size);
    CloseHandle(process);
    return image;
}

TEST(ProcessList, ThisProcessAndAChildAreListedWithTheirImages) {
    std::string line = "/bin/sleep 5";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    std::vector<DWORD> ids = RunningProcessIds();
    DWORD self = static_cast<DWORD>(getpid());
    EXPECT_NE(std::find(ids.begin(), ids.end(), self), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), info.dwProcessId), ids.end());
    EXPECT_EQ(ImageOf(self), std::filesystem::canonical("/proc/self/exe").string());
    EXPECT_EQ(ImageOf(info.dwProcessId), std::filesystem::canonical("/bin/sleep").string());
    EndChild(info);
}

TEST(ProcessList, BadCallsAndSmallBuffersFailAsDocumented) {
    DWORD one = 0, bytes = 0;
    EXPECT_TRUE(EnumProcesses(&one, sizeof one, &bytes));
    EXPECT_EQ(bytes, sizeof one); // full: the caller must grow the buffer
    EXPECT_NE(one, 0u);
    EXPECT_FALSE(EnumProcesses(nullptr, 8, &bytes));
    EXPECT_FALSE(EnumProcesses(&one, sizeof one, nullptr));

    DWORD self = static_cast<DWORD>(getpid());
    struct OpenCase {
        DWORD access;
        DWORD id;
        DWORD error;
    };
    const OpenCase refused[] = {
        {PROCESS_QUERY_LIMITED_INFORMATION, 0, ERROR_INVALID_PARAMETER},
        {PROCESS_QUERY_LIMITED_INFORMATION, 0x7FFFFFF0u, ERROR_INVALID_PARAMETER}, // no such process
        {0x0001u /* terminate */, self, ERROR_ACCESS_DENIED},
        {0, self, ERROR_INVALID_PARAMETER},
    };
    for (const OpenCase& c : refused) {
        EXPECT_EQ(OpenProcess(c.access, FALSE, c.id), nullptr) << c.id;
        EXPECT_EQ(GetLastError(), c.error) << c.id;
    }

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, self);
    ASSERT_NE(process, nullptr);
    char small[2];
    DWORD size = sizeof small;
    EXPECT_FALSE(QueryFullProcessImageNameA(process, 0, small, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_FALSE(QueryFullProcessImageNameA(process, 0, small, nullptr));
    EXPECT_TRUE(CloseHandle(process));
    size = sizeof small;
    EXPECT_FALSE(QueryFullProcessImageNameA(process, 0, small, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

} // namespace
