#include "wscript_object.h"

#include "script_host.h"

#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <synchapi.h>
#include <winuser_message.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <filesystem>

namespace qx::host {
namespace {

std::string JoinArguments(script::CallContext& call) {
    std::u16string line;
    for (std::size_t i = 0; i < call.ArgCount(); ++i) {
        if (i)
            line += u' ';
        line += call.ArgString(i);
    }
    return com::Utf16ToUtf8(line);
}

// The text of the first argument, "" when there is none.
std::string FirstArgument(script::CallContext& call) {
    return call.ArgCount() > 0 ? com::Utf16ToUtf8(call.ArgString(0)) : std::string();
}

// Writes the text whole or stops the script: output that is lost must not pass for a success.
HRESULT WriteText(WScriptContext& context, script::CallContext& call, bool standardError,
                  const std::string& text) {
    std::ostream& stream = standardError ? *context.err : *context.out;
    errno = 0;
    stream << text << std::flush;
    if (stream)
        return S_OK;
    if (!context.outputFailure)
        context.outputFailure = OutputFailure{standardError, errno != 0 ? errno : EIO};
    call.Engine().Terminate(kExitOutputFailed);
    return S_OK; // the engine stops the script as this call returns
}

HRESULT ArgumentAt(WScriptContext& context, script::CallContext& call) {
    const double index = call.ArgNumber(0);
    if (!(index >= 0 && index < static_cast<double>(context.arguments.size())) || std::trunc(index) != index)
        return DISP_E_BADINDEX;
    const com::Variant value(com::Utf8ToUtf16(context.arguments[static_cast<std::size_t>(index)]));
    return call.SetResult(value);
}

HRESULT ObjectArgument(script::CallContext& call, com::Variant& object) {
    const HRESULT hr = call.ArgVariant(0, &object);
    if (FAILED(hr))
        return hr;
    return object.vt == VT_DISPATCH && object.pdispVal ? S_OK : DISP_E_TYPEMISMATCH;
}

// CreateObject(progId[, prefix]): the object, its events connected to the functions named with the
// prefix when one is given.
HRESULT CreateConnected(WScriptContext& context, script::CallContext& call, std::size_t progIdAt) {
    const std::u16string progId = call.ArgString(progIdAt);
    com::ComPtr<IDispatch> object;
    HRESULT hr = context.activator(progId, &object); // a failure leaves its text as error information
    if (FAILED(hr) || !object)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    if (call.ArgCount() > progIdAt + 1) {
        hr = context.events->Connect(object.Get(), call.ArgString(progIdAt + 1));
        if (FAILED(hr)) {
            call.SetErrorDescription(u"Object is not connectable");
            return hr;
        }
    }
    return call.SetResult(com::Variant(object.Get()));
}

// GetObject(path[, progId[, prefix]]): with an empty path a new object of the class, as Windows
// does. No component here opens files or registers running objects, so nothing else is answered.
HRESULT GetObjectOf(WScriptContext& context, script::CallContext& call) {
    const std::u16string path = call.ArgCount() > 0 ? call.ArgString(0) : u"undefined";
    if (path.empty() && call.ArgCount() > 1)
        return CreateConnected(context, call, 1);
    call.SetErrorDescription(path.empty() || call.ArgCount() == 0
                                 ? u"WScript.GetObject: no running object to attach to"
                                 : u"WScript.GetObject: no class here opens \"" + path + u"\"");
    return MK_E_UNAVAILABLE;
}

// Echo joins its arguments with blanks; Write writes its one argument, WriteLine with a line feed.
struct WriterRow {
    const char* path;
    bool standardError;
    bool joinArguments;
    bool lineFeed;
};

const WriterRow kWriters[] = {
    {"WScript.Echo", false, true, true},
    {"WScript.StdOut.Write", false, false, false},
    {"WScript.StdOut.WriteLine", false, false, true},
    {"WScript.StdErr.Write", true, false, false},
    {"WScript.StdErr.WriteLine", true, false, true},
};

using Member = HRESULT (*)(WScriptContext& context, script::CallContext& call);

struct FunctionRow {
    const char* path;
    Member function;
};

const FunctionRow kFunctions[] = {
    {"WScript.Arguments", ArgumentAt},
    {"WScript.Arguments.Item", ArgumentAt},
    {"WScript.Arguments.Count",
     [](WScriptContext& c, script::CallContext& call) {
         return call.SetResult(com::Variant(static_cast<LONG>(c.arguments.size())));
     }},
    {"WScript.Quit",
     [](WScriptContext&, script::CallContext& call) {
         const double code = call.ArgCount() > 0 ? call.ArgNumber(0) : 0;
         call.Engine().Terminate(std::isfinite(code) ? static_cast<int>(code) : 0);
         return S_OK;
     }},
    {"WScript.Sleep",
     [](WScriptContext&, script::CallContext& call) {
         PumpMessagesFor(call.Engine(), call.ArgNumber(0));
         return S_OK;
     }},
    {"WScript.CreateObject",
     [](WScriptContext& c, script::CallContext& call) { return CreateConnected(c, call, 0); }},
    {"WScript.GetObject", GetObjectOf},
    {"WScript.ConnectObject",
     [](WScriptContext& c, script::CallContext& call) {
         com::Variant object;
         const HRESULT found = ObjectArgument(call, object);
         if (FAILED(found))
             return found;
         const HRESULT connected = c.events->Connect(object.pdispVal, call.ArgString(1));
         if (FAILED(connected))
             call.SetErrorDescription(u"Object is not connectable");
         return connected;
     }},
    {"WScript.DisconnectObject",
     [](WScriptContext& c, script::CallContext& call) {
         com::Variant object;
         const HRESULT found = ObjectArgument(call, object);
         if (FAILED(found))
             return found;
         c.events->Disconnect(object.pdispVal);
         return S_OK;
     }},
};

} // namespace

void PumpMessagesFor(script::ScriptEngine& engine, double ms) {
    using Clock = std::chrono::steady_clock;
    const auto wait = std::chrono::duration<double, std::milli>(std::isfinite(ms) && ms > 0 ? ms : 0);
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(wait);
    for (;;) {
        MSG msg;
        while (!engine.IsTerminated() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const auto now = Clock::now();
        if (engine.IsTerminated() || now >= end)
            return;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count() + 1;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

HRESULT DefineWScript(script::ScriptEngine& engine, WScriptContext& context) {
    WScriptContext* ctx = &context;
    HRESULT hr = S_OK;
    for (const WriterRow& row : kWriters) {
        hr = engine.DefineFunction(row.path, [ctx, row](script::CallContext& call) {
            const std::string text = row.joinArguments ? JoinArguments(call) : FirstArgument(call);
            return WriteText(*ctx, call, row.standardError, row.lineFeed ? text + "\n" : text);
        });
        if (FAILED(hr))
            return hr;
    }
    for (const FunctionRow& row : kFunctions) {
        const Member function = row.function;
        hr = engine.DefineFunction(
            row.path, [ctx, function](script::CallContext& call) { return function(*ctx, call); });
        if (FAILED(hr))
            return hr;
    }
    const std::filesystem::path script(context.scriptFullName);
    const std::pair<const char*, com::Variant> values[] = {
        {"WScript.Arguments.length", com::Variant(static_cast<LONG>(context.arguments.size()))},
        {"WScript.ScriptFullName", com::Variant(com::Utf8ToUtf16(context.scriptFullName))},
        {"WScript.ScriptName", com::Variant(com::Utf8ToUtf16(script.filename().string()))},
        {"WScript.Path", com::Variant(com::Utf8ToUtf16(context.hostFolder))},
    };
    for (const auto& [path, value] : values) {
        hr = engine.DefineValue(path, value);
        if (FAILED(hr))
            return hr;
    }
    return hr;
}

} // namespace qx::host
