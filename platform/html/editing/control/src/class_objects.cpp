// The class factories the component file hands out, and the platform's side of its lifetime.
#include "qx/html/editing/control/edit_control.h"

#include "dhtml_safe.h"
#include "dhtmled.h"
#include "param_objects.h"

#include "qx/com/object.h"

namespace qx::html::editing::control {

HRESULT GetEditControlClassObject(REFCLSID clsid, REFIID riid, void** object, HINSTANCE resources) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (resources)
        SetDialogResources(resources);
    if (IsEqualCLSID(clsid, CLSID_DHTMLSafe))
        return com::CreateClassFactory(&CreateDhtmlSafe, riid, object);
    if (IsEqualCLSID(clsid, CLSID_DEGetBlockFmtNamesParam))
        return com::CreateClassFactory(&CreateBlockFormatNamesParam, riid, object);
    if (IsEqualCLSID(clsid, CLSID_DEInsertTableParam))
        return com::CreateClassFactory(&CreateInsertTableParam, riid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}

bool EditControlObjectsAlive() {
    return com::ModuleLockCount() != 0;
}

} // namespace qx::html::editing::control
