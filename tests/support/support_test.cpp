// The shared test helpers themselves: the one dump format, value by value; a registry directory
// per test; child programs with their output, status, environment and user.
#include "child_program.h"
#include "component_test_support.h"
#include "regsvr_program.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace qxtest;

void SetRaw(const char16_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Dumped", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

struct ValueCase {
    const char* what;
    DWORD type;
    std::u16string data; // the bytes as UTF-16 units
    DWORD size;          // bytes of data to store (may cut the last unit)
    const char* shown;
};

TEST(RegistryDump, EachValueIsShownAsTextOnlyWithExactlyOneTerminatingNul) {
    const ValueCase cases[] = {
        {"plain", REG_SZ, std::u16string(u"abc\0", 4), 8, "\"abc\""},
        {"empty", REG_SZ, std::u16string(u"\0", 1), 2, "\"\""},
        {"no NUL", REG_SZ, u"abc", 6, "<type 1, 6 bytes>"},
        {"two NULs", REG_SZ, std::u16string(u"abc\0\0", 5), 10, "<type 1, 10 bytes>"},
        {"NUL inside", REG_SZ, std::u16string(u"a\0b\0", 4), 8, "<type 1, 8 bytes>"},
        {"odd size", REG_SZ, std::u16string(u"ab\0", 3), 5, "<type 1, 5 bytes>"},
        {"no data", REG_SZ, u"", 0, "<type 1, 0 bytes>"},
        {"expandable", 2, std::u16string(u"%x%\0", 4), 8, "<type 2, 8 bytes>"},
        {"number", 4, std::u16string(u"\x0001\0", 2), 4, "<type 4, 4 bytes>"},
        {"beyond the basic plane", REG_SZ, std::u16string(u"\xD55C\xD83D\xDE00\0", 4), 8,
         "\"\xED\x95\x9C\xF0\x9F\x98\x80\""},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempRegistry registry;
        SetRaw(u"v", c.type, c.data.data(), c.size);
        EXPECT_EQ(RegistryDump(u"Dumped"), std::string("[Dumped]\n  v=") + c.shown + "\n");
    }
}

TEST(RegistryDump, KeysInOrderWithTheDefaultValueUnnamedAndLargeValuesWhole) {
    TempRegistry registry;
    const std::u16string big(20000, u'x');
    const std::u16string text = big + u'\0';
    SetRaw(nullptr, REG_SZ, u"top", 8);
    SetRaw(u"Big", REG_SZ, text.data(), static_cast<DWORD>(text.size() * 2));
    ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, u"Dumped\\Sub\\Leaf", REG_SZ, u"leaf", 10), ERROR_SUCCESS);
    EXPECT_EQ(RegistryDump(u"Dumped"), "[Dumped]\n  =\"top\"\n  Big=\"" + std::string(20000, 'x') +
                                           "\"\n[Dumped\\Sub]\n[Dumped\\Sub\\Leaf]\n  =\"leaf\"\n");
    EXPECT_EQ(RegistryDump(HKEY_CLASSES_ROOT, u"Dumped\\Sub\\Leaf"), "[Dumped\\Sub\\Leaf]\n  =\"leaf\"\n");
    EXPECT_EQ(RegistryDump(u"Missing"), "");
    EXPECT_EQ(RegistryDump(HKEY_CURRENT_USER, u"Dumped"), "");
}

TEST(RegistryLookups, KeyExistsAndDefaultValue) {
    TempRegistry registry;
    ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, u"A\\B", REG_SZ, u"bee", 8), ERROR_SUCCESS);
    SetRaw(u"Count", 4, "\x01\x00\x00\x00", 4);
    SetRaw(u"Cut", REG_SZ, u"abc", 6);
    EXPECT_TRUE(KeyExists(u"A"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, u"A\\B"));
    EXPECT_FALSE(KeyExists(u"A\\C"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, u"A\\B"));
    EXPECT_EQ(DefaultValue(u"A\\B"), u"bee");
    EXPECT_EQ(DefaultValue(u"A"), u"<missing value>");
    EXPECT_EQ(DefaultValue(u"Nowhere"), u"<missing key>");
    EXPECT_EQ(DefaultValue(u"Dumped", u"Count"), u"<type 4, 4 bytes>");
    EXPECT_EQ(DefaultValue(u"Dumped", u"Cut"), u"<type 1, 6 bytes>");
}

