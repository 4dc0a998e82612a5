// The site of one hosted control: client site, in-place site and frame, control site and the
// ambient properties. Every member checks that its host is still there: a control that outlives
// its hosting reaches nothing.
#include "control_site.h"

#include <oleauto.h>
#include <winuser_window.h>

namespace qx::com::control {

void CControlSite::Log(const char* what) {
    if (host_)
        host_->log_.emplace_back(what);
}

STDMETHODIMP CControlSite::GetContainer(IOleContainer** ppContainer) {
    if (!ppContainer)
        return E_POINTER;
    *ppContainer = nullptr;
    if (!host_ || !host_->options_.container)
        return E_NOINTERFACE;
    return host_->options_.container->QueryInterface(IID_IOleContainer,
                                                     reinterpret_cast<void**>(ppContainer));
}

STDMETHODIMP CControlSite::ShowObject() {
    Log("ShowObject");
    return host_ ? S_OK : E_UNEXPECTED;
}

STDMETHODIMP CControlSite::GetWindow(HWND* phwnd) {
    if (!phwnd)
        return E_POINTER;
    *phwnd = host_ ? host_->options_.parent : nullptr;
    return *phwnd ? S_OK : E_FAIL;
}

STDMETHODIMP CControlSite::CanInPlaceActivate() {
    return host_ && host_->options_.parent ? S_OK : S_FALSE;
}

STDMETHODIMP CControlSite::OnInPlaceActivate() {
    if (!host_)
        return E_UNEXPECTED;
    Log("OnInPlaceActivate");
    host_->inPlaceActive_ = true;
    return S_OK;
}

STDMETHODIMP CControlSite::OnUIActivate() {
    if (!host_)
        return E_UNEXPECTED;
    Log("OnUIActivate");
    host_->uiActive_ = true;
    return S_OK;
}

STDMETHODIMP CControlSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                            LPRECT lprcPosRect, LPRECT lprcClipRect,
                                            LPOLEINPLACEFRAMEINFO lpFrameInfo) {
    if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect)
        return E_POINTER;
    *ppFrame = nullptr;
    *ppDoc = nullptr;
    if (!host_)
        return E_UNEXPECTED;
    *ppFrame = static_cast<IOleInPlaceFrame*>(this);
    (*ppFrame)->AddRef();
    *lprcPosRect = host_->options_.position;
    *lprcClipRect = host_->options_.position;
    if (lpFrameInfo) {
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = host_->options_.parent;
        lpFrameInfo->haccel = nullptr;
        lpFrameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP CControlSite::OnUIDeactivate(BOOL) {
    if (!host_)
        return E_UNEXPECTED;
    Log("OnUIDeactivate");
    host_->uiActive_ = false;
    return S_OK;
}

STDMETHODIMP CControlSite::OnInPlaceDeactivate() {
    if (!host_)
        return E_UNEXPECTED;
    Log("OnInPlaceDeactivate");
    host_->inPlaceActive_ = false;
    host_->activeObject_ = nullptr;
    return S_OK;
}

STDMETHODIMP CControlSite::OnPosRectChange(LPCRECT lprcPosRect) {
    if (!lprcPosRect)
        return E_POINTER;
    if (!host_)
        return E_UNEXPECTED;
    Log("OnPosRectChange");
    // The page decides where its controls go: the control is put back where the host has it.
    if (ComPtr<IOleInPlaceObject> object = ComPtr<IOleInPlaceObject>::QueryFrom(host_->control_.Get()))
        object->SetObjectRects(&host_->options_.position, &host_->options_.position);
    return S_OK;
}

STDMETHODIMP CControlSite::OnInPlaceActivateEx(BOOL* pfNoRedraw, DWORD) {
    if (pfNoRedraw)
        *pfNoRedraw = FALSE;
    return OnInPlaceActivate();
}

STDMETHODIMP CControlSite::RequestUIActivate() {
    return host_ ? S_OK : E_UNEXPECTED;
}

STDMETHODIMP CControlSite::SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) {
    if (!host_)
        return pActiveObject ? E_UNEXPECTED : S_OK;
    host_->activeObject_ = pActiveObject;
    return S_OK;
}

