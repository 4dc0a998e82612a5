#include "script_host.h"

#include <objbase.h>
#include <objbase_activation.h>

#include <string>

namespace qx::host {

// ActiveXObject(progid): the class's identifier from its ProgID, then an in-process instance
// through COM activation (registered class objects first, then the registry's InprocServer32).
HRESULT ActivateByProgId(std::u16string_view progId, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (progId.empty() || progId.find(u'\0') != std::u16string_view::npos)
        return CO_E_CLASSSTRING;
    const std::u16string name(progId);
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(name.c_str(), &clsid);
    if (FAILED(hr))
        return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(object));
}

} // namespace qx::host
