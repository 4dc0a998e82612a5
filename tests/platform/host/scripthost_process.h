// Runs the scripthost program in a fresh temporary directory whose registry it uses.
#pragma once

#include "child_program.h"

#include <gtest/gtest.h>

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

    // Runs build/bin/scripthost with the arguments against the directory's registry, standard
    // output and standard error apart; as an unprivileged user when asked and running as root.
    Outcome Run(const std::vector<std::string>& args, bool unprivileged = false) {
        std::vector<std::string> command{QX_BIN_DIR "/scripthost"};
        command.insert(command.end(), args.begin(), args.end());
        qxtest::ChildOptions options;
        options.environment = {{"QX_REGISTRY_DIR", (dir_ / "registry").string()}};
        options.streams = qxtest::Streams::Separate;
        options.unprivileged = unprivileged;
        const qxtest::ProgramRun run = qxtest::RunProgram(command, options);
        return Outcome{run.status, run.output, run.errors};
    }

    fs::path dir_;
};

} // namespace qx::test
