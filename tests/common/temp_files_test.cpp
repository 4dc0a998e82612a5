#include "base64.h"
#include "temp_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// Every test gets a temporary folder of its own through the platform's variable.
class TempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("common-temp-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
        fs::permissions(root_, fs::perms::owner_all);
        setenv("QX_TEMP_DIR", root_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("QX_TEMP_DIR");
        fs::remove_all(root_);
    }
    fs::path root_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST_F(TempFolder, MakeTempFileNameCreatesDistinctEmptyFiles) {
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i) {
        std::string name = MakeTempFileName(TempPathForm::Short);
        ASSERT_FALSE(name.empty());
        EXPECT_TRUE(fs::is_regular_file(name)) << name;
        EXPECT_EQ(fs::file_size(name), 0u);
        std::string leaf = fs::path(name).filename().string();
        EXPECT_EQ(leaf.rfind("mht_", 0), 0u) << leaf;
        EXPECT_EQ(fs::path(name).extension(), ".tmp");
        EXPECT_LE(leaf.size(), std::string("mht_ffff.tmp").size());
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 20u);
}

TEST_F(TempFolder, TempDirectoryEndsWithASeparatorInBothForms) {
    for (auto form : {TempPathForm::AsReported, TempPathForm::Short}) {
        std::string dir = GetTempDirectory(form);
        ASSERT_FALSE(dir.empty());
        EXPECT_TRUE(dir.back() == '/' || dir.back() == '\\') << dir;
        EXPECT_TRUE(fs::equivalent(dir, root_)) << dir;
    }
}

TEST_F(TempFolder, NoTemporaryFileGivesEmptyTextNotTheFolder) {
    // A temporary folder that is not a folder cannot take files.
    fs::path notAFolder = root_ / "plain-file";
    std::ofstream(notAFolder) << "x";
    setenv("QX_TEMP_DIR", notAFolder.c_str(), 1);
    EXPECT_EQ(MakeTempFileName(TempPathForm::Short), "");
    EXPECT_EQ(MakeTempFileName(TempPathForm::AsReported), "");
}

TEST_F(TempFolder, DecodeToFileWritesTheBytes) {
    std::string target = (root_ / "out.bin").string();
    Base64Decoder decoder;
    EXPECT_EQ(decoder.DecodeToFile("YWJj\r\nYQ==", target.c_str()), 4);
    EXPECT_EQ(ReadFile(target), "abca");
    // An existing file is replaced, not appended to.
    EXPECT_EQ(decoder.DecodeToFile("eA==", target.c_str()), 1);
    EXPECT_EQ(ReadFile(target), "x");
    EXPECT_EQ(decoder.DecodeToFile("", target.c_str()), 0);
    EXPECT_EQ(ReadFile(target), "");
}

TEST_F(TempFolder, DecodeToFileFailsWhereNoFileCanBeMade) {
    Base64Decoder decoder;
    std::string inMissingFolder = (root_ / "missing" / "out.bin").string();
    EXPECT_EQ(decoder.DecodeToFile("YWJj", inMissingFolder.c_str()), -1);
    EXPECT_EQ(decoder.DecodeToFile("YWJj", nullptr), -1);
}

} // namespace
