// Persistence of a control's property map: IPersistStreamInit, IPersistStorage (a stream
// "Contents" in the storage) and IPersistPropertyBag.
//
// The stream holds the map's entries in order: the extent entries as 4-byte little-endian
// numbers, every other property as its VARTYPE (2 bytes) then its value (numbers in their own
// size, VT_BOOL in 2 bytes, VT_BSTR as a 4-byte byte count and UTF-16 text).
#pragma once

#include "ocidl.h"
#include "qx/com/control/control_base.h"

namespace qx::com::control {

HRESULT LoadPropertyMap(ControlBase& control, IStream* stream);
HRESULT SavePropertyMap(ControlBase& control, IStream* stream);
HRESULT PropertyMapSize(ControlBase& control, ULARGE_INTEGER* size);
// A bag's property that is missing or fails to read leaves the property as it was.
HRESULT LoadPropertyMap(ControlBase& control, IPropertyBag* bag, IErrorLog* log);
HRESULT SavePropertyMap(ControlBase& control, IPropertyBag* bag);

inline constexpr const OLECHAR* kContentsStream = u"Contents";

// IPersist::GetClassID of every persistence mixin.
inline HRESULT ClassIdOf(const ControlBase& control, CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    *clsid = control.ClassId();
    return S_OK;
}

template <typename T>
class PersistStreamInitImpl : public IPersistStreamInit {
public:
    STDMETHODIMP GetClassID(CLSID* pClassID) override { return ClassIdOf(Base(), pClassID); }
    STDMETHODIMP IsDirty() override { return Base().Dirty() ? S_OK : S_FALSE; }
    STDMETHODIMP Load(LPSTREAM pStm) override {
        if (!pStm)
            return E_POINTER;
        return LoadPropertyMap(Base(), pStm);
    }
    STDMETHODIMP Save(LPSTREAM pStm, BOOL fClearDirty) override {
        if (!pStm)
            return E_POINTER;
        const HRESULT hr = SavePropertyMap(Base(), pStm);
        if (SUCCEEDED(hr) && fClearDirty)
            Base().SetDirty(false);
        return hr;
    }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pCbSize) override { return PropertyMapSize(Base(), pCbSize); }
    STDMETHODIMP InitNew() override { return S_OK; }

private:
    ControlBase& Base() { return *static_cast<T*>(this); }
};

template <typename T>
class PersistStorageImpl : public IPersistStorage {
public:
    STDMETHODIMP GetClassID(CLSID* pClassID) override { return ClassIdOf(Base(), pClassID); }
    STDMETHODIMP IsDirty() override { return Base().Dirty() ? S_OK : S_FALSE; }
    STDMETHODIMP InitNew(IStorage* pStg) override { return pStg ? S_OK : E_POINTER; }
    STDMETHODIMP Load(IStorage* pStg) override {
        if (!pStg)
            return E_POINTER;
        ComPtr<IStream> stream;
        HRESULT hr = pStg->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
        return FAILED(hr) ? hr : LoadPropertyMap(Base(), stream.Get());
    }
    STDMETHODIMP Save(IStorage* pStgSave, BOOL) override {
        if (!pStgSave)
            return E_POINTER;
        ComPtr<IStream> stream;
        HRESULT hr = pStgSave->CreateStream(kContentsStream, STGM_WRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE,
                                            0, 0, &stream);
        if (SUCCEEDED(hr))
            hr = SavePropertyMap(Base(), stream.Get());
        if (SUCCEEDED(hr))
            Base().SetDirty(false);
        return hr;
    }
    STDMETHODIMP SaveCompleted(IStorage*) override { return S_OK; }
    STDMETHODIMP HandsOffStorage() override { return S_OK; }

private:
    ControlBase& Base() { return *static_cast<T*>(this); }
};

template <typename T>
class PersistPropertyBagImpl : public IPersistPropertyBag {
public:
    STDMETHODIMP GetClassID(CLSID* pClassID) override { return ClassIdOf(Base(), pClassID); }
    STDMETHODIMP InitNew() override { return S_OK; }
    STDMETHODIMP Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override {
        if (!pPropBag)
            return E_POINTER;
        return LoadPropertyMap(Base(), pPropBag, pErrorLog);
    }
    STDMETHODIMP Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL) override {
        if (!pPropBag)
            return E_POINTER;
        const HRESULT hr = SavePropertyMap(Base(), pPropBag);
        if (SUCCEEDED(hr) && fClearDirty)
            Base().SetDirty(false);
        return hr;
    }

private:
    ControlBase& Base() { return *static_cast<T*>(this); }
};

} // namespace qx::com::control
