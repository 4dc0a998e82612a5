// What the dialog manager keeps for each dialog, attached to its window, and the list of open
// dialogs the UI driver can find from any thread.
#pragma once

#include "qx/win32/dialog_units.h"
#include "qx/win32/ui_driver.h"
#include "wintypes.h"

#include <atomic>
#include <memory>
#include <vector>

namespace qx::win32::dialog {

struct DialogState {
    DialogRequest request; // fixed once the dialog exists
    DialogBaseUnits units;
    std::atomic<bool> ended{false};
    INT_PTR result = 0;
    HWND disabledOwner = nullptr; // the owner a modal dialog disabled, enabled again at its end
    int defaultId = 0;            // 0: none (Enter then means IDOK)
    HWND lastFocus = nullptr;
    bool driverAsked = false;
};

// The state of a dialog made by this manager, or null.
std::shared_ptr<DialogState> StateOf(HWND dialog);

// Open dialogs of every thread, oldest first.
void AddOpenDialog(HWND dialog);
void RemoveOpenDialog(HWND dialog);
std::vector<HWND> OpenDialogs();

// Registers "#32770" (and the control classes) once.
bool RegisterDialogClass();

// The message the manager posts to a dialog once it shows, so the driver acts on it when the
// dialog's thread next takes its messages.
UINT DriverMessage();
// The driver (or, without one, the default button) acts on a shown dialog.
void AskDriver(HWND dialog);

} // namespace qx::win32::dialog
