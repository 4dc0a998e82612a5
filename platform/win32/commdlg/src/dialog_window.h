// The windows the common dialogs show: a private dialog class whose procedure is the caller's
// hook (kept in the DWLP_DLGPROC slot), with the default handling behind it as a dialog has.
#pragma once

#include <string>

#include "wintypes.h"

namespace qx::win32 {

using CommonDialogHook = UINT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

// A top-level dialog window owned by `owner` (WS_POPUP | WS_CAPTION), or with `child` a child
// window of it; null when the window system refuses.
HWND CreateCommonDialogWindow(HWND owner, const std::u16string& title, CommonDialogHook hook,
                              bool child = false);

} // namespace qx::win32
