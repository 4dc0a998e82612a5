// Runs the scripthost program in a fresh temporary directory whose registry it uses.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace qx::test {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ScriptHostProcess : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/scripthost-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path Write(const std::string& name, const std::string& text) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    Outcome Run(const std::vector<std::string>& args) {
        const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
        const pid_t pid = fork();
        if (pid == 0) {
            std::freopen(out.c_str(), "w", stdout);
            std::freopen(err.c_str(), "w", stderr);
            setenv("QX_REGISTRY_DIR", (dir_ / "registry").c_str(), 1);
            std::vector<char*> argv;
            std::string program = QX_BIN_DIR "/scripthost";
            argv.push_back(program.data());
            std::vector<std::string> copies(args);
            for (auto& a : copies)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        Outcome o;
        o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        o.out = ReadAll(out);
        o.err = ReadAll(err);
        return o;
    }

    fs::path dir_;
};

} // namespace qx::test
