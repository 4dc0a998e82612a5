// The extended error of the common dialogs, kept per thread.
#pragma once

#include "wintypes.h"

namespace qx::win32 {

void SetCommDlgError(DWORD error);

} // namespace qx::win32
