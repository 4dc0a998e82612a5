// The tersor program seen from outside: its messages and exit codes on every road.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "child_program.h"
#include "compactor/compactor.h"

namespace {

namespace fs = std::filesystem;

using qxtest::ProgramRun;

// tersor's messages go to standard output; standard error is kept apart.
ProgramRun runTersor(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{QX_BIN_DIR "/tersor"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    qxtest::ChildOptions options;
    options.streams = qxtest::Streams::Separate;
    return qxtest::RunProgram(command, options);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class TersorProgram : public testing::Test {
protected:
    void SetUp() override {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (c == '/')
                c = '-';
        m_dir = fs::temp_directory_path() / ("tersor-test-" + std::to_string(getpid()) + "-" + name);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        writeFile(In(), kScript);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path In() const { return m_dir / "in.js"; }
    fs::path Out() const { return m_dir / "out.js"; }

    static constexpr const char* kScript = "// form\nfunction f ( a ) {\n  return a + 1 ;\n}\n";
    fs::path m_dir;
};

TEST_F(TersorProgram, CompactsAndReportsSuccess) {
    const ProgramRun run = runTersor({In(), Out()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "Compacting Successful.\nWrote to file: " + Out().string() + "\n");
    EXPECT_EQ(readFile(Out()), "function f(a){return a+1;}");
    EXPECT_EQ(readFile(In()), kScript);
}

TEST_F(TersorProgram, IgnoresArgumentsAfterTheSecond) {
    const ProgramRun run = runTersor({In(), Out(), "extra", "more"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(readFile(Out()), "function f(a){return a+1;}");
}

TEST_F(TersorProgram, ReplacesAnExistingLongerOutput) {
    writeFile(Out(), std::string(10000, 'x'));
    EXPECT_EQ(runTersor({In(), Out()}).status, 0);
    EXPECT_EQ(readFile(Out()), "function f(a){return a+1;}");
}

TEST_F(TersorProgram, EmptyResultGivesEmptyFileAndNormalMessages) {
    writeFile(In(), "  /* nothing */\n\n// at all\n");
    const ProgramRun run = runTersor({In(), Out()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "Compacting Successful.\nWrote to file: " + Out().string() + "\n");
    ASSERT_TRUE(fs::exists(Out()));
    EXPECT_EQ(fs::file_size(Out()), 0u);
}

TEST_F(TersorProgram, StreamsALargeFileExactly) {
    std::string script;
    for (int i = 0; script.size() < 3u * 1024 * 1024; ++i)
        script += "var  v" + std::to_string(i) + " = \"a  b\" + 'c' ; /* note */ if ( v ) {\n  w ++ ;\n}\n";
    writeFile(In(), script);
    EXPECT_EQ(runTersor({In(), Out()}).status, 0);
    EXPECT_EQ(readFile(Out()), compactor::compact(script));
}

struct FailureCase {
    const char* name;
    std::vector<std::string> (*arguments)(const fs::path& dir);
    int exitCode;
    std::string (*message)(const fs::path& dir);
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class TersorFailure : public TersorProgram, public testing::WithParamInterface<FailureCase> {};

// Every failure leaves the input as it was and reports itself with its own exit code.
TEST_P(TersorFailure, ReportsAndExitsNonZero) {
    fs::create_directories(m_dir / "folder");
    fs::create_symlink(In(), m_dir / "link.js");
    fs::create_hard_link(In(), m_dir / "hard.js");
    const ProgramRun run = runTersor(GetParam().arguments(m_dir));
    EXPECT_EQ(run.status, GetParam().exitCode);
    EXPECT_EQ(run.output, GetParam().message(m_dir));
    EXPECT_EQ(readFile(In()), kScript);
}

std::string inPath(const fs::path& dir) {
    return (dir / "in.js").string();
}

std::string outPath(const fs::path& dir) {
    return (dir / "out.js").string();
}

INSTANTIATE_TEST_SUITE_P(
    EveryFailure, TersorFailure,
    testing::Values(
        FailureCase{"NoArguments", [](const fs::path&) { return std::vector<std::string>{}; }, 1,
                    [](const fs::path&) { return std::string("Usage: tersor infile outfile\n"); }},
        FailureCase{"OneArgument", [](const fs::path& d) { return std::vector<std::string>{inPath(d)}; }, 1,
                    [](const fs::path&) { return std::string("Usage: tersor infile outfile\n"); }},
        FailureCase{"MissingInput",
                    [](const fs::path& d) {
                        return std::vector<std::string>{(d / "none.js").string(), outPath(d)};
                    },
                    2,
                    [](const fs::path& d) {
                        return "There was some problem reading file: " + (d / "none.js").string() + "\n";
                    }},
        FailureCase{"InputIsAFolder",
                    [](const fs::path& d) {
                        return std::vector<std::string>{(d / "folder").string(), outPath(d)};
                    },
                    2,
                    [](const fs::path& d) {
                        return "There was some problem reading file: " + (d / "folder").string() + "\n";
                    }},
        FailureCase{"OutputInMissingFolder",
                    [](const fs::path& d) {
                        return std::vector<std::string>{inPath(d), (d / "none" / "out.js").string()};
                    },
                    3,
                    [](const fs::path& d) {
                        return "There was some problem creating file: " + (d / "none" / "out.js").string() +
                               "\n";
                    }},
        FailureCase{"OutputIsAFolder",
                    [](const fs::path& d) {
                        return std::vector<std::string>{inPath(d), (d / "folder").string()};
                    },
                    3,
                    [](const fs::path& d) {
                        return "There was some problem creating file: " + (d / "folder").string() + "\n";
                    }},
        FailureCase{
            "SameName",
            [](const fs::path& d) {
                return std::vector<std::string>{inPath(d), inPath(d)};
            },
            4, [](const fs::path& d) { return "Input and output are the same file: " + inPath(d) + "\n"; }},
        FailureCase{"SameFileThroughSymbolicLink",
                    [](const fs::path& d) {
                        return std::vector<std::string>{inPath(d), (d / "link.js").string()};
                    },
                    4,
                    [](const fs::path& d) {
                        return "Input and output are the same file: " + (d / "link.js").string() + "\n";
                    }},
        FailureCase{
            "SameFileThroughHardLink",
            [](const fs::path& d) {
                return std::vector<std::string>{(d / "hard.js").string(), inPath(d)};
            },
            4, [](const fs::path& d) { return "Input and output are the same file: " + inPath(d) + "\n"; }},
        FailureCase{
            "SameFileOtherSpelling",
            [](const fs::path& d) {
                return std::vector<std::string>{inPath(d), (d / "folder" / ".." / "." / "in.js").string()};
            },
            4,
            [](const fs::path& d) {
                return "Input and output are the same file: " +
                       (d / "folder" / ".." / "." / "in.js").string() + "\n";
            }},
        FailureCase{
            "DiskFull",
            [](const fs::path& d) {
                return std::vector<std::string>{inPath(d), "/dev/full"};
            },
            5,
            [](const fs::path&) { return std::string("There was some problem writing file: /dev/full\n"); }}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// An input that cannot be read must not cost the output file: it is neither created nor emptied.
TEST_F(TersorProgram, UnreadableInputLeavesOutputAlone) {
    EXPECT_EQ(runTersor({(m_dir / "none.js").string(), Out()}).status, 2);
    EXPECT_FALSE(fs::exists(Out()));

    writeFile(Out(), "keep me");
    EXPECT_EQ(runTersor({(m_dir / "none.js").string(), Out()}).status, 2);
    EXPECT_EQ(readFile(Out()), "keep me");
}

} // namespace
