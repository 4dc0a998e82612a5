// Internal: which VARTYPEs a VARIANT may carry, and the size of each element type.
#pragma once

#include "oaidl.h"

namespace qx::com::detail {

// A VARTYPE that a VARIANT may hold by value (no flags).
bool IsValueType(VARTYPE vt);
// A VARTYPE of SAFEARRAY elements and of method parameters by value: a value type other than
// VT_EMPTY and VT_NULL, or VT_VARIANT.
bool IsElementType(VARTYPE vt);
// A VARTYPE a VARIANT may hold at all: a value type, an array of one, or a reference to either.
bool IsValidVariantType(VARTYPE vt);
// Bytes of one element of this type in a SAFEARRAY or behind a VT_BYREF pointer; 0 when not storable.
ULONG ElementSize(VARTYPE vt);

} // namespace qx::com::detail
