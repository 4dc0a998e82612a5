// regsvr and a second program against one registry directory: what one process registers the
// next one creates; a read-only registry refuses registration and unregistration and stays as it
// was.
#include "child_program.h"
#include "component_test_support.h"

#include <fstream>
#include <sstream>
#include <vector>

using namespace qxtest;

namespace {

// Runs the program with its output captured; as an unprivileged user when asked and running as
// root (a read-only directory does not stop root).
ProgramRun RunChild(const std::vector<std::string>& args, bool unprivileged = false) {
    ChildOptions options;
    options.unprivileged = unprivileged;
    return RunProgram(args, options);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RegsvrProcess, RegisteredClassIsCreatedByAnotherProgramUntilUnregistered) {
    TempRegistry registry;
    ProgramRun reg = RunChild({QX_REGSVR, QX_PROBE_COMPONENT});
    EXPECT_EQ(reg.status, 0) << reg.output;
    EXPECT_EQ(reg.output, std::string(QX_PROBE_COMPONENT) + ": DllRegisterServer succeeded\n");

    ProgramRun byProgId = RunChild({QX_PROBE_CLIENT, "Probe.Widget"});
    EXPECT_EQ(byProgId.status, 0);
    EXPECT_EQ(byProgId.output, "0x00000000 widget\n");
    EXPECT_EQ(RunChild({QX_PROBE_CLIENT, "Probe.Solo.1"}).output, "0x00000000 solo\n");

    ProgramRun unreg = RunChild({QX_REGSVR, "-u", QX_PROBE_COMPONENT});
    EXPECT_EQ(unreg.status, 0) << unreg.output;
    EXPECT_EQ(unreg.output, std::string(QX_PROBE_COMPONENT) + ": DllUnregisterServer succeeded\n");

    EXPECT_EQ(RunChild({QX_PROBE_CLIENT, "Probe.Widget"}).output, "0x800401F3 \n");
    EXPECT_EQ(RunChild({QX_PROBE_CLIENT, "{8C2F0B12-5D1E-4C7A-9B3E-1A2B3C4D5E60}"}).output, "0x80040154 \n");
}

TEST(RegsvrProcess, EveryFileGetsALineAndAnyFailureFailsTheRun) {
    TempRegistry registry;
    ProgramRun run = RunChild({QX_REGSVR, "/nonexistent/libnothing.so", QX_PROBE_COMPONENT});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "/nonexistent/libnothing.so: cannot be loaded: no such file (0x8007007E)\n" +
                              std::string(QX_PROBE_COMPONENT) + ": DllRegisterServer succeeded\n");
    EXPECT_EQ(RunChild({QX_REGSVR}).status, 2);
    // A file that is a library but no server: the client program itself has no DllRegisterServer.
    ProgramRun notServer = RunChild({QX_REGSVR, QX_PROBE_CLIENT});
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

    ProgramRun run = RunChild({QX_REGSVR, QX_PROBE_COMPONENT}, true);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(
        run.output.find("DllRegisterServer failed with 0x80070005 (access denied: the registry cannot be "
                        "written; registry " +
                        registry.Directory().string() + ")"),
        std::string::npos)
        << run.output;
    // Unregistering changes the registry as much: it fails the same way, it is no success.
    ProgramRun unregister = RunChild({QX_REGSVR, "-u", QX_PROBE_COMPONENT}, true);
    EXPECT_EQ(unregister.status, 1) << unregister.output;
    EXPECT_NE(unregister.output.find("DllUnregisterServer failed with 0x80070005"), std::string::npos)
        << unregister.output;
    EXPECT_EQ(ReadFile(file), before);
    std::filesystem::permissions(registry.Directory(), std::filesystem::perms(0755));
}

} // namespace
