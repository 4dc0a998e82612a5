// The version of the running system as the components ask for it. The answer is fixed: the
// NT platform, version 5.1 build 2600 (the Windows XP line the components were written for),
// so version checks take their NT branch.
#pragma once

#include "wintypes.h"

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2
#define VER_NT_WORKSTATION 0x0000001

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
using LPOSVERSIONINFOA = OSVERSIONINFOA*;

struct OSVERSIONINFOEXA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};

// dwOSVersionInfoSize must be the size of OSVERSIONINFOA or OSVERSIONINFOEXA, else the call
// fails with ERROR_INSUFFICIENT_BUFFER and fills nothing.
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);
// LOWORD: major in the low byte, minor in the high byte; bit 31 clear for the NT platform.
DWORD WINAPI GetVersion();

#define GetVersionEx GetVersionExA
#define OSVERSIONINFO OSVERSIONINFOA
