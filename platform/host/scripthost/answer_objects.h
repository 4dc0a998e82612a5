// The script objects an answers script's handlers receive: a message box (read-only) and the
// live view of a dialog, whose methods act on it as a person would.
#pragma once

#include <qx/win32/dialog_view.h>
#include <qx/win32/ui_driver.h>

#include <oaidl.h>

namespace qx::host {

HRESULT CreateAnswerMessageBox(const win32::MessageBoxCall& call, IDispatch** object);
HRESULT CreateAnswerDialog(HWND dialog, IDispatch** object);

// A message box button by its name, without regard to case ("ok", "Try Again"); 0 for none.
int ButtonId(std::u16string_view name);

} // namespace qx::host
