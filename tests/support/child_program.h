// Runs a program as a child process and hands back its exit status and what it wrote.
#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace qxtest {

// Variables set for the child on top of this process's environment (a name given here replaces
// the inherited one).
using EnvironmentAdditions = std::vector<std::pair<std::string, std::string>>;

enum class Streams {
    Merged,   // standard output and standard error together in `output`, in the order written
    Separate, // standard output in `output`, standard error in `errors`
};

struct ChildOptions {
    EnvironmentAdditions environment;
    Streams streams = Streams::Merged;
    // When running as root, the child drops to the unprivileged user 65534 before it starts, so
    // that file permissions stop it as they would stop a user. When that user cannot reach the
    // program (a checkout under a folder of mode 0700), the program, the argument files it cannot
    // reach and the libraries beside the built programs are staged in a world-readable folder
    // under /tmp for the run, and the child runs from there.
    bool unprivileged = false;
    // A file that standard output goes to instead of being captured ("/dev/full" for a full
    // disk); `output` then stays empty.
    std::string standardOutput;
};

struct ProgramRun {
    int status = -1; // the exit code; -1 when the program did not exit by itself
    int signal = 0;  // the signal that ended it, if one did
    std::string output;
    std::string errors;
};

// A program started and not yet waited for: a test can watch what it writes and signal it.
class RunningProgram {
public:
    RunningProgram(RunningProgram&&) noexcept;
    RunningProgram& operator=(RunningProgram&&) = delete;
    ~RunningProgram(); // kills and waits for a program not waited for

    // Waits until the program's standard error (its output, with Streams::Merged) holds `text`,
    // the program ends, or `limit` passes; true when the text came. For programs that say when
    // they are ready: the wait ends on what they write, never on a guess of how long they need.
    bool WaitForErrors(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(60));
    void Signal(int signal) const;
    // Waits for the program to end and collects its output.
    ProgramRun Wait();

private:
    friend RunningProgram StartProgram(const std::vector<std::string>& args, const ChildOptions& options);
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    RunningProgram() = default;
    void RemoveStagingFolder();

    pid_t pid_ = -1;
    std::unique_ptr<std::FILE, FileCloser> out_;
    std::unique_ptr<std::FILE, FileCloser> err_;
    std::string startError_;
    std::string stagingFolder_; // removed once the program has ended
};

// Starts args[0] (a path; no search) with the rest as its arguments and standard input empty.
RunningProgram StartProgram(const std::vector<std::string>& args, const ChildOptions& options);

// Starts args[0] as StartProgram does, waits for it and collects its output. A program that
// cannot be started exits with 127.
ProgramRun RunProgram(const std::vector<std::string>& args, const ChildOptions& options);
ProgramRun RunProgram(const std::vector<std::string>& args, const EnvironmentAdditions& environment = {});

} // namespace qxtest
