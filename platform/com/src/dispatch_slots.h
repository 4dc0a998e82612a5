// The vtable-order check made when a declaration is registered.
#pragma once

#include "qx/com/dispatch_decl.h"

namespace qx::com::detail {

// True, with the fault on standard error, when a dual declaration's members do not sit at their
// vtable slots: the registration refuses it.
bool RefuseMisplacedSlots(const DispInterface& decl);

} // namespace qx::com::detail
