// The live find or replace dialog behind a window that FindText or ReplaceText returned, for
// drivers that press its buttons after the first call (answers scripts, tests).
#pragma once

#include <memory>

#include "qx/win32/ui_requests.h"
#include "wintypes.h"

namespace qx::win32 {

// Null when the window is no find or replace dialog (or is gone).
std::shared_ptr<FindDialogView> FindReplaceDialogOf(HWND dialog);

} // namespace qx::win32
