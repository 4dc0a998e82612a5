// Values between script and Automation.
#pragma once

#include "engine_core.h"

namespace qx::script {

// Pushes the script form of value: numbers, strings, booleans, null/undefined, Date for
// VT_DATE, a script object for VT_DISPATCH (the original script value for one of our own
// wrappers), a VBArray for SAFEARRAYs; by-reference values are read through.
void PushVariant(EngineCore& core, const VARIANT& value);

// Converts the script value at index: integral numbers in range become VT_I4, other numbers
// VT_R8; strings VT_BSTR; booleans VT_BOOL; null VT_NULL; undefined VT_EMPTY; Date VT_DATE;
// VBArray its SAFEARRAY; wrapped Automation objects their IDispatch; other objects and
// functions an IDispatch over the script value.
HRESULT ToVariant(EngineCore& core, duk_idx_t index, VARIANT* value);

// Local-time Date parts and OLE dates (days since 30 December 1899, time as the fraction).
double LocalMillisecondsToDate(double localMs);
double DateToLocalMilliseconds(double date);

} // namespace qx::script
