// The platform's USER control classes ("STATIC", "BUTTON", "EDIT", "COMBOBOX", "LISTBOX").
// They are global classes registered once per process, before the first dialog is made or when
// a program asks for them.
#pragma once

#include <string>

#include "wintypes.h"

namespace qx::win32 {

// Registers the control classes once; later calls do nothing. False when the window system
// refused one.
bool RegisterControlClasses();

// What a person does to a combo or list box beyond what messages can say: picks an item, double
// clicks one, or types a new text into a combo box's edit field. Sent as
// SendMessageA(control, ControlActionMessage(), action, argument); the control changes its
// state and tells its parent with the notifications a screen click or typing would give.
enum class ControlAction : WPARAM {
    PickItem = 1,    // argument: the item's index
    DoubleClickItem, // argument: the item's index
    ReplaceEditText, // argument: const char* ANSI text
};
UINT ControlActionMessage();

} // namespace qx::win32
