// The old browser's safety questions to a control: IObjectSafety for the interface it is about
// to use, else the class's registered component categories.
#include "qx/html/browser/page_objects.h"

#include <objbase.h>
#include <objsafe.h>
#include <winreg.h>

#include <string>

namespace qx::html::browser {
namespace {

std::u16string GuidText(REFGUID guid) {
    WCHAR text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

bool RegisteredInCategory(REFCLSID clsid, REFGUID category) {
    const std::u16string key =
        u"CLSID\\" + GuidText(clsid) + u"\\Implemented Categories\\" + GuidText(category);
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

} // namespace

bool ControlIsSafe(IUnknown* control, REFCLSID clsid, REFIID iid, DWORD option, REFGUID category) {
    if (!control)
        return false;
    com::ComPtr<IObjectSafety> safety = com::ComPtr<IObjectSafety>::QueryFrom(control);
    if (!safety)
        return RegisteredInCategory(clsid, category);
    DWORD supported = 0, enabled = 0;
    if (FAILED(safety->GetInterfaceSafetyOptions(iid, &supported, &enabled)) || !(supported & option))
        return false;
    return SUCCEEDED(safety->SetInterfaceSafetyOptions(iid, option, option));
}

} // namespace qx::html::browser
