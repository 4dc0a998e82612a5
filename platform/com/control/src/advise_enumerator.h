// The IEnumSTATDATA of a control's advise sinks: a snapshot holding a reference on each sink.
#pragma once

#include "objidl_ole.h"

#include <vector>

namespace qx::com::control {

HRESULT CreateStatDataEnumerator(const std::vector<STATDATA>& items, IEnumSTATDATA** enumerator);

} // namespace qx::com::control
