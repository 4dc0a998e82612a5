// The DHTML editing control (safe for scripting): a full ActiveX control on the control
// framework over one edited document at a time, shown in its document-view window.
#pragma once

#include "unknwn.h"
#include "wintypes.h"

namespace qx::html::editing::control {

HRESULT CreateDhtmlSafe(IUnknown* outer, REFIID riid, void** object);

// The component file whose dialogs the controls show (set before the first control is made).
void SetDialogResources(HINSTANCE resources);
HINSTANCE DialogResources();

} // namespace qx::html::editing::control
