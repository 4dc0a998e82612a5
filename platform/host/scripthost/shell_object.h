// "WScript.Shell" as far as the script host offers it: the working directory
// (CurrentDirectory, read and written). Its other members (Run, Popup, RegRead, the special
// folders, the environment) are not offered.
#pragma once

#include <oaidl.h>

namespace qx::host {

// Makes "WScript.Shell" creatable in this process; each success needs its RevokeShellClass.
HRESULT RegisterShellClass();
void RevokeShellClass();

} // namespace qx::host
