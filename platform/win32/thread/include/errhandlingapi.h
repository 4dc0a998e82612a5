// The calling thread's last-error code.
#pragma once

#include "wintypes.h"

DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD dwErrCode);
