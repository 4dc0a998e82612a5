// A private temporary folder and drive root for each test, with the bundled form page copied to
// c:/form/, and a fixed clock and zone for the MIME library.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "mime_time.h"

namespace quorle_test {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The standard output and error of a shell command ("" when it cannot be started).
inline std::string CommandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return output;
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    pclose(pipe);
    return output;
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// 2026-12-08 10:30:00 UTC, in a zone of +0900 named "KST".
inline LONGLONG FixedNow() {
    return 1796725800;
}
inline bool FixedZone(LONGLONG, LONG* offset, MimeString* name) {
    *offset = 540;
    *name = "KST";
    return true;
}

class QuorleTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("quorle-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "temp");
        fs::create_directories(root_ / "drives" / "c");
        fs::permissions(root_ / "temp", fs::perms::owner_all);
        setenv("QX_TEMP_DIR", (root_ / "temp").c_str(), 1);
        setenv("QX_DRIVE_ROOT", (root_ / "drives").c_str(), 1);
        fs::copy(fs::path(QX_SOURCE_DIR) / "examples" / "converter", FormDir(), fs::copy_options::recursive);
        SetMimeTimeSource(&FixedNow, &FixedZone);
    }
    void TearDown() override {
        SetMimeTimeSource(nullptr, nullptr);
        unsetenv("QX_TEMP_DIR");
        unsetenv("QX_DRIVE_ROOT");
        fs::remove_all(root_);
    }
    fs::path FormDir() const { return root_ / "drives" / "c" / "form"; }
    fs::path TempDir() const { return root_ / "temp"; }
    size_t TempFileCount() const {
        size_t count = 0;
        for (const auto& entry : fs::directory_iterator(TempDir()))
            count += entry.is_regular_file() ? 1 : 0;
        return count;
    }
    std::string FormHtml() const { return ReadFile(FormDir() / "form.htm"); }

    fs::path root_;
};

} // namespace quorle_test
