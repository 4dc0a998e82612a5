#include "child_program.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

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

namespace fs = std::filesystem;

// Whether a user who is neither owner nor in the group reaches the file: every folder on the way
// searchable by others, the file itself readable by others.
bool OthersCanReach(const fs::path& file) {
    std::error_code error;
    const fs::path real = fs::canonical(file, error);
    if (error)
        return false;
    struct stat info {};
    if (stat(real.c_str(), &info) != 0 || (info.st_mode & S_IROTH) == 0)
        return false;
    for (fs::path folder = real.parent_path(); !folder.empty(); folder = folder.parent_path()) {
        if (stat(folder.c_str(), &info) != 0 || (info.st_mode & S_IXOTH) == 0)
            return false;
        if (folder == folder.root_path())
            break;
    }
    return true;
}

// Puts a file into the staging folder (a hard link where the file system allows, else a copy)
// and returns its path there; empty on failure.
std::string Stage(const fs::path& file, const fs::path& folder) {
    const fs::path target = folder / file.filename();
    std::error_code error;
    if (fs::exists(target, error))
        return target.string();
    fs::create_hard_link(file, target, error);
    if (error) {
        error.clear();
        fs::copy_file(file, target, error);
    }
    if (error)
        return {};
    fs::permissions(target,
                    fs::perms::others_read | fs::perms::others_exec | fs::perms::group_read |
                        fs::perms::group_exec,
                    fs::perm_options::add, error);
    return target.string();
}

// Stages the program, every argument that names a file the unprivileged user cannot reach, and
// the shared libraries beside the built programs (the platform library and the component
// files), so that the child runs where it can read. Returns the folder, or empty with `why` set.
std::string StageForUnprivilegedRun(std::vector<std::string>& args, EnvironmentAdditions& environment,
                                    std::string& why) {
    std::string pattern = "/tmp/qx-child-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        why = "cannot make a folder under /tmp for an unprivileged run";
        return {};
    }
    const fs::path folder = pattern;
    std::error_code error;
    fs::permissions(folder, fs::perms(0755), error);
    std::vector<fs::path> files;
    std::error_code listError;
    for (const auto& entry : fs::directory_iterator(QX_CHILD_LIBRARY_DIR, listError)) {
        if (entry.is_regular_file() && entry.path().extension() == ".so")
            files.push_back(entry.path());
    }
    bool staged = true;
    for (const fs::path& file : files)
        staged = staged && !Stage(file, folder).empty();
    for (std::size_t i = 0; staged && i < args.size(); ++i) {
        std::error_code statError;
        if (!fs::path(args[i]).is_absolute() || !fs::is_regular_file(args[i], statError) ||
            OthersCanReach(args[i]))
            continue;
        const std::string copy = Stage(args[i], folder);
        staged = !copy.empty();
        args[i] = copy;
    }
    if (!staged) {
        why = "cannot stage the program's files in " + folder.string() + " for an unprivileged run";
        fs::remove_all(folder, error);
        return {};
    }
    // The programs' library path points into the unreachable build folder; this one comes first.
    environment.emplace_back("LD_LIBRARY_PATH", folder.string());
    return folder.string();
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
    EnvironmentAdditions environment = options.environment;
    const bool dropPrivileges = options.unprivileged && geteuid() == 0;
    if (dropPrivileges && !OthersCanReach(args[0])) {
        program.stagingFolder_ = StageForUnprivilegedRun(argStrings, environment, program.startError_);
        if (program.stagingFolder_.empty()) {
            if (outFd != captureFd)
                close(outFd);
            return program;
        }
    }
    std::vector<std::string> envStrings = ChildEnvironment(environment);
    std::vector<char*> argv = Pointers(argStrings);
    std::vector<char*> envp = Pointers(envStrings);

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
      startError_(std::move(other.startError_)), stagingFolder_(std::move(other.stagingFolder_)) {
    other.pid_ = -1;
    other.stagingFolder_.clear();
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    RemoveStagingFolder();
}

void RunningProgram::RemoveStagingFolder() {
    if (stagingFolder_.empty())
        return;
    std::error_code ignored;
    fs::remove_all(stagingFolder_, ignored);
    stagingFolder_.clear();
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
    RemoveStagingFolder();
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
