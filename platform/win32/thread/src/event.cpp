// Events: manual-reset events stay signalled until reset; auto-reset events release one
// waiter and reset themselves.
#include <memory>

#include "errhandlingapi.h"
#include "qx/win32/kernel_object.h"
#include "synchapi.h"
#include "winerror.h"

namespace {

class EventObject : public qx::win32::Waitable {
public:
    EventObject(bool manualReset, bool signaled) : manualReset_(manualReset), signaled_(signaled) {}
    bool IsSignaledLocked() const override { return signaled_; }
    void ConsumeLocked() override {
        if (!manualReset_) {
            signaled_ = false;
        }
    }
    void SetLocked(bool signaled) {
        signaled_ = signaled;
        if (signaled) {
            SignalChangedLocked();
        }
    }

private:
    bool manualReset_;
    bool signaled_;
};

HANDLE CreateUnnamedEvent(BOOL bManualReset, BOOL bInitialState, bool named) {
    // Named events would be shared between processes; no caller needs that here.
    if (named) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    HANDLE handle =
        qx::win32::InsertHandle(std::make_shared<EventObject>(bManualReset != FALSE, bInitialState != FALSE));
    if (!handle) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL ChangeEvent(HANDLE hEvent, bool signaled) {
    auto event = qx::win32::ReferenceHandleAs<EventObject>(hEvent);
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard guard(qx::win32::KernelLock());
    event->SetLocked(signaled);
    return TRUE;
}

} // namespace

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName) {
    return CreateUnnamedEvent(bManualReset, bInitialState, lpName != nullptr && lpName[0] != '\0');
}

HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
    return CreateUnnamedEvent(bManualReset, bInitialState, lpName != nullptr && lpName[0] != u'\0');
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
    return ChangeEvent(hEvent, true);
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
    return ChangeEvent(hEvent, false);
}
