// CallContext: what a native function defined with ScriptEngine::DefineFunction sees of its call.
#pragma once

#include <oaidl.h>

#include <cstddef>
#include <functional>
#include <string>

namespace qx::script {

class ScriptEngine;

class CallContext {
public:
    virtual ~CallContext() = default;
    virtual std::size_t ArgCount() const = 0;
    // The argument as ECMAScript ToString gives it ("undefined" past the end).
    virtual std::u16string ArgString(std::size_t index) const = 0;
    virtual double ArgNumber(std::size_t index) const = 0;
    // The argument converted to a VARIANT (VT_EMPTY past the end).
    virtual HRESULT ArgVariant(std::size_t index, VARIANT* value) const = 0;
    // The value the call returns to script (undefined when never set).
    virtual HRESULT SetResult(const VARIANT& value) = 0;
    // Text for the exception thrown when the function returns a failed HRESULT; without one, the
    // description of the thread's error information that the call left, if any.
    virtual void SetErrorDescription(std::u16string description) = 0;
    virtual ScriptEngine& Engine() const = 0;
};

// A failed HRESULT becomes a script exception carrying it as `number`.
using NativeFunction = std::function<HRESULT(CallContext& call)>;

} // namespace qx::script
