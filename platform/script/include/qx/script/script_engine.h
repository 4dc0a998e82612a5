// ScriptEngine: one JavaScript engine (ES5) whose script reaches Automation objects by name.
// Any IDispatch handed to script becomes a script object (properties, methods, DISPID_VALUE
// calls, `new Enumerator(coll)`), script functions and objects handed to a component become
// IDispatch objects, and failed HRESULTs become catchable exceptions with `number` and
// `description`. An engine is used only on the thread that created it.
#pragma once

#include "qx/script/call_context.h"

#include <oaidl.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace qx::script {

struct EngineCore;

// What stopped a script, with its place when known.
struct ScriptError {
    HRESULT number = S_OK; // the error as an HRESULT (JScript-style codes for script errors)
    std::string message;   // UTF-8
    std::string fileName;
    int line = 0;        // 1-based; 0 when unknown
    bool syntax = false; // the script did not compile
};

enum class RunResult {
    Completed,  // ran to its end
    Failed,     // an exception nobody caught, or the script did not compile (error.syntax)
    Terminated, // Terminate() was called (WScript.Quit); ExitCode() holds its code
    TimedOut,   // ran past the time budget (running out of memory is an ordinary error)
};

struct EngineLimits {
    std::chrono::milliseconds timeBudget{0}; // per top-level entry; 0 = no limit
    std::size_t memoryLimit = 0;             // bytes of engine heap; 0 = no limit
};

// Creates a registered class by ProgID for `new ActiveXObject(progId)`.
using Activator = std::function<HRESULT(std::u16string_view progId, IDispatch** object)>;

class ScriptEngine {
public:
    explicit ScriptEngine(EngineLimits limits = {});
    ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    // Compiles and runs UTF-8 source text as a global program.
    RunResult Run(std::string_view sourceUtf8, std::string_view fileName, ScriptError* error);

    // Calls the global function `name` with args (in call order). *found is false when no such
    // function exists (and S_OK is returned). An uncaught exception gives its number and fills
    // error. E_ABORT after Terminate() or when the budget ran out.
    HRESULT CallGlobal(std::u16string_view name, const VARIANT* args, std::size_t argCount, VARIANT* result,
                       bool* found, ScriptError* error);

    // Reads a global variable as a VARIANT.
    HRESULT GetGlobal(std::u16string_view name, VARIANT* value);

    // Defines a native function or a value at a dotted path ("WScript.StdErr.WriteLine"); the
    // objects along the path are created when missing. A function defined on a path can carry
    // further members below it ("WScript.Arguments" callable, "WScript.Arguments.length").
    HRESULT DefineFunction(std::string_view path, NativeFunction function);
    HRESULT DefineValue(std::string_view path, const VARIANT& value);

    // Installs the global ActiveXObject constructor that creates objects through `activator`.
    void SetActivator(Activator activator);

    // Stops the running script as soon as control returns to the engine: no catch or finally
    // block of the script runs any more. Run() then gives RunResult::Terminated. Any thread may
    // call it (a watcher that enforces a time limit); the first call wins and gives true, and its
    // code is ExitCode(). A native call in progress is not interrupted: the script stops when it
    // returns.
    bool Terminate(int exitCode);
    bool IsTerminated() const;
    int ExitCode() const;

    // Runs a full garbage collection (finalizers release the objects script no longer reaches).
    void CollectGarbage();

    bool OnOwnerThread() const;
    // The shared state that IDispatch objects made by this engine keep alive.
    const std::shared_ptr<EngineCore>& Core() const { return core_; }

private:
    std::shared_ptr<EngineCore> core_;
};

} // namespace qx::script
