// Kestrum's type library, kestrum::kKestrumLibrary: described with the interfaces it holds in
// script_utilities/classes/kestrum_interfaces.qxidl.
#pragma once

#include "kestrum_interfaces.h"