TEST(TempRegistryTest, EachHasItsOwnDirectoryNamedToChildrenAndGoneAfterwards) {
    std::filesystem::path first;
    {
        TempRegistry registry;
        first = registry.Parent();
        EXPECT_EQ(registry.Directory(), first / "registry");
        EXPECT_STREQ(getenv("QX_REGISTRY_DIR"), registry.Directory().c_str());
        ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, u"Kept", REG_SZ, u"1", 4), ERROR_SUCCESS);
        EXPECT_TRUE(std::filesystem::exists(registry.Directory()));
        TempRegistry inner;
        EXPECT_NE(inner.Parent(), first);
        EXPECT_FALSE(KeyExists(u"Kept"));
    }
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_EQ(getenv("QX_REGISTRY_DIR"), nullptr);
}

TEST(LoadedComponentTest, AFileThatIsNoComponentIsNotLoadedAndCallsFailCleanly) {
    LoadedComponent missing("/nonexistent/libnothing.so");
    EXPECT_FALSE(missing.Loaded());
    EXPECT_EQ(missing.Call("DllRegisterServer"), HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
    void* out = nullptr;
    EXPECT_EQ(missing.GetClassObject(IID_IUnknown, IID_IUnknown, &out),
              HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(missing.Export<ServerFunction>("DllCanUnloadNow"), nullptr);
}

const std::string kShell = "/bin/sh";

TEST(ChildProgram, StatusOutputAndStreams) {
    struct Case {
        const char* script;
        Streams streams;
        int status;
        const char* output;
        const char* errors;
    } cases[] = {
        {"printf out; printf err >&2; printf more", Streams::Merged, 0, "outerrmore", ""},
        {"printf out; printf err >&2; exit 3", Streams::Separate, 3, "out", "err"},
        {"exit 255", Streams::Merged, 255, "", ""},
        {"if read line; then printf \"[$line]\"; else printf \"no input\"; fi", Streams::Merged, 0,
         "no input", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        ChildOptions options;
        options.streams = c.streams;
        const ProgramRun run = RunProgram({kShell, "-c", c.script}, options);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.signal, 0);
        EXPECT_EQ(run.output, c.output);
        EXPECT_EQ(run.errors, c.errors);
    }
}

TEST(ChildProgram, LargeOutputOnBothStreamsIsKeptWhole) {
    ChildOptions options;
    options.streams = Streams::Separate;
    const ProgramRun run =
        RunProgram({kShell, "-c", "head -c 3000000 /dev/zero; head -c 2000000 /dev/zero >&2"}, options);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, std::string(3000000, '\0'));
    EXPECT_EQ(run.errors, std::string(2000000, '\0'));
}

TEST(ChildProgram, EnvironmentAdditionsReplaceAndAdd) {
    setenv("QX_SUPPORT_TEST_KEPT", "kept", 1);
    setenv("QX_SUPPORT_TEST_REPLACED", "old", 1);
    const ProgramRun run =
        RunProgram({kShell, "-c",
                    "printf '%s %s %s' \"$QX_SUPPORT_TEST_KEPT\" \"$QX_SUPPORT_TEST_REPLACED\" \"$QX_NEW\"; "
                    "env | grep -c '^QX_SUPPORT_TEST_REPLACED='"},
                   {{"QX_SUPPORT_TEST_REPLACED", "new"}, {"QX_NEW", "a=b c"}});
    EXPECT_EQ(run.output, "kept new a=b c1\n");
    EXPECT_STREQ(getenv("QX_SUPPORT_TEST_REPLACED"), "old") << "the test's own environment stays";
    unsetenv("QX_SUPPORT_TEST_KEPT");
    unsetenv("QX_SUPPORT_TEST_REPLACED");
}

TEST(ChildProgram, FailuresToStartAndSignalsAreTold) {
    const ProgramRun missing = RunProgram({"/nonexistent/program", "x"});
    EXPECT_EQ(missing.status, 127);
    const ProgramRun killed = RunProgram({kShell, "-c", "kill -9 $$"});
    EXPECT_EQ(killed.status, -1);
    EXPECT_EQ(killed.signal, 9);
    const ProgramRun none = RunProgram({});
    EXPECT_EQ(none.status, -1);
    EXPECT_NE(none.errors, "");
}

TEST(ChildProgram, UnprivilegedChildRunsAsNobodyWhenTheTestIsRoot) {
    ChildOptions options;
    options.unprivileged = true;
    const ProgramRun user = RunProgram({"/usr/bin/id", "-u"}, options);
    EXPECT_EQ(user.status, 0);
    EXPECT_EQ(user.output, geteuid() == 0 ? "65534\n" : std::to_string(geteuid()) + "\n");
    if (geteuid() == 0) {
        const ProgramRun groups = RunProgram({"/usr/bin/id", "-G"}, options);
        EXPECT_EQ(groups.output, "65534\n") << "no group of root's is kept";
    }
}

// A checkout under a folder only its owner may enter (mode 0700, as a root user's home or a
// mktemp -d folder) must not stop a child that drops to the unprivileged user: the program and
// the files it is given run from a staging folder it can read, which goes when the run ends.
TEST(ChildProgram, UnprivilegedChildRunsFromFilesItCannotReachWhereTheyLie) {
    std::string pattern = "/tmp/qx-private-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path folder = pattern; // mode 0700
    std::filesystem::copy_file("/bin/cat", folder / "cat");
    std::ofstream(folder / "note.txt") << "reached\n";
    ChildOptions options;
    options.unprivileged = true;
    options.streams = Streams::Separate;
    const ProgramRun run = RunProgram({(folder / "cat").string(), (folder / "note.txt").string()}, options);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output, "reached\n");
    std::size_t left = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/tmp"))
        left += entry.path().filename().string().rfind("qx-child-", 0) == 0 &&
                std::filesystem::exists(entry.path() / "note.txt");
    EXPECT_EQ(left, 0u) << "the staging folder is removed after the run";
    std::filesystem::remove_all(folder);
}

