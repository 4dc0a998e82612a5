#include "script_host.h"

#include <objbase.h>
#include <qxcom/comptr.h>
#include <winmodule.h>
#include <winreg.h>

#include <string>

namespace qx::host {
namespace {

using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);

// The default value of a key under HKEY_CLASSES_ROOT; false when the key or value is missing.
bool ReadClassesRootText(const std::u16string& key, std::u16string& value) {
    WCHAR buffer[1024] = {};
    LONG size = sizeof buffer;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), buffer, &size) != ERROR_SUCCESS)
        return false;
    value.assign(buffer);
    return true;
}

} // namespace

HRESULT ActivateByProgId(std::u16string_view progId, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (progId.empty() || progId.find(u'\\') != std::u16string_view::npos)
        return CO_E_CLASSSTRING;
    std::u16string clsidText;
    if (!ReadClassesRootText(std::u16string(progId) + u"\\CLSID", clsidText))
        return CO_E_CLASSSTRING;
    CLSID clsid{};
    if (FAILED(CLSIDFromString(clsidText.c_str(), &clsid)))
        return CO_E_CLASSSTRING;
    std::u16string server;
    if (!ReadClassesRootText(u"CLSID\\" + clsidText + u"\\InprocServer32", server) || server.empty())
        return REGDB_E_CLASSNOTREG;
    // The module stays loaded for the rest of the process: its objects may live until exit.
    HMODULE module = LoadLibraryW(server.c_str());
    if (!module)
        return CO_E_DLLNOTFOUND;
    auto getClassObject =
        reinterpret_cast<GetClassObjectFunction>(GetProcAddress(module, "DllGetClassObject"));
    if (!getClassObject)
        return CO_E_ERRORINDLL;
    com::ComPtr<IClassFactory> factory;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr) || !factory)
        return FAILED(hr) ? hr : CLASS_E_CLASSNOTAVAILABLE;
    return factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(object));
}

} // namespace qx::host
