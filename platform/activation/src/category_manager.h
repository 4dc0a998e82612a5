#pragma once

#include "comcat.h"

namespace qx::activation {

// The class object of CLSID_StdComponentCategoriesMgr, as riid.
HRESULT GetCategoryManagerClassObject(REFIID riid, LPVOID* ppv);

} // namespace qx::activation
