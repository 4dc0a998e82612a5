// The script objects an answers script's handlers receive: a message box, a pop-up menu, a file
// or color dialog's request (all read-only), and the live views of a dialog and of a find or
// replace dialog, whose methods act on them as a person would.
#pragma once

#include <qx/win32/dialog_view.h>
#include <qx/win32/ui_driver.h>

#include <oaidl.h>

#include <memory>

namespace qx::host {

HRESULT CreateAnswerMessageBox(const win32::MessageBoxCall& call, IDispatch** object);
HRESULT CreateAnswerDialog(HWND dialog, IDispatch** object);
HRESULT CreateAnswerMenu(const win32::MenuRequest& request, IDispatch** object);
HRESULT CreateAnswerFileDialog(const win32::FileDialogRequest& request, IDispatch** object);
HRESULT CreateAnswerFind(std::weak_ptr<win32::FindDialogView> dialog, IDispatch** object);
HRESULT CreateAnswerColorDialog(const win32::ColorDialogRequest& request, IDispatch** object);
HRESULT CreateAnswerPrintDialog(const win32::PrintDialogRequest& request, IDispatch** object);

// A message box button by its name, without regard to case ("ok", "Try Again"); 0 for none.
int ButtonId(std::u16string_view name);

} // namespace qx::host
