// regsvr and a second program against one registry directory: what one process registers the
// next one creates; a read-only registry refuses registration and stays as it was.
#include "server_test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <sstream>
#include <vector>

using namespace probe_test;

namespace {

struct ProgramRun {
    int status = -1;
    std::string output;
};

// Runs the program with its output captured; as an unprivileged user when asked and running as
// root (a read-only directory does not stop root).
ProgramRun RunProgram(const std::vector<std::string>& args, bool unprivileged = false) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], 1);
        dup2(pipeFds[1], 2);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(127);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    ProgramRun run;
    std::array<char, 4096> buffer;
    ssize_t n;
    while ((n = read(pipeFds[0], buffer.data(), buffer.size())) > 0)
        run.output.append(buffer.data(), static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RegsvrProcess, RegisteredClassIsCreatedByAnotherProgramUntilUnregistered) {
    TempRegistry registry;
    ProgramRun reg = RunProgram({QX_REGSVR, QX_PROBE_COMPONENT});
    EXPECT_EQ(reg.status, 0) << reg.output;
    EXPECT_EQ(reg.output, std::string(QX_PROBE_COMPONENT) + ": DllRegisterServer succeeded\n");

    ProgramRun byProgId = RunProgram({QX_PROBE_CLIENT, "Probe.Widget"});
    EXPECT_EQ(byProgId.status, 0);
    EXPECT_EQ(byProgId.output, "0x00000000 widget\n");
    EXPECT_EQ(RunProgram({QX_PROBE_CLIENT, "Probe.Solo.1"}).output, "0x00000000 solo\n");

    ProgramRun unreg = RunProgram({QX_REGSVR, "-u", QX_PROBE_COMPONENT});
    EXPECT_EQ(unreg.status, 0) << unreg.output;
    EXPECT_EQ(unreg.output, std::string(QX_PROBE_COMPONENT) + ": DllUnregisterServer succeeded\n");

    EXPECT_EQ(RunProgram({QX_PROBE_CLIENT, "Probe.Widget"}).output, "0x800401F3 \n");
    EXPECT_EQ(RunProgram({QX_PROBE_CLIENT, "{8C2F0B12-5D1E-4C7A-9B3E-1A2B3C4D5E60}"}).output,
              "0x80040154 \n");
}

TEST(RegsvrProcess, EveryFileGetsALineAndAnyFailureFailsTheRun) {
    TempRegistry registry;
    ProgramRun run = RunProgram({QX_REGSVR, "/nonexistent/libnothing.so", QX_PROBE_COMPONENT});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output,
              "/nonexistent/libnothing.so: cannot be loaded (not a component file, or missing)\n" +
                  std::string(QX_PROBE_COMPONENT) + ": DllRegisterServer succeeded\n");
    EXPECT_EQ(RunProgram({QX_REGSVR}).status, 2);
    // A file that is a library but no server: the client program itself has no DllRegisterServer.
    ProgramRun notServer = RunProgram({QX_REGSVR, QX_PROBE_CLIENT});
    EXPECT_EQ(notServer.status, 1);
}

TEST(RegsvrProcess, ReadOnlyRegistryRefusesRegistrationAndStaysAsItWas) {
    TempRegistry registry;
    // Something in the registry first, so that there is a file to compare.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Existing.Key", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    const auto file = registry.Directory() / "registry.txt";
    const std::string before = ReadFile(file);
    ASSERT_FALSE(before.empty());
    std::filesystem::permissions(registry.Directory(), std::filesystem::perms(0555));
    std::filesystem::permissions(file, std::filesystem::perms(0444));

    ProgramRun run = RunProgram({QX_REGSVR, QX_PROBE_COMPONENT}, true);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(
        run.output.find("DllRegisterServer failed with 0x80070005 (access denied: the registry cannot be "
                        "written; registry " +
                        registry.Directory().string() + ")"),
        std::string::npos)
        << run.output;
    EXPECT_EQ(ReadFile(file), before);
    std::filesystem::permissions(registry.Directory(), std::filesystem::perms(0755));
}

} // namespace
