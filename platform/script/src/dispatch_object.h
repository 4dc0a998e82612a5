// IDispatch objects as script objects: a Proxy over a native function, so that property reads
// and writes reach GetIDsOfNames + Invoke by name and the object itself can be called
// (`coll(0)` runs DISPID_VALUE). The proxy holds one reference, released by its finalizer.
#pragma once

#include "engine_core.h"

#include <vector>

#include <qx/com/variant.h>

namespace qx::script {

void PushDispatch(EngineCore& core, IDispatch* dispatch);

// The IDispatch behind a wrapped object at index (no reference added); null for other values.
IDispatch* WrappedDispatch(duk_context* ctx, duk_idx_t index);

// Invokes member `dispid` with the script values at [first, first + count) as arguments and
// pushes the result; throws the script exception for a failure.
void InvokeAndPush(EngineCore& core, IDispatch* dispatch, DISPID dispid, WORD flags, duk_idx_t first,
                   duk_idx_t count);

// Invokes with arguments already converted (in call order); throws for a failure.
void InvokeOrThrow(duk_context* ctx, IDispatch* dispatch, DISPID dispid, WORD flags,
                   std::vector<com::Variant>& args, VARIANT* result);

} // namespace qx::script
