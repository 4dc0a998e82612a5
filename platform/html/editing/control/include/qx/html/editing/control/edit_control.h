// The DHTML editing control's classes, served from the platform library to the component file
// that registers them (libqxdhtmled.so): the control, the block-format-names object and the
// table-parameter object.
#pragma once

#include "unknwn.h"
#include "wintypes.h"

namespace qx::html::editing::control {

// The class factory of one of the three classes; CLASS_E_CLASSNOTAVAILABLE for another class.
// `resources` is the component file whose dialogs the control shows.
HRESULT GetEditControlClassObject(REFCLSID clsid, REFIID riid, void** object, HINSTANCE resources);

// Whether objects of the platform library (these classes among them) are still alive.
bool EditControlObjectsAlive();

// For tests of what waits for a designMode reload: while held, a designMode put empties the
// document (no BODY) and the control stays busy; releasing the hold lets every held reload run
// from the message queue.
void HoldDesignModeReloads(bool hold);

} // namespace qx::html::editing::control
