// Script values as IDispatch: a function answers DISPID_VALUE by running (event handlers,
// callbacks), an object answers GetIDsOfNames and Invoke for its own properties. The value is
// kept in the engine's stash while a component holds the wrapper.
#pragma once

#include "engine_core.h"

namespace qx::script {

HRESULT CreateScriptDispatch(EngineCore& core, duk_idx_t index, IDispatch** dispatch);

// When dispatch is one of this engine's wrappers, pushes the script value it stands for.
bool PushScriptValueOf(EngineCore& core, IDispatch* dispatch);

} // namespace qx::script
