// Threads started by CreateThread: a thread object (signalled when the thread has ended,
// holding its exit code) and a thread state registered before the thread runs, so that its id
// takes posted messages from the moment CreateThread returns.
#include <pthread.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "errhandlingapi.h"
#include "processthreadsapi.h"
#include "qx/win32/kernel_object.h"
#include "thread_state.h"
#include "winerror.h"

namespace {

class ThreadObject : public qx::win32::Waitable {
public:
    explicit ThreadObject(DWORD id) : id_(id) {}
    bool IsSignaledLocked() const override { return exited_; }
    void ExitLocked(DWORD code) {
        exitCode_ = code;
        exited_ = true;
        SignalChangedLocked();
    }
    DWORD ExitCodeLocked() const { return exited_ ? exitCode_ : static_cast<DWORD>(STILL_ACTIVE); }
    DWORD Id() const { return id_; }

private:
    DWORD id_;
    bool exited_ = false;
    DWORD exitCode_ = 0;
};

struct StartBlock {
    std::shared_ptr<ThreadObject> object;
    std::shared_ptr<qx::win32::ThreadState> state;
    LPTHREAD_START_ROUTINE routine;
    LPVOID parameter;
};

void* ThreadMain(void* raw) {
    std::unique_ptr<StartBlock> start(static_cast<StartBlock*>(raw));
    qx::win32::AdoptThreadState(start->state);
    DWORD code = start->routine(start->parameter);
    qx::win32::EndCurrentThreadState();
    std::lock_guard guard(qx::win32::KernelLock());
    start->object->ExitLocked(code);
    return nullptr;
}

// Stacks are at least 1 MiB, the size a thread gets by default on the original system.
constexpr SIZE_T kMinimumStack = 1u << 20;

} // namespace

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T dwStackSize, LPTHREAD_START_ROUTINE lpStartAddress,
                           LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) {
    if (lpStartAddress == nullptr ||
        (dwCreationFlags & ~static_cast<DWORD>(STACK_SIZE_PARAM_IS_A_RESERVATION)) != 0) {
        // Suspended creation has no user here.
        SetLastError((dwCreationFlags & CREATE_SUSPENDED) ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto state = qx::win32::NewThreadState();
    auto object = std::make_shared<ThreadObject>(state->id);
    HANDLE handle = qx::win32::InsertHandle(object);
    if (!handle) {
        qx::win32::EndThreadState(state);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* start = new StartBlock{object, state, lpStartAddress, lpParameter};

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    SIZE_T stack = std::max(dwStackSize, kMinimumStack);
    stack = (stack + 0xFFFF) & ~static_cast<SIZE_T>(0xFFFF);
    pthread_attr_setstacksize(&attributes, stack);
    pthread_t thread;
    int error = pthread_create(&thread, &attributes, ThreadMain, start);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        delete start;
        qx::win32::RemoveHandle(handle);
        // The state was registered for a thread that never ran.
        qx::win32::EndThreadState(state);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (lpThreadId) {
        *lpThreadId = object->Id();
    }
    SetLastError(ERROR_SUCCESS);
    return handle;
}

DWORD WINAPI GetCurrentThreadId() {
    return qx::win32::CurrentThreadState()->id;
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
    auto object = qx::win32::ReferenceHandleAs<ThreadObject>(hThread);
    if (!object || lpExitCode == nullptr) {
        SetLastError(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard guard(qx::win32::KernelLock());
    *lpExitCode = object->ExitCodeLocked();
    return TRUE;
}
