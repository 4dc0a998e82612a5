// A new random (version 4) GUID for MiscFunc.GetGUID.
#pragma once

#include <guiddef.h>
#include <winerror.h>

HRESULT CreateNewGuid(GUID* guid);
