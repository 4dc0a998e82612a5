// The script host: runs one script file with WScript, ActiveXObject and event connections.
#pragma once

#include <qx/script/script_engine.h>

#include <ostream>
#include <string>
#include <vector>

namespace qx::host {

// Exit statuses besides the script's own WScript.Quit code.
inline constexpr int kExitOk = 0;
inline constexpr int kExitScriptError = 1; // an exception nobody caught
inline constexpr int kExitCannotRun = 2;   // the script could not be read or compiled

struct HostOptions {
    std::string scriptPath;
    std::vector<std::string> arguments; // UTF-8
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
    // Creates objects for ActiveXObject; ActivateByProgId when empty.
    script::Activator activator;
};

int RunScriptHost(const HostOptions& options);

// Creates a registered class by ProgID: HKEY_CLASSES_ROOT\<ProgID>\CLSID, the class's
// InprocServer32, its DllGetClassObject and class factory.
HRESULT ActivateByProgId(std::u16string_view progId, IDispatch** object);

} // namespace qx::host
