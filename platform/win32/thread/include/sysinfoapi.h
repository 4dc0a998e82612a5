// Milliseconds since the system started (wraps after 49.7 days).
#pragma once

#include "wintypes.h"

DWORD WINAPI GetTickCount();
