// Processes started with posix_spawn. A process object sits in the thread library's handle
// table; a small watcher thread reaps the child and signals the object with its exit status.
#include "processthreadsapi_process.h"

#include "errhandlingapi.h"
#include "qx/win32/codepage.h"
#include "qx/win32/command_line.h"
#include "qx/win32/file_paths.h"
#include "qx/win32/kernel_object.h"
#include "winerror.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

class ProcessObject : public qx::win32::Waitable {
public:
    explicit ProcessObject(pid_t pid) : pid_(pid) {}
    bool IsSignaledLocked() const override { return exited_; }
    void ExitLocked(DWORD code) {
        code_ = code;
        exited_ = true;
        SignalChangedLocked();
    }
    DWORD ExitCodeLocked() const { return exited_ ? code_ : static_cast<DWORD>(STILL_ACTIVE); }
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_;
    bool exited_ = false;
    DWORD code_ = 0;
};

// The exit code as the caller sees it: the program's status, or for a signal the
// 0xC000013A ("terminated") code a killed Windows program leaves.
DWORD ExitCode(int status) {
    if (WIFEXITED(status))
        return static_cast<DWORD>(WEXITSTATUS(status));
    return 0xC000013Au;
}

void Watch(std::shared_ptr<ProcessObject> object) {
    int status = 0;
    pid_t rc;
    do {
        rc = waitpid(object->Pid(), &status, 0);
    } while (rc < 0 && errno == EINTR);
    std::lock_guard guard(qx::win32::KernelLock());
    object->ExitLocked(rc < 0 ? 1u : ExitCode(status));
}

DWORD SpawnError(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case ENOEXEC:
        return ERROR_BAD_EXE_FORMAT;
    default:
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

bool HasFolder(const std::string& name) {
    return name.find('/') != std::string::npos || name.find('\\') != std::string::npos;
}

} // namespace

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation) {
    if (lpProcessInformation == nullptr || lpStartupInfo == nullptr ||
        (lpApplicationName == nullptr && lpCommandLine == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<std::string> args = qx::win32::SplitProcessCommandLine(lpCommandLine ? lpCommandLine : "");
    std::string program = lpApplicationName ? lpApplicationName : (args.empty() ? "" : args[0]);
    if (program.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (args.empty())
        args.push_back(program);
    std::string file =
        HasFolder(program) ? qx::win32::OsPathFromAnsi(program.c_str()) : qx::win32::AnsiToUtf8(program);
    if (file.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::vector<std::string> utf8Args;
    for (const auto& a : args)
        utf8Args.push_back(qx::win32::AnsiToUtf8(a));
    std::vector<char*> argv;
    for (auto& a : utf8Args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (lpCurrentDirectory != nullptr) {
        std::string folder = qx::win32::OsPathFromAnsi(lpCurrentDirectory);
        if (folder.empty() || access(folder.c_str(), X_OK) != 0) {
            posix_spawn_file_actions_destroy(&actions);
            SetLastError(ERROR_DIRECTORY);
            return FALSE;
        }
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    }
    pid_t pid = 0;
    int error = HasFolder(program)
                    ? posix_spawn(&pid, file.c_str(), &actions, nullptr, argv.data(), environ)
                    : posix_spawnp(&pid, file.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        SetLastError(SpawnError(error));
        return FALSE;
    }
    auto object = std::make_shared<ProcessObject>(pid);
    std::thread(Watch, object).detach();
    HANDLE process = qx::win32::InsertHandle(object);
    HANDLE thread = qx::win32::InsertHandle(object);
    if (!process || !thread) {
        if (process)
            qx::win32::RemoveHandle(process);
        if (thread)
            qx::win32::RemoveHandle(thread);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    lpProcessInformation->hProcess = process;
    lpProcessInformation->hThread = thread;
    lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
    lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
    auto object = qx::win32::ReferenceHandleAs<ProcessObject>(hProcess);
    if (!object || lpExitCode == nullptr) {
        SetLastError(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard guard(qx::win32::KernelLock());
    *lpExitCode = object->ExitCodeLocked();
    return TRUE;
}

DWORD WINAPI GetProcessId(HANDLE Process) {
    auto object = qx::win32::ReferenceHandleAs<ProcessObject>(Process);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(object->Pid());
}

UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT) {
    if (lpCmdLine == nullptr)
        return 0;
    std::string line = lpCmdLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 2u : error == ERROR_BAD_EXE_FORMAT ? 11u : 0u;
    }
    qx::win32::RemoveHandle(info.hThread);
    qx::win32::RemoveHandle(info.hProcess);
    return 33;
}
