// Registration of the common control classes, for platform pieces that create controls before
// any component has called InitCommonControls (the dialog manager, the tests).
#pragma once

#include "wintypes.h"

namespace qx::win32::commctrl {

// Registers the classes of the ICC_ bits given, and the rich edit classes.
void RegisterCommonControlClasses(DWORD classes);

} // namespace qx::win32::commctrl
