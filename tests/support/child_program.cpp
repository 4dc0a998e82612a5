#include "child_program.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

extern char** environ;

namespace qxtest {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using CaptureFile = std::unique_ptr<std::FILE, FileCloser>;

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

ProgramRun RunProgram(const std::vector<std::string>& args, const ChildOptions& options) {
    ProgramRun run;
    if (args.empty()) {
        run.errors = "no program to run";
        return run;
    }
    CaptureFile out(std::tmpfile());
    CaptureFile err(options.streams == Streams::Separate ? std::tmpfile() : nullptr);
    if (!out || (options.streams == Streams::Separate && !err)) {
        run.errors = "cannot make a file for the program's output";
        return run;
    }
    const int outFd = fileno(out.get());
    const int errFd = err ? fileno(err.get()) : outFd;

    // Everything the child needs is made before fork: after it, only async-signal-safe calls.
    std::vector<std::string> argStrings(args);
    std::vector<std::string> envStrings = ChildEnvironment(options.environment);
    std::vector<char*> argv = Pointers(argStrings);
    std::vector<char*> envp = Pointers(envStrings);
    const bool dropPrivileges = options.unprivileged && geteuid() == 0;

    const pid_t pid = fork();
    if (pid < 0) {
        run.errors = "fork failed";
        return run;
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
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            run.errors = "waitpid failed";
            return run;
        }
    }
    if (WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        run.signal = WTERMSIG(status);
    run.output = ReadCapture(out.get());
    if (err)
        run.errors = ReadCapture(err.get());
    return run;
}

ProgramRun RunProgram(const std::vector<std::string>& args, const EnvironmentAdditions& environment) {
    ChildOptions options;
    options.environment = environment;
    return RunProgram(args, options);
}

} // namespace qxtest
