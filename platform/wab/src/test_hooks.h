// Faults the tests can ask for, and the count of buffers not yet freed.
#pragma once

#include "wintypes.h"

#include <atomic>

namespace qx::wab {

// Whether this call is to fail (each hook fires once).
bool TakeContentsTableFault();
bool TakeMailUserOpenFault();
bool TakeSaveFault();

std::atomic<long>& OutstandingBuffers();

} // namespace qx::wab
