// VBArray: script's view of a SAFEARRAY (`new VBArray(x).toArray()`, dimensions, lbound,
// ubound, getItem), and Enumerator over a collection's DISPID_NEWENUM.
#pragma once

#include "engine_core.h"

namespace qx::script {

// Pushes a VBArray holding a copy of array (null gives an empty one-dimensional array).
void PushVBArray(EngineCore& core, SAFEARRAY* array);
// The SAFEARRAY of a VBArray at index (still owned by it); null for other values.
SAFEARRAY* WrappedSafeArray(duk_context* ctx, duk_idx_t index);

void DefineVBArray(duk_context* ctx);
void DefineEnumerator(duk_context* ctx);

} // namespace qx::script
