// The running processes, read from /proc: their ids, a query handle on one, and its image path.
// EnumProcesses lists every process; OpenProcess refuses one whose image this user cannot read
// (another user's, without privilege), so callers skip it as Windows callers skip protected ones.
#pragma once

#include "minwinbase.h"
#include "wintypes.h"

#define PROCESS_VM_READ 0x0010u
#define PROCESS_QUERY_INFORMATION 0x0400u
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000u

// Fills as many process ids as `cb` bytes hold; *lpcbNeeded gets the bytes written (equal to cb
// when the buffer may have been too small, as on Windows).
BOOL WINAPI EnumProcesses(DWORD* lpidProcess, DWORD cb, LPDWORD lpcbNeeded);
// A handle for querying a process. Only the query and read access rights are granted (there is
// nothing to wait on or terminate through it); ERROR_INVALID_PARAMETER for an id that runs no
// process, ERROR_ACCESS_DENIED for one whose image this user cannot read.
HANDLE WINAPI OpenProcess(DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwProcessId);
// The process's executable as a full file system path in the ANSI code page. *lpdwSize holds the
// buffer's size in characters and gets the length written without NUL; ERROR_INSUFFICIENT_BUFFER
// when it does not fit. dwFlags is ignored (there is no native path form).
BOOL WINAPI QueryFullProcessImageNameA(HANDLE hProcess, DWORD dwFlags, LPSTR lpExeName, PDWORD lpdwSize);

#define QueryFullProcessImageName QueryFullProcessImageNameA
