// Text for the debugger: written to standard error, or to the hook of qx/win32/debug_output.h.
#pragma once

#include "wintypes.h"

void WINAPI OutputDebugStringA(LPCSTR lpOutputString);
void WINAPI OutputDebugStringW(LPCWSTR lpOutputString);

#define OutputDebugString OutputDebugStringA
