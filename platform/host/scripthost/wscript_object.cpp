#include "wscript_object.h"

#include <qx/com/bstr.h>
#include <qx/com/variant.h>
#include <synchapi.h>
#include <winuser_message.h>

#include <chrono>
#include <cmath>

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

HRESULT ArgumentAt(const WScriptContext& context, script::CallContext& call) {
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
    HRESULT hr = engine.DefineFunction("WScript.Echo", [ctx](script::CallContext& call) {
        *ctx->out << JoinArguments(call) << '\n' << std::flush;
        return S_OK;
    });
    if (SUCCEEDED(hr))
        hr = engine.DefineFunction("WScript.StdErr.WriteLine", [ctx](script::CallContext& call) {
            *ctx->err << com::Utf16ToUtf8(call.ArgString(0)) << '\n' << std::flush;
            return S_OK;
        });
    if (SUCCEEDED(hr))
        hr = engine.DefineFunction("WScript.Arguments",
                                   [ctx](script::CallContext& call) { return ArgumentAt(*ctx, call); });
    if (SUCCEEDED(hr))
        hr = engine.DefineFunction("WScript.Arguments.Item",
                                   [ctx](script::CallContext& call) { return ArgumentAt(*ctx, call); });
    if (SUCCEEDED(hr))
        hr = engine.DefineFunction("WScript.Arguments.Count", [ctx](script::CallContext& call) {
            return call.SetResult(com::Variant(static_cast<LONG>(ctx->arguments.size())));
        });
    if (SUCCEEDED(hr))
        hr = engine.DefineValue("WScript.Arguments.length",
                                com::Variant(static_cast<LONG>(context.arguments.size())));
    if (SUCCEEDED(hr))
        hr = engine.DefineValue("WScript.ScriptFullName",
                                com::Variant(com::Utf8ToUtf16(context.scriptFullName)));
    if (SUCCEEDED(hr))
        hr = engine.DefineFunction("WScript.Quit", [](script::CallContext& call) {
            const double code = call.ArgCount() > 0 ? call.ArgNumber(0) : 0;
            call.Engine().Terminate(std::isfinite(code) ? static_cast<int>(code) : 0);
            return S_OK;
        });
    if (SUCCEEDED(hr))
        hr = engine.DefineFunction("WScript.Sleep", [](script::CallContext& call) {
            PumpMessagesFor(call.Engine(), call.ArgNumber(0));
            return S_OK;
        });
    if (SUCCEEDED(hr))
        hr = engine.DefineFunction("WScript.ConnectObject", [ctx](script::CallContext& call) {
            com::Variant object;
            const HRESULT found = ObjectArgument(call, object);
            if (FAILED(found))
                return found;
            const HRESULT connected = ctx->events->Connect(object.pdispVal, call.ArgString(1));
            if (FAILED(connected))
                call.SetErrorDescription(u"Object is not connectable");
            return connected;
        });
    if (SUCCEEDED(hr))
        hr = engine.DefineFunction("WScript.DisconnectObject", [ctx](script::CallContext& call) {
            com::Variant object;
            const HRESULT found = ObjectArgument(call, object);
            if (FAILED(found))
                return found;
            ctx->events->Disconnect(object.pdispVal);
            return S_OK;
        });
    return hr;
}

} // namespace qx::host
