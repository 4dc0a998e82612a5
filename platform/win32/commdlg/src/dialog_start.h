// What every common dialog checks before it is shown, and the line it leaves on standard error
// when there is no UI driver to show it.
#pragma once

#include <string>

#include "qx/win32/ui_driver.h"
#include "wintypes.h"

namespace qx::win32 {

// The driver, after the structure's size and hook were found sound; null (with the extended
// error set) when the dialog cannot start or nobody is there to answer it.
UiDriver* StartDialog(const char* function, const std::string& title, bool sizeOk, bool hookFlag,
                      const void* hook);

} // namespace qx::win32
