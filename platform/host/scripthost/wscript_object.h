// The WScript object of the script host.
#pragma once

#include <qx/script/event_sink.h>
#include <qx/script/script_engine.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qx::host {

// A write to standard output or standard error that failed; the script stops on it.
struct OutputFailure {
    bool standardError = false;
    int error = 0; // errno
};

struct WScriptContext {
    std::string scriptFullName;
    std::string hostFolder; // WScript.Path: the folder of the scripthost program
    std::vector<std::string> arguments;
    std::ostream* out;
    std::ostream* err;
    script::EventConnections* events;
    script::Activator activator; // for WScript.CreateObject and GetObject
    // The first exception that an event handler did not catch; the script stops on it.
    std::optional<script::ScriptError> eventError;
    std::optional<OutputFailure> outputFailure;
};

// Defines WScript.Echo, StdOut and StdErr (Write, WriteLine), Arguments, Quit, Sleep,
// ScriptFullName, ScriptName, Path, CreateObject, GetObject, ConnectObject and DisconnectObject;
// context must outlive the engine's use of them.
HRESULT DefineWScript(script::ScriptEngine& engine, WScriptContext& context);

// Waits for ms milliseconds while dispatching the thread's messages and posted calls; returns
// early when the engine has been told to stop.
void PumpMessagesFor(script::ScriptEngine& engine, double ms);

} // namespace qx::host
