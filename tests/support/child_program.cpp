#include "child_program.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

extern char** environ;

namespace qxtest {
namespace {

// Everything written to the file so far. The captures are files rather than pipes, so that a
// child that leaves a grandchild holding its output behind does not keep the test waiting.
std::string ReadCapture(std::FILE* file) {
    std::string text;
    const int fd = fileno(file);
    if (lseek(fd, 0, SEEK_SET) != 0)
        return text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(buffer, static_cast<size_t>(got));
    }
    return text;
}

// This process's environment with the additions laid over it.
std::vector<std::string> ChildEnvironment(const EnvironmentAdditions& additions) {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& [added, value] : additions)
            replaced = replaced || added == name;
        if (!replaced)
            entries.push_back(text);
    }
    for (const auto& [name, value] : additions)
        entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

RunningProgram StartProgram(const std::vector<std::string>& args, const ChildOptions& options) {
    RunningProgram program;
    if (args.empty()) {
        program.startError_ = "no program to run";
        return program;
    }
    program.out_.reset(std::tmpfile());
    if (options.streams == Streams::Separate)
        program.err_.reset(std::tmpfile());
    if (!program.out_ || (options.streams == Streams::Separate && !program.err_)) {
        program.startError_ = "cannot make a file for the program's output";
        return program;
    }
    const int captureFd = fileno(program.out_.get());
    const int errFd = program.err_ ? fileno(program.err_.get()) : captureFd;
    int outFd = captureFd;
    if (!options.standardOutput.empty()) {
        outFd = open(options.standardOutput.c_str(), O_WRONLY | O_CLOEXEC);
        if (outFd < 0) {
            program.startError_ = "cannot open " + options.standardOutput;
            return program;
        }
    }

    // Everything the child needs is made before fork: after it, only async-signal-safe calls.
    std::vector<std::string> argStrings(args);
    std::vector<std::string> envStrings = ChildEnvironment(options.environment);
    std::vector<char*> argv = Pointers(argStrings);
    std::vector<char*> envp = Pointers(envStrings);
    const bool dropPrivileges = options.unprivileged && geteuid() == 0;

    const pid_t pid = fork();
    if (pid < 0) {
        if (outFd != captureFd)
            close(outFd);
        program.startError_ = "fork failed";
        return program;
    }
    if (pid == 0) {
        const int nothing = open("/dev/null", O_RDONLY);
        if (nothing < 0 || dup2(nothing, 0) < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0)
            _exit(127);
        if (nothing > 2)
            close(nothing);
        // The groups first: root's supplementary groups would outlive setuid.
        const gid_t nobody = 65534;
        if (dropPrivileges && (setgroups(1, &nobody) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(127);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (outFd != captureFd)
        close(outFd);
    program.pid_ = pid;
    return program;
}

RunningProgram::RunningProgram(RunningProgram&& other) noexcept
    : pid_(other.pid_), out_(std::move(other.out_)), err_(std::move(other.err_)),
      startError_(std::move(other.startError_)) {
    other.pid_ = -1;
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

bool RunningProgram::WaitForErrors(const std::string& text, std::chrono::seconds limit) {
    std::FILE* errors = err_ ? err_.get() : out_.get();
    if (pid_ <= 0 || errors == nullptr)
        return false;
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (ReadCapture(errors).find(text) != std::string::npos)
            return true;
        // Whether it ended, without reaping it: Wait still collects its status.
        siginfo_t info{};
        const bool ended = waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
                           info.si_pid != 0;
        if (ended || std::chrono::steady_clock::now() >= end)
            return ReadCapture(errors).find(text) != std::string::npos; // all it wrote is there now
        usleep(10 * 1000); // a poll of the file, not a guess of how long the program needs
    }
}

void RunningProgram::Signal(int signal) const {
    if (pid_ > 0)
        kill(pid_, signal);
}

ProgramRun RunningProgram::Wait() {
    ProgramRun run;
    if (pid_ <= 0) {
        run.errors = startError_.empty() ? "the program is not running" : startError_;
        return run;
    }
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0) {
        if (errno != EINTR) {
            run.errors = "waitpid failed";
            pid_ = -1;
            return run;
        }
    }
    pid_ = -1;
    if (WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        run.signal = WTERMSIG(status);
    run.output = ReadCapture(out_.get());
    if (err_)
        run.errors = ReadCapture(err_.get());
    return run;
}

ProgramRun RunProgram(const std::vector<std::string>& args, const ChildOptions& options) {
    return StartProgram(args, options).Wait();
}

ProgramRun RunProgram(const std::vector<std::string>& args, const EnvironmentAdditions& environment) {
    ChildOptions options;
    options.environment = environment;
    return RunProgram(args, options);
}

} // namespace qxtest
