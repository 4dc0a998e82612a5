// Script exceptions from HRESULTs and back.
#pragma once

#include "qx/script/script_engine.h"

#include <duktape.h>

#include <string>
#include <string_view>

namespace qx::script {

// JScript's numbers for errors that the script itself raises.
inline constexpr HRESULT kErrSyntax = static_cast<HRESULT>(0x800A03EA);
inline constexpr HRESULT kErrObjectExpected = static_cast<HRESULT>(0x800A138F);
inline constexpr HRESULT kErrUndefined = static_cast<HRESULT>(0x800A1391);
inline constexpr HRESULT kErrNotCaught = static_cast<HRESULT>(0x800A139E);
inline constexpr HRESULT kErrCantCreate = static_cast<HRESULT>(0x800A01AD);

// A short text for an HRESULT that came without one.
std::u16string DescribeHresult(HRESULT hr);

// Throws an Error whose `number` is hr (signed 32-bit) and whose `description` and `message`
// are the description (DescribeHresult(hr) when empty).
[[noreturn]] void ThrowHresult(duk_context* ctx, HRESULT hr, std::u16string_view description = {});

// Throws for a failed IDispatch::Invoke, taking the text from the exception information or
// the thread's error object.
[[noreturn]] void ThrowInvokeFailure(duk_context* ctx, HRESULT hr, EXCEPINFO& info);

// Clears the thread's error object before a call whose failure we may describe.
void ClearErrorInfo();
// The description of the thread's error object (taken and cleared), empty when there is none.
std::u16string TakeErrorDescription();

// Describes the value thrown at index: its number (or the JScript code of its kind), message
// and line.
void ReadThrownValue(duk_context* ctx, duk_idx_t index, ScriptError* error);

} // namespace qx::script
