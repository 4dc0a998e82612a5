// The system's message table: the English text of each Win32 error code it knows.
#pragma once

#include "wintypes.h"

namespace qx::win32 {

// The text, ending in "\r\n"; null for a code without one.
const char* SystemMessageText(DWORD code);

} // namespace qx::win32
