// Runs a program as a child process and hands back its exit status and what it wrote.
#pragma once

#include <string>
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
    // that file permissions stop it as they would stop a user.
    bool unprivileged = false;
};

struct ProgramRun {
    int status = -1; // the exit code; -1 when the program did not exit by itself
    int signal = 0;  // the signal that ended it, if one did
    std::string output;
    std::string errors;
};

// Starts args[0] (a path; no search) with the rest as its arguments and standard input empty,
// waits for it and collects its output. A program that cannot be started exits with 127.
ProgramRun RunProgram(const std::vector<std::string>& args, const ChildOptions& options);
ProgramRun RunProgram(const std::vector<std::string>& args, const EnvironmentAdditions& environment = {});

} // namespace qxtest
