// Local memory: fixed blocks, as FormatMessageA's allocated texts are handed out.
#pragma once

#include "wintypes.h"

using HLOCAL = void*;

#define LMEM_FIXED 0x0000u
#define LMEM_ZEROINIT 0x0040u
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

// A fixed block (its handle is its address); null with ERROR_NOT_ENOUGH_MEMORY, and null with
// ERROR_INVALID_PARAMETER for flags other than LMEM_FIXED and LMEM_ZEROINIT.
HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes);
// Null when the block was freed (or hMem was null); a handle that LocalAlloc did not give is
// returned unchanged with ERROR_INVALID_HANDLE and nothing is freed.
HLOCAL WINAPI LocalFree(HLOCAL hMem);
