// Enumerators over a snapshot taken when they are made: IEnumVARIANT (collections' _NewEnum),
// IEnumConnections, IEnumConnectionPoints, IEnumUnknown. Clones share the snapshot and start at
// the clone's position.
#pragma once

#include "objidl.h"
#include "ocidl.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"

#include <vector>

namespace qx::com {

// The caller's VARIANTs are copied; the enumerator hands out further copies.
HRESULT CreateEnumVariant(std::vector<Variant> items, IEnumVARIANT** out);
HRESULT CreateEnumConnections(std::vector<CONNECTDATA> items, IEnumConnections** out); // adds references
HRESULT CreateEnumConnectionPoints(std::vector<ComPtr<IConnectionPoint>> items, IEnumConnectionPoints** out);
HRESULT CreateEnumUnknown(std::vector<ComPtr<IUnknown>> items, IEnumUnknown** out);

} // namespace qx::com