STDMETHODIMP CControlSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS lpMenuWidths) {
    // The page has no menus to share.
    if (lpMenuWidths)
        for (LONG& w : lpMenuWidths->width)
            w = 0;
    return S_OK;
}

STDMETHODIMP CControlSite::OnFocus(BOOL fGotFocus) {
    if (!host_)
        return E_UNEXPECTED;
    Log(fGotFocus ? "OnFocus(TRUE)" : "OnFocus(FALSE)");
    return S_OK;
}

STDMETHODIMP CControlSite::TransformCoords(POINTL* pPtlHimetric, POINTF* pPtfContainer, DWORD dwFlags) {
    if (!pPtlHimetric || !pPtfContainer)
        return E_POINTER;
    // The container's unit is the pixel.
    if (dwFlags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        pPtfContainer->x = static_cast<FLOAT>(pPtlHimetric->x) * 96.0f / 2540.0f;
        pPtfContainer->y = static_cast<FLOAT>(pPtlHimetric->y) * 96.0f / 2540.0f;
    } else if (dwFlags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
        pPtlHimetric->x = static_cast<LONG>(pPtfContainer->x * 2540.0f / 96.0f + 0.5f);
        pPtlHimetric->y = static_cast<LONG>(pPtfContainer->y * 2540.0f / 96.0f + 0.5f);
    } else {
        return E_INVALIDARG;
    }
    return S_OK;
}

STDMETHODIMP CControlSite::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!ids || (count && !names))
        return E_POINTER;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                  EXCEPINFO*, UINT*) {
    if (!host_)
        return E_UNEXPECTED;
    const auto found = host_->options_.ambients.find(id);
    if (found == host_->options_.ambients.end() || !(flags & DISPATCH_PROPERTYGET))
        return DISP_E_MEMBERNOTFOUND;
    if (!result)
        return S_OK;
    VariantInit(result);
    return VariantCopy(result, &found->second);
}

// ---- events -------------------------------------------------------------------------------

void* CControlEventSink::QueryOtherInterface(REFIID riid) {
    return IsEqualIID(riid, iid_) ? static_cast<IDispatch*>(this) : nullptr;
}

STDMETHODIMP CControlEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                       EXCEPINFO*, UINT*) {
    if (result)
        VariantInit(result);
    if (!host_ || !host_->options_.onEvent)
        return S_OK;
    std::u16string name;
    if (names_) {
        BSTR got = nullptr;
        UINT count = 0;
        if (SUCCEEDED(names_->GetNames(id, &got, 1, &count)) && count == 1)
            name.assign(got, SysStringLen(got));
        SysFreeString(got);
    }
    // Arguments arrive last first; the handler gets them in their declared order.
    std::vector<Variant> args;
    if (params)
        for (UINT i = params->cArgs; i-- > 0;)
            args.emplace_back(params->rgvarg[i]);
    // The callback may end the hosting: keep this sink alive until it returns.
    ComPtr<IDispatch> self(static_cast<IDispatch*>(this));
    auto callback = host_->options_.onEvent;
    callback(id, name, args);
    // By-reference arguments carry what the handlers left in them back to the control.
    if (params)
        for (UINT i = 0; i < params->cArgs; ++i) {
            VARIANT& arg = params->rgvarg[params->cArgs - 1 - i];
            if ((arg.vt & VT_BYREF) && i < args.size())
                if (arg.vt == (VT_BYREF | VT_VARIANT) && arg.pvarVal)
                    VariantCopy(arg.pvarVal, &args[i]);
        }
    return S_OK;
}

} // namespace qx::com::control
