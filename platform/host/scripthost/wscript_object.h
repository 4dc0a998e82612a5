// The WScript object of the script host.
#pragma once

#include <qx/script/event_sink.h>
#include <qx/script/script_engine.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qx::host {

struct WScriptContext {
    std::string scriptFullName;
    std::vector<std::string> arguments;
    std::ostream* out;
    std::ostream* err;
    script::EventConnections* events;
    // The first exception that an event handler did not catch; the script stops on it.
    std::optional<script::ScriptError> eventError;
};

// Defines WScript.Echo, Arguments, Quit, Sleep, ScriptFullName, StdErr.WriteLine,
// ConnectObject and DisconnectObject; context must outlive the engine's use of them.
HRESULT DefineWScript(script::ScriptEngine& engine, WScriptContext& context);

// Waits for ms milliseconds while dispatching the thread's messages and posted calls; returns
// early when the engine has been told to stop.
void PumpMessagesFor(script::ScriptEngine& engine, double ms);

} // namespace qx::host
