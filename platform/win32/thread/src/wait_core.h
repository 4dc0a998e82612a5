// The one wait loop behind WaitForSingleObject, WaitForMultipleObjects and
// MsgWaitForMultipleObjects(Ex).
#pragma once

#include <memory>
#include <vector>

#include "qx/win32/kernel_object.h"

namespace qx::win32 {

struct WaitRequest {
    std::vector<std::shared_ptr<Waitable>> objects;
    bool waitAll = false;
    DWORD milliseconds = 0;
    // Queue input that ends the wait (0: the queue is not looked at).
    DWORD wakeMask = 0;
    // Any matching input in the queue counts, not only input that arrived since the thread
    // last looked at its queue.
    bool inputAvailable = false;
};

// WAIT_OBJECT_0 + i, WAIT_OBJECT_0 + objects.size() for queue input, or WAIT_TIMEOUT.
DWORD WaitForObjects(const WaitRequest& request);

// Turns handles into waitable objects; false (last error set) when one is not waitable or,
// for a wait on all of them, when one appears twice.
bool ResolveWaitHandles(DWORD count, const HANDLE* handles, bool waitAll,
                        std::vector<std::shared_ptr<Waitable>>& objects);

} // namespace qx::win32
