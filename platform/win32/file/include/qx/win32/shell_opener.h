// What ShellExecuteA does with the file or URL it is given.
//
// Without a hook, a program file is started with the parameters, and anything else is handed
// to the opener: $QX_SHELL_OPENER when set (empty: none), else xdg-open when it is on the
// PATH, else none, in which case the call is only recorded and reported on standard error.
// Programs are started without a shell (posix_spawn with an argument vector).
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "wintypes.h"

namespace qx::win32 {

struct ShellExecuteCall {
    HWND owner = nullptr;
    std::string verb;       // ANSI as given ("" for none)
    std::string file;       // ANSI as given
    std::string parameters; // ANSI as given
    std::string directory;  // ANSI as given
    INT showCommand = 0;
    bool isUrl = false;
    // UTF-8: the URL, or the file system path of the file (drive letters mapped).
    std::string target;
};

class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    // Returns ShellExecuteA's result: greater than 32 on success, else an SE_ERR_ value.
    virtual INT_PTR Open(const ShellExecuteCall& call) = 0;
};

// Installs a hook (null removes it); returns the previous one.
ShellOpener* SetShellOpener(ShellOpener* opener);

// A hook for tests: records every call and answers `result` (42 unless changed).
class RecordingShellOpener : public ShellOpener {
public:
    INT_PTR Open(const ShellExecuteCall& call) override;
    std::vector<ShellExecuteCall> Calls() const;
    void SetResult(INT_PTR result);

private:
    mutable std::mutex lock_;
    std::vector<ShellExecuteCall> calls_;
    INT_PTR result_ = 42;
};

// Splits parameters into arguments by the rules of the system's command lines: blanks
// separate, double quotes group, 2n backslashes before a quote are n backslashes.
std::vector<std::string> SplitCommandLine(std::string_view parameters);

} // namespace qx::win32
