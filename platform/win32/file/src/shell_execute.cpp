// ShellExecuteA: a program file is started with its parameters; any other file, and any URL,
// goes to the opener. Nothing passes through a shell.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "errhandlingapi.h"
#include "qx/win32/codepage.h"
#include "qx/win32/file_paths.h"
#include "qx/win32/shell_opener.h"
#include "shellapi.h"
#include "winerror.h"

extern char** environ;

namespace qx::win32 {
namespace {

std::atomic<ShellOpener*> g_opener{nullptr};

constexpr INT_PTR kSuccess = 42;

// "scheme:" of two or more letters; "c:" is a drive, not a scheme.
bool IsUrl(const std::string& text) {
    std::string::size_type colon = text.find(':');
    if (colon == std::string::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    for (std::string::size_type i = 1; i < colon; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// A bare name is looked for on the PATH, as the system looks for programs.
std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::string::size_type start = 0;
    while (start <= dirs.size()) {
        std::string::size_type end = dirs.find(':', start);
        std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!dir.empty() && IsExecutableFile(dir + "/" + name)) {
            return dir + "/" + name;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return {};
}

// Starts a program and reaps it in the background; false when it could not be started.
bool Spawn(const std::vector<std::string>& arguments, const std::string& folder) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    }
    pid_t pid = 0;
    int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        return false;
    }
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

// The default: programs run, everything else to the opener or, without one, recorded.
INT_PTR OpenWithoutHook(const ShellExecuteCall& call) {
    std::string folder = call.directory.empty() ? std::string() : OsPathFromAnsi(call.directory.c_str());
    if (!call.isUrl && IsExecutableFile(call.target)) {
        std::vector<std::string> arguments{call.target};
        for (std::string& argument : SplitCommandLine(AnsiToUtf8(call.parameters))) {
            arguments.push_back(std::move(argument));
        }
        return Spawn(arguments, folder) ? kSuccess : SE_ERR_ACCESSDENIED;
    }
    std::string opener;
    if (const char* chosen = std::getenv("QX_SHELL_OPENER")) {
        opener = chosen;
        if (!opener.empty() && opener.find('/') == std::string::npos) {
            opener = FindOnPath(opener);
        }
    } else {
        opener = FindOnPath("xdg-open");
    }
    if (opener.empty()) {
        std::fprintf(stderr, "ShellExecute: %s \"%s\" (no opener; recorded only)\n",
                     call.verb.empty() ? "open" : call.verb.c_str(), call.target.c_str());
        return kSuccess;
    }
    return Spawn({opener, call.target}, folder) ? kSuccess : SE_ERR_NOASSOC;
}

} // namespace

ShellOpener* SetShellOpener(ShellOpener* opener) {
    return g_opener.exchange(opener);
}

INT_PTR RecordingShellOpener::Open(const ShellExecuteCall& call) {
    std::lock_guard guard(lock_);
    calls_.push_back(call);
    return result_;
}

std::vector<ShellExecuteCall> RecordingShellOpener::Calls() const {
    std::lock_guard guard(lock_);
    return calls_;
}

void RecordingShellOpener::SetResult(INT_PTR result) {
    std::lock_guard guard(lock_);
    result_ = result;
}

std::vector<std::string> SplitCommandLine(std::string_view text) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument) {
                arguments.push_back(current);
                current.clear();
                inArgument = false;
            }
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            std::size_t run = 0;
            while (i < text.size() && text[i] == '\\') {
                ++run;
                ++i;
            }
            if (i < text.size() && text[i] == '"') {
                current.append(run / 2, '\\');
                if (run % 2 == 1) {
                    current += '"';
                    ++i;
                }
            } else {
                current.append(run, '\\');
            }
            continue;
        }
        if (c == '"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                current += '"'; // "" inside quotes is a quote
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (inArgument) {
        arguments.push_back(current);
    }
    return arguments;
}

} // namespace qx::win32

HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd) {
    auto result = [](INT_PTR value) { return reinterpret_cast<HINSTANCE>(value); };
    if (lpFile == nullptr || *lpFile == '\0') {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return result(SE_ERR_FNF);
    }
    qx::win32::ShellExecuteCall call;
    call.owner = hwnd;
    call.verb = lpOperation != nullptr ? lpOperation : "";
    call.file = lpFile;
    call.parameters = lpParameters != nullptr ? lpParameters : "";
    call.directory = lpDirectory != nullptr ? lpDirectory : "";
    call.showCommand = nShowCmd;
    call.isUrl = qx::win32::IsUrl(call.file);
    if (!call.verb.empty() && call.verb != "open" && call.verb != "explore") {
        SetLastError(ERROR_NOT_SUPPORTED);
        return result(SE_ERR_NOASSOC);
    }
    if (call.isUrl) {
        bool lossy = false;
        call.target = qx::win32::AnsiToUtf8(call.file, &lossy);
    } else {
        std::string file = call.file;
        bool relative = file[0] != '/' && file[0] != '\\' && !(file.size() >= 2 && file[1] == ':');
        if (relative && !call.directory.empty()) {
            file = call.directory + "/" + file;
        }
        call.target = qx::win32::OsPathFromAnsi(file.c_str());
        struct stat st;
        if (call.target.empty() || stat(call.target.c_str(), &st) != 0) {
            std::string onPath = file.find_first_of("/\\") == std::string::npos
                                     ? qx::win32::FindOnPath(qx::win32::AnsiToUtf8(call.file))
                                     : std::string();
            if (onPath.empty()) {
                SetLastError(ERROR_FILE_NOT_FOUND);
                return result(SE_ERR_FNF);
            }
            call.target = onPath;
        }
    }
    qx::win32::ShellOpener* opener = qx::win32::g_opener.load();
    INT_PTR value = opener != nullptr ? opener->Open(call) : qx::win32::OpenWithoutHook(call);
    return result(value);
}
