#include <chrono>
#include <thread>

#include "errhandlingapi.h"
#include "synchapi.h"
#include "wait_core.h"
#include "winerror.h"
#include "winuser_message.h"

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                                    DWORD dwMilliseconds) {
    if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || lpHandles == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    qx::win32::WaitRequest request;
    request.waitAll = bWaitAll != FALSE;
    request.milliseconds = dwMilliseconds;
    if (!qx::win32::ResolveWaitHandles(nCount, lpHandles, request.waitAll, request.objects)) {
        return WAIT_FAILED;
    }
    return qx::win32::WaitForObjects(request);
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll,
                                       DWORD dwMilliseconds, DWORD dwWakeMask) {
    return MsgWaitForMultipleObjectsEx(nCount, pHandles, dwMilliseconds, dwWakeMask,
                                       fWaitAll ? MWMO_WAITALL : 0u);
}

DWORD WINAPI MsgWaitForMultipleObjectsEx(DWORD nCount, const HANDLE* pHandles, DWORD dwMilliseconds,
                                         DWORD dwWakeMask, DWORD dwFlags) {
    constexpr DWORD kKnownFlags = MWMO_WAITALL | MWMO_ALERTABLE | MWMO_INPUTAVAILABLE;
    if (nCount > MAXIMUM_WAIT_OBJECTS - 1 || (nCount != 0 && pHandles == nullptr) ||
        (dwFlags & ~kKnownFlags) != 0 ||
        (dwWakeMask & ~static_cast<DWORD>(QS_ALLINPUT | QS_ALLPOSTMESSAGE)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    qx::win32::WaitRequest request;
    request.waitAll = (dwFlags & MWMO_WAITALL) != 0;
    request.milliseconds = dwMilliseconds;
    request.wakeMask = dwWakeMask;
    request.inputAvailable = (dwFlags & MWMO_INPUTAVAILABLE) != 0;
    if (!qx::win32::ResolveWaitHandles(nCount, pHandles, request.waitAll, request.objects)) {
        return WAIT_FAILED;
    }
    return qx::win32::WaitForObjects(request);
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    if (dwMilliseconds == INFINITE) {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::hours(24));
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}
