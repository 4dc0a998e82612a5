// The script host: runs one script file with WScript, ActiveXObject and event connections.
#pragma once

#include <qx/script/script_engine.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace qx::host {

// Exit statuses besides the script's own WScript.Quit code.
inline constexpr int kExitOk = 0;
inline constexpr int kExitScriptError = 1; // an exception nobody caught
inline constexpr int kExitCannotRun =
    2; // a wrong command line, or the script (or the answers script) could not be read or compiled
inline constexpr int kExitTimedOut = 3;     // the script ran past --timeout and was stopped
inline constexpr int kExitOutputFailed = 4; // standard output or standard error could not be written
inline constexpr int kExitSignalBase = 128; // + the signal that stopped the script (SIGINT 130, SIGTERM 143)

struct HostOptions {
    std::string scriptPath;
    std::vector<std::string> arguments; // UTF-8
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
    // Creates objects for ActiveXObject and WScript.CreateObject; ActivateByProgId when empty.
    script::Activator activator;
    // The script is stopped after this long (0: no limit), as on SIGINT and SIGTERM when
    // stopOnSignals is set (the program sets it; a test that runs the host in-process does not).
    std::chrono::seconds timeout{0};
    bool stopOnSignals = false;
    // An answers script whose handlers answer message boxes and dialogs (answers_driver.h);
    // empty: they get their default buttons and are written to standard error.
    std::string answersPath;
};

int RunScriptHost(const HostOptions& options);

// Creates a class by ProgID, as ActiveXObject does: the classes of this process first (the
// platform's own), then HKEY_CLASSES_ROOT\<ProgID>\CLSID, the class's InprocServer32, its
// DllGetClassObject and class factory. A failure leaves error information that names the class
// and the reason.
HRESULT ActivateByProgId(std::u16string_view progId, IDispatch** object);

} // namespace qx::host
