// A scratch folder per test, with the drive root and temporary folder inside it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "qx/win32/file_paths.h"

class FileTest : public ::testing::Test {
public:
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }

protected:
    void SetUp() override {
        char pattern[] = "/tmp/qx-file-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        qx::win32::SetDriveRoot(dir_ + "/drives");
        setenv("QX_TEMP_DIR", (dir_ + "/temp").c_str(), 1);
    }
    void TearDown() override {
        qx::win32::SetDriveRoot("");
        unsetenv("QX_TEMP_DIR");
        std::error_code ignored;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string dir_;
};