// Runs from several threads at once each get their own program's output and status, however
// the starts interleave.
TEST(ChildProgram, RunsFromManyThreadsAtOnceKeepTheirOutputApart) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 10;
    std::vector<std::string> failures(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            for (int round = 0; round < kRounds; ++round) {
                const std::string word = std::to_string(t) + "-" + std::to_string(round);
                ChildOptions options;
                options.streams = Streams::Separate;
                options.environment = {{"QX_WORD", word}};
                const ProgramRun run =
                    RunProgram({kShell, "-c",
                                "printf \"$QX_WORD\"; printf \"e$QX_WORD\" >&2; exit " + std::to_string(t)},
                               options);
                if (run.status != t || run.output != word || run.errors != "e" + word)
                    failures[t] += word + ": " + std::to_string(run.status) + " [" + run.output + "] [" +
                                   run.errors + "]\n";
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const std::string& failure : failures)
        EXPECT_EQ(failure, "");
}

TEST(ChildProgram, RegsvrRunsAgainstTheGivenRegistry) {
    TempRegistry registry;
    const ProgramRun usage = RunRegsvr(registry.Directory(), {});
    EXPECT_EQ(usage.status, 2) << usage.output;
    const ProgramRun missing = RunRegsvr(registry.Directory(), {"/nonexistent/libnothing.so"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.output, "/nonexistent/libnothing.so: cannot be loaded: no such file (0x8007007E)\n");
}

} // namespace
