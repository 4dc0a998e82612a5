// Global memory: the blocks that clipboard data (and other handed-over data) travels in.
#pragma once

#include "wintypes.h"

#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

// A block of uBytes; a moveable block's handle is not its address (GlobalLock gives that), a fixed
// block's is. Null with ERROR_NOT_ENOUGH_MEMORY, or ERROR_INVALID_PARAMETER for other flags.
HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
// The block's address (a moveable block counts its locks); null with ERROR_INVALID_HANDLE for a
// handle GlobalAlloc did not give.
LPVOID WINAPI GlobalLock(HGLOBAL hMem);
// FALSE once the last lock is gone (last error NO_ERROR), TRUE while locks remain.
BOOL WINAPI GlobalUnlock(HGLOBAL hMem);
// The size asked for at allocation; 0 for an unknown handle.
SIZE_T WINAPI GlobalSize(HGLOBAL hMem);
// Null when freed; an unknown handle is returned unchanged with ERROR_INVALID_HANDLE.
HGLOBAL WINAPI GlobalFree(HGLOBAL hMem);
