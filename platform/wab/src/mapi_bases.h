// The members of the address book's interfaces that nobody calls here: each answers
// MAPI_E_NO_SUPPORT, and the objects override the ones they do.
#pragma once

#include "wabapi.h"

namespace qx::wab {

template <class Interface>
class CMapiPropBase : public Interface {
public:
    STDMETHODIMP GetLastError(HRESULT, ULONG, LPVOID*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP SaveChanges(ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP GetProps(LPSPropTagArray, ULONG, ULONG*, LPSPropValue*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP GetPropList(ULONG, LPSPropTagArray*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP OpenProperty(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP SetProps(ULONG, LPSPropValue, LPSPropProblemArray*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP DeleteProps(LPSPropTagArray, LPSPropProblemArray*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG_PTR, LPVOID, LPCIID, LPVOID, ULONG,
                        LPSPropProblemArray*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP CopyProps(LPSPropTagArray, ULONG_PTR, LPVOID, LPCIID, LPVOID, ULONG,
                           LPSPropProblemArray*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP GetNamesFromIDs(LPSPropTagArray*, LPGUID, ULONG, ULONG*, LPVOID*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP GetIDsFromNames(ULONG, LPVOID*, ULONG, LPSPropTagArray*) override {
        return MAPI_E_NO_SUPPORT;
    }

protected:
    ~CMapiPropBase() = default;
};

// IABContainer (and IDistList, which has the same members).
template <class Interface>
class CContainerBase : public CMapiPropBase<Interface> {
public:
    STDMETHODIMP GetContentsTable(ULONG, LPMAPITABLE*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP GetHierarchyTable(ULONG, LPMAPITABLE*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP OpenEntry(ULONG, LPENTRYID, LPCIID, ULONG, ULONG*, LPUNKNOWN*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP SetSearchCriteria(LPVOID, LPVOID, ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP GetSearchCriteria(ULONG, LPVOID*, LPVOID*, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP CreateEntry(ULONG, LPENTRYID, ULONG, LPMAPIPROP*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP CopyEntries(LPVOID, ULONG_PTR, LPVOID, ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP DeleteEntries(LPVOID, ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP ResolveNames(LPSPropTagArray, ULONG, LPVOID, LPVOID) override { return MAPI_E_NO_SUPPORT; }

protected:
    ~CContainerBase() = default;
};

} // namespace qx::wab
