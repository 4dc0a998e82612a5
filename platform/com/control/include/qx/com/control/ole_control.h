// IOleControl, IQuickActivate, ISpecifyPropertyPages and IDataObject of a control.
#pragma once

#include "objbase.h"
#include "qx/com/control/control_base.h"

namespace qx::com::control {

template <typename T>
class OleControlImpl : public IOleControl {
public:
    // No mnemonics: the control takes no keys from its container's keyboard interface.
    STDMETHODIMP GetControlInfo(CONTROLINFO* pCI) override {
        if (!pCI)
            return E_POINTER;
        if (pCI->cb != sizeof(CONTROLINFO))
            return E_INVALIDARG;
        pCI->hAccel = nullptr;
        pCI->cAccel = 0;
        pCI->dwFlags = 0;
        return S_OK;
    }
    STDMETHODIMP OnMnemonic(MSG*) override { return S_OK; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID dispID) override {
        Base().OnAmbientPropertyChange(dispID);
        return S_OK;
    }
    STDMETHODIMP FreezeEvents(BOOL bFreeze) override {
        Base().Freeze(bFreeze != FALSE);
        return S_OK;
    }

private:
    ControlBase& Base() { return *static_cast<T*>(this); }
};

// Quick activation: the client site, the view sink, the property notification sink and the
// container's event sink in one call; the control answers its MiscStatus and view status and the
// cookies of the connections it made.
HRESULT QuickActivateControl(ControlBase& control, IUnknown* identity, QACONTAINER* container,
                             QACONTROL* answer);

template <typename T>
class QuickActivateImpl : public IQuickActivate {
public:
    STDMETHODIMP QuickActivate(QACONTAINER* pQaContainer, QACONTROL* pQaControl) override {
        return QuickActivateControl(Base(), Base().ControlIdentity(), pQaContainer, pQaControl);
    }
    STDMETHODIMP SetContentExtent(LPSIZEL pSizel) override {
        if (!pSizel)
            return E_POINTER;
        return Base().SetExtent(*pSizel);
    }
    STDMETHODIMP GetContentExtent(LPSIZEL pSizel) override {
        if (!pSizel)
            return E_POINTER;
        *pSizel = Base().Extent();
        return S_OK;
    }

private:
    ControlBase& Base() { return *static_cast<T*>(this); }
};

template <typename T>
class SpecifyPropertyPagesImpl : public ISpecifyPropertyPages {
public:
    STDMETHODIMP GetPages(CAUUID* pPages) override {
        if (!pPages)
            return E_POINTER;
        pPages->cElems = 0;
        pPages->pElems = nullptr;
        const auto pages = Base().PropertyPages();
        if (pages.empty())
            return S_OK;
        pPages->pElems = static_cast<GUID*>(CoTaskMemAlloc(pages.size() * sizeof(GUID)));
        if (!pPages->pElems)
            return E_OUTOFMEMORY;
        for (std::size_t i = 0; i < pages.size(); ++i)
            pPages->pElems[i] = pages[i];
        pPages->cElems = static_cast<ULONG>(pages.size());
        return S_OK;
    }

private:
    ControlBase& Base() { return *static_cast<T*>(this); }
};

// A control renders no data formats of its own here (no metafiles); containers still advise
// for data changes, and the sinks are kept and enumerated.
template <typename T>
class DataObjectImpl : public IDataObject {
public:
    STDMETHODIMP GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override {
        if (!pformatetcIn || !pmedium)
            return E_POINTER;
        return DV_E_FORMATETC;
    }
    STDMETHODIMP GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override {
        if (!pformatetc || !pmedium)
            return E_POINTER;
        return DV_E_FORMATETC;
    }
    STDMETHODIMP QueryGetData(FORMATETC* pformatetc) override {
        return pformatetc ? DV_E_FORMATETC : E_POINTER;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override {
        if (!pformatectIn || !pformatetcOut)
            return E_POINTER;
        *pformatetcOut = *pformatectIn;
        pformatetcOut->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC** ppenumFormatEtc) override {
        if (!ppenumFormatEtc)
            return E_POINTER;
        *ppenumFormatEtc = nullptr;
        return OLE_S_USEREG;
    }
    STDMETHODIMP DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                         DWORD* pdwConnection) override {
        if (!pformatetc)
            return E_POINTER;
        return Base().AddDataAdviseSink(*pformatetc, advf, pAdvSink, pdwConnection);
    }
    STDMETHODIMP DUnadvise(DWORD dwConnection) override { return Base().RemoveDataAdviseSink(dwConnection); }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override {
        return Base().EnumDataAdviseSinks(ppenumAdvise);
    }

private:
    ControlBase& Base() { return *static_cast<T*>(this); }
};

} // namespace qx::com::control
