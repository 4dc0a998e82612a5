// Module loader functions of the Win32 API: loading component files, finding their exports and
// their paths. File names of the "A" functions are in the ANSI code page.
#pragma once

#include "wintypes.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// The generic function pointer that callers cast to the export's real type; declared without a
// result so that those casts compile cleanly under -Wextra.
using FARPROC = void (*)();
using PDLLMAIN = BOOL (*)(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved);

HMODULE LoadLibraryA(LPCSTR lpLibFileName);
HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
BOOL FreeLibrary(HMODULE hLibModule);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
HMODULE GetModuleHandleA(LPCSTR lpModuleName);
HMODULE GetModuleHandleW(LPCWSTR lpModuleName);
BOOL DisableThreadLibraryCalls(HMODULE hLibModule);
