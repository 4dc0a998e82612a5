// Threads of the process.
#pragma once

#include "minwinbase.h"
#include "wintypes.h"

#define CREATE_SUSPENDED 0x00000004u
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000u

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                           LPDWORD lpThreadId);
DWORD WINAPI GetCurrentThreadId();
BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
