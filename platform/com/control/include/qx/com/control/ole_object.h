// IOleObject of a control: its client site, verbs, extent, advise sinks and MiscStatus.
#pragma once

#include "qx/com/control/control_base.h"

namespace qx::com::control {

template <typename T>
class OleObjectImpl : public IOleObject {
public:
    STDMETHODIMP SetClientSite(IOleClientSite* pClientSite) override { return Base().SetSite(pClientSite); }
    STDMETHODIMP GetClientSite(IOleClientSite** ppClientSite) override {
        if (!ppClientSite)
            return E_POINTER;
        *ppClientSite = Base().ClientSite();
        if (*ppClientSite)
            (*ppClientSite)->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD dwSaveOption) override { return Base().Close(dwSaveOption); }
    // A control is not linked to: it keeps no moniker.
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override {
        if (ppmk)
            *ppmk = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** ppDataObject) override {
        if (ppDataObject)
            *ppDataObject = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND hwndParent,
                        LPCRECT lprcPosRect) override {
        return Base().DoVerb(iVerb, pActiveSite, hwndParent, lprcPosRect);
    }
    // The verbs are the class's registered ones.
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) override {
        if (!ppEnumOleVerb)
            return E_POINTER;
        *ppEnumOleVerb = nullptr;
        return OLE_S_USEREG;
    }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* pClsid) override {
        if (!pClsid)
            return E_POINTER;
        *pClsid = Base().ClassId();
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR* pszUserType) override {
        if (!pszUserType)
            return E_POINTER;
        *pszUserType = nullptr;
        return OLE_S_USEREG;
    }
    STDMETHODIMP SetExtent(DWORD dwDrawAspect, SIZEL* psizel) override {
        if (dwDrawAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (!psizel)
            return E_POINTER;
        return Base().SetExtent(*psizel);
    }
    STDMETHODIMP GetExtent(DWORD dwDrawAspect, SIZEL* psizel) override {
        if (!psizel)
            return E_POINTER;
        if (dwDrawAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        *psizel = Base().Extent();
        return S_OK;
    }
    STDMETHODIMP Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) override {
        return Base().AddAdviseSink(pAdvSink, pdwConnection);
    }
    STDMETHODIMP Unadvise(DWORD dwConnection) override { return Base().RemoveAdviseSink(dwConnection); }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** ppenumAdvise) override {
        return Base().EnumAdviseSinks(ppenumAdvise);
    }
    STDMETHODIMP GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) override {
        return Base().MiscStatus(dwAspect, pdwStatus);
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

private:
    ControlBase& Base() { return *static_cast<T*>(this); }
};

} // namespace qx::com::control
