// A temporary registry directory per test, and a way to run the helper program in it.
#pragma once

#include "qx/win32/registry.h"
#include "winreg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qx::registry::testing {

// Makes a fresh directory under the system's temporary folder; removed by the destructor.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Every test starts on an empty registry of its own.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        registryDir_ = temp_.path() / "registry";
        SetRootForTesting(registryDir_);
    }
    void TearDown() override { SetRootForTesting(temp_.path() / "unused"); }

    std::filesystem::path RegistryFile() const { return registryDir_ / "registry.txt"; }
    // Forgets the in-memory state so that the next call reads the file again.
    void Reopen() const { SetRootForTesting(registryDir_); }

    TempDirectory temp_;
    std::filesystem::path registryDir_;
};

struct HelperResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the helper program with QX_REGISTRY_DIR set to the directory.
HelperResult RunHelper(const std::filesystem::path& registryDir, const std::vector<std::string>& args);

// Runs the body in a forked copy of this process, as an unprivileged user when running as root
// (so that file permissions hold), on the given registry directory; the body's text is `out`.
HelperResult RunForked(const std::filesystem::path& registryDir, const std::function<std::string()>& body);

// Starts the helper without waiting; WaitHelper collects it.
int StartHelper(const std::filesystem::path& registryDir, const std::vector<std::string>& args);
int WaitHelper(int pid);

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& text);

std::vector<BYTE> Bytes(std::u16string_view text); // UTF-16LE
std::string Cp949(std::u16string_view text);       // glibc iconv's code page 949 form

} // namespace qx::registry::testing
