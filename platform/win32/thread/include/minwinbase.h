// Structures shared by the kernel object, file and thread functions.
#pragma once

#include "wintypes.h"

// SECURITY_ATTRIBUTES comes with the base types.

// Only synchronous I/O exists here; the structure is declared so that the documented
// signatures can be kept, and a non-null one is refused.
struct OVERLAPPED {
    ULONG_PTR Internal;
    ULONG_PTR InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;

using PTHREAD_START_ROUTINE = DWORD(WINAPI*)(LPVOID lpThreadParameter);
using LPTHREAD_START_ROUTINE = PTHREAD_START_ROUTINE;

#define STILL_ACTIVE 259L
