// Starting programs: CreateProcessA splits the command line by the Windows rules and starts the
// program directly (no shell); the process handle is signalled when the program ends and then
// gives its exit code. WaitForSingleObject and CloseHandle work on it as on any handle.
#pragma once

#include "minwinbase.h"
#include "wintypes.h"

#define NORMAL_PRIORITY_CLASS 0x00000020u
#define CREATE_NEW_CONSOLE 0x00000010u
#define CREATE_NO_WINDOW 0x08000000u
#define DETACHED_PROCESS 0x00000008u
#define STARTF_USESHOWWINDOW 0x00000001u

struct STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};
using LPSTARTUPINFOA = STARTUPINFOA*;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// The program is lpApplicationName when given, else the first word of the command line; a name
// without a folder is looked for on the search path. The environment block, window flags and
// inheritance are not used: the child gets the caller's environment and standard streams.
// hThread is a second handle on the process (there are no thread objects of other processes).
BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                           LPSECURITY_ATTRIBUTES lpProcessAttributes,
                           LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                           DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation);
// STILL_ACTIVE until the process has ended.
BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);
DWORD WINAPI GetProcessId(HANDLE Process);

// Starts a command line and does not wait; above 31 on success, else an error below 32.
UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT uCmdShow);

#define CreateProcess CreateProcessA
#define STARTUPINFO STARTUPINFOA
#define LPSTARTUPINFO LPSTARTUPINFOA
