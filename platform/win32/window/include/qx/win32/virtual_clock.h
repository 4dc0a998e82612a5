// A clock for deterministic tests: while installed it is the clock behind GetTickCount (and so
// of timers and MSG.time), and it moves only when told.
#pragma once

#include "wintypes.h"

namespace qx::win32 {

// Installs the virtual clock at `start` milliseconds.
void InstallVirtualClock(DWORD start = 0);
// Gives GetTickCount back to the real clock.
void RemoveVirtualClock();
bool VirtualClockInstalled();
// Moves the virtual clock forward and wakes threads waiting for a timer.
void AdvanceVirtualClock(DWORD milliseconds);

// When the earliest timer of the thread is due, on the GetTickCount clock; false when the
// thread has no timer.
bool NextTimerDue(DWORD threadId, DWORD* due);

} // namespace qx::win32
