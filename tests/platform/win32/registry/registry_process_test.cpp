// The registry between processes: what one writes the next one reads, concurrent writers lose
// nothing, and a read-only registry directory refuses changes and stays as it was.
#include "registry_test_support.h"
#include "shlwapi_registry.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace qx::registry::testing;

namespace {

class RegistryProcessTest : public RegistryTest {};

TEST_F(RegistryProcessTest, ChangesOfOneProcessAreSeenByTheOther) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "Quorle.Convert\\CLSID", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char clsid[] = "{241828DA-76FC-412D-8FFC-099704F25959}";
    ASSERT_EQ(RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid), sizeof clsid),
              ERROR_SUCCESS);

    HelperResult read =
        RunHelper(registryDir_, {"get-sz", "HKLM", "Software\\Classes\\Quorle.Convert\\CLSID", ""});
    EXPECT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(read.out, std::string("value=") + clsid + "\nresult=0\n");

    // The other way round, through a handle this process opened before the change.
    HelperResult write =
        RunHelper(registryDir_, {"set-sz", "HKCR", "Quorle.Convert\\CLSID", "Extra", "from helper"});
    ASSERT_EQ(write.exitCode, 0) << write.err;
    char text[64];
    DWORD size = sizeof text;
    ASSERT_EQ(RegQueryValueExA(key, "extra", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, "from helper");

    // A key deleted by the other process is gone for this one's handle.
    HelperResult missing = RunHelper(registryDir_, {"get-sz", "HKCU", "Nothing", "x"});
    EXPECT_EQ(missing.out, "result=2\n");
    RegCloseKey(key);
}

TEST_F(RegistryProcessTest, TemporaryFileOfAWriterThatDiedIsRemovedByTheNextWriter) {
    ASSERT_EQ(RegSetValueA(HKEY_CURRENT_USER, "First", REG_SZ, "1", 0), ERROR_SUCCESS);
    WriteFile(registryDir_ / ".registry.txt.AbC123", "QXFORMS-REGISTRY 1\nhalf of a");
    ASSERT_EQ(RegSetValueA(HKEY_CURRENT_USER, "Second", REG_SZ, "2", 0), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(registryDir_ / ".registry.txt.AbC123"));
    EXPECT_NE(ReadFile(RegistryFile()).find("\"Second\""), std::string::npos);
}

TEST_F(RegistryProcessTest, ConcurrentWritersInTwoProcessesLoseNoUpdate) {
    constexpr int kValues = 25;
    constexpr int kIncrements = 25;
    const int a = StartHelper(registryDir_, {"add-values", "HKCU", "Shared", "a", std::to_string(kValues)});
    const int b = StartHelper(registryDir_, {"add-values", "HKCU", "Shared", "b", std::to_string(kValues)});
    const int c =
        StartHelper(registryDir_, {"increment", "HKCU", "Counter", "n", std::to_string(kIncrements)});
    const int d =
        StartHelper(registryDir_, {"increment", "HKCU", "Counter", "n", std::to_string(kIncrements)});
    // This process writes at the same time.
    for (int i = 0; i < kValues; ++i) {
        const std::string name = "c" + std::to_string(i);
        ASSERT_EQ(RegSetValueA(HKEY_CURRENT_USER, ("Shared\\" + name).c_str(), REG_SZ, name.c_str(), 0),
                  ERROR_SUCCESS);
    }
    EXPECT_EQ(WaitHelper(a), 0);
    EXPECT_EQ(WaitHelper(b), 0);
    EXPECT_EQ(WaitHelper(c), 0);
    EXPECT_EQ(WaitHelper(d), 0);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Shared", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD values = 0, subKeys = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    EXPECT_EQ(values, static_cast<DWORD>(2 * kValues));
    EXPECT_EQ(subKeys, static_cast<DWORD>(kValues));
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Counter", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD counter = 0;
    DWORD size = sizeof counter;
    ASSERT_EQ(RegQueryValueExA(key, "n", nullptr, nullptr, reinterpret_cast<BYTE*>(&counter), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(counter, static_cast<DWORD>(2 * kIncrements));
    RegCloseKey(key);
}

TEST_F(RegistryProcessTest, ReadOnlyDirectoryRefusesChangesAndKeepsTheRegistry) {
    ASSERT_EQ(RegSetValueA(HKEY_CURRENT_USER, "Software\\Kept", REG_SZ, "before", 0), ERROR_SUCCESS);
    const std::string before = ReadFile(RegistryFile());
    // Root ignores permission bits, so the refused calls run as an unprivileged user who owns the
    // directory but may not write in it.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(temp_.path().c_str(), 65534, 65534), 0);
        ASSERT_EQ(chmod(temp_.path().c_str(), 0755), 0);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(registryDir_))
            ASSERT_EQ(chown(entry.path().c_str(), 65534, 65534), 0);
        ASSERT_EQ(chown(registryDir_.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(chmod(registryDir_.c_str(), 0555), 0);

    HelperResult refused = RunForked(registryDir_, [] {
        std::string out;
        HKEY key = nullptr;
        // An existing key still opens for writing: only changes are refused.
        LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Kept", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr);
        out += "open=" + std::to_string(rc);
        rc = RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("after"), 6);
        out += " set=" + std::to_string(rc);
        RegCloseKey(key);
        HKEY created = nullptr;
        rc = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             &created, nullptr);
        out += " create=" + std::to_string(rc);
        out += " delete=" + std::to_string(SHDeleteKeyA(HKEY_CURRENT_USER, "Software"));
        char text[16] = {};
        LONG size = sizeof text;
        rc = RegQueryValueA(HKEY_CURRENT_USER, "Software\\Kept", text, &size);
        out += " read=" + std::to_string(rc) + ":" + text;
        return out;
    });
    if (refused.exitCode == 126)
        GTEST_SKIP() << "cannot become an unprivileged user here";
    EXPECT_EQ(refused.out, "open=0 set=5 create=5 delete=5 read=0:before"); // 5 is ERROR_ACCESS_DENIED
    EXPECT_NE(refused.err.find("cannot"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find(registryDir_.string()), std::string::npos) << refused.err;

    chmod(registryDir_.c_str(), 0755);
    EXPECT_EQ(ReadFile(RegistryFile()), before);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(registryDir_))
        ++entries;
    EXPECT_EQ(entries, 2u); // registry.txt and registry.lock: no temporary file left behind
}

} // namespace
