// The per-user temporary folder and temporary file names.
#include <sys/stat.h>
#include <unistd.h>

#include <regex>
#include <set>

#include "errhandlingapi.h"
#include "file_fixture.h"
#include "fileapi.h"
#include "winerror.h"

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST_F(FileTest, TempPathIsTheNamedFolderMadePrivate) {
    char buffer[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, buffer);
    std::string expected = Path("temp/");
    EXPECT_EQ(std::string(buffer, n), expected);
    EXPECT_EQ(ModeOf(Path("temp")), 0700u);
    // Too small a buffer: the size needed with its terminator, nothing written.
    char small[4] = "abc";
    EXPECT_EQ(GetTempPathA(4, small), expected.size() + 1);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(GetTempPathA(0, nullptr), expected.size() + 1);
}

TEST_F(FileTest, SharedTempPathIsPerUserPrivateAndRefusesAPlantedLink) {
    unsetenv("QX_TEMP_DIR");
    setenv("TMPDIR", dir_.c_str(), 1);
    std::string folder = Path("qxforms-" + std::to_string(geteuid()));
    char buffer[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, buffer);
    EXPECT_EQ(std::string(buffer, n), folder + "/");
    EXPECT_EQ(ModeOf(folder), 0700u);
    // An existing folder of ours that others could enter is made private again.
    chmod(folder.c_str(), 0777);
    EXPECT_GT(GetTempPathA(MAX_PATH, buffer), 0u);
    EXPECT_EQ(ModeOf(folder), 0700u);
    // A link planted under the name is never used.
    std::filesystem::remove(folder);
    std::filesystem::create_directory(Path("elsewhere"));
    std::filesystem::create_directory_symlink(Path("elsewhere"), folder);
    EXPECT_EQ(GetTempPathA(MAX_PATH, buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    unsetenv("TMPDIR");
}

TEST_F(FileTest, TempFileNamesAreNewEmptyPrivateFiles) {
    char folder[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    std::set<std::string> names;
    const std::regex pattern(std::string(folder) + "mht_[0-9A-F]{1,4}\\.tmp");
    for (int i = 0; i < 20; ++i) {
        char name[MAX_PATH];
        UINT unique = GetTempFileNameA(folder, "mht_", 0, name);
        ASSERT_NE(unique, 0u);
        EXPECT_TRUE(std::regex_match(name, pattern)) << name;
        EXPECT_EQ(std::filesystem::file_size(name), 0u);
        EXPECT_EQ(ModeOf(name), 0600u);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 20u);
}

TEST_F(FileTest, AGivenNumberOnlyFormsTheName) {
    char name[MAX_PATH];
    std::string folder = Path("");
    EXPECT_EQ(GetTempFileNameA(folder.c_str(), "mht_", 0x1ABCD, name), 0xABCDu);
    EXPECT_EQ(std::string(name), folder + "mht_ABCD.tmp");
    EXPECT_FALSE(std::filesystem::exists(name));
    // A separator is added when the folder has none.
    EXPECT_EQ(GetTempFileNameA(dir_.c_str(), "x", 0x2F, name), 0x2Fu);
    EXPECT_EQ(std::string(name), dir_ + "/x2F.tmp");
}

TEST_F(FileTest, PlantedLinksUnderEveryNameButOneAreNeverFollowed) {
    std::string folder = Path("t/");
    std::filesystem::create_directory(folder);
    std::string victim = Path("victim");
    for (unsigned u = 1; u <= 0xFFFF; ++u) {
        if (u == 0x1234) {
            continue;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", u);
        ASSERT_EQ(symlink(victim.c_str(), (folder + "p" + hex + ".tmp").c_str()), 0);
    }
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA(folder.c_str(), "p", 0, name), 0x1234u);
    EXPECT_EQ(std::string(name), folder + "p1234.tmp");
    EXPECT_FALSE(std::filesystem::exists(victim));
    // With every name taken the call fails and still creates nothing through a link.
    EXPECT_EQ(GetTempFileNameA(folder.c_str(), "p", 0, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_FALSE(std::filesystem::exists(victim));
}

TEST_F(FileTest, TempFileNameFailures) {
    char name[MAX_PATH];
    std::string missing = Path("missing");
    EXPECT_EQ(GetTempFileNameA(missing.c_str(), "mht_", 0, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    std::string longFolder = "/" + std::string(MAX_PATH - 8, 'a');
    EXPECT_EQ(GetTempFileNameA(longFolder.c_str(), "mht_", 0, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
}

} // namespace
