// IProvideClassInfo2 from the library description of the class.
#pragma once

#include "ocidl.h"
#include "qx/com/type_library.h"

namespace qx::com {

template <const LibraryDesc& Library, const CLSID& Clsid>
class ProvideClassInfo2Impl : public IProvideClassInfo2 {
public:
    STDMETHODIMP GetClassInfo(ITypeInfo** ppTI) override {
        if (!ppTI)
            return E_POINTER;
        return GetClassTypeInfo(Library, Clsid, ppTI);
    }
    STDMETHODIMP GetGUID(DWORD dwGuidKind, GUID* pGUID) override {
        if (!pGUID)
            return E_POINTER;
        *pGUID = GUID_NULL;
        if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID)
            return E_INVALIDARG;
        return GetDefaultSourceIid(Library, Clsid, pGUID);
    }
};

} // namespace qx::com
