// The process's handle table and the base of every kernel object kind. A later kind (a mutex,
// a process, a find handle) derives from KernelObject, or from Waitable when it can be waited
// on, and is entered with InsertHandle; CloseHandle and the waits then work with it unchanged.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "wintypes.h"

namespace qx::win32 {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

struct WaitBlock;

// An object whose signalled state the wait functions test. The state is read and changed
// only with KernelLock() held; whoever makes the object signalled calls SignalChangedLocked.
class Waitable : public KernelObject {
public:
    virtual bool IsSignaledLocked() const = 0;
    // A satisfied wait takes the signal where the kind says so (auto-reset events).
    virtual void ConsumeLocked() {}
    void SignalChangedLocked();

    void AddWaiterLocked(WaitBlock* waiter);
    void RemoveWaiterLocked(WaitBlock* waiter);

private:
    std::vector<WaitBlock*> waiters_;
};

// The one lock behind every signalled state and message queue, so that a wait on several
// objects and a queue sees them all at one moment.
std::mutex& KernelLock();

// Enters an object; the handle keeps it alive until CloseHandle. Returns null when full.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);
// The object behind a handle (null when the handle is not open).
std::shared_ptr<KernelObject> ReferenceHandle(HANDLE handle);
template <class T>
std::shared_ptr<T> ReferenceHandleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(ReferenceHandle(handle));
}
// Drops the handle; false when it was not open.
bool RemoveHandle(HANDLE handle);

} // namespace qx::win32
