// The browser control as an embedded object: client site, in-place activation into its
// container's window, and the keyboard hook of an active object.
#include "browser_control.h"

#include "winerror.h"
#include "winuser_position.h"
#include "winuser_window.h"

namespace qx::html::browser {

HRESULT BrowserControl::SetClientSite(IOleClientSite* pClientSite) {
    if (!pClientSite)
        InPlaceDeactivate();
    site_ = pClientSite;
    return S_OK;
}

HRESULT BrowserControl::GetClientSite(IOleClientSite** ppClientSite) {
    if (!ppClientSite)
        return E_POINTER;
    *ppClientSite = com::ComPtr<IOleClientSite>(site_).Detach();
    return S_OK;
}

HRESULT BrowserControl::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

HRESULT BrowserControl::Close(DWORD) {
    // Nothing of the container is kept past Close: its site, its window.
    InPlaceDeactivate();
    site_ = nullptr;
    StopLoading();
    return S_OK;
}

HRESULT BrowserControl::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

HRESULT BrowserControl::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
    if (ppmk)
        *ppmk = nullptr;
    return E_NOTIMPL;
}

HRESULT BrowserControl::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT BrowserControl::GetClipboardData(DWORD, IDataObject** ppDataObject) {
    if (ppDataObject)
        *ppDataObject = nullptr;
    return E_NOTIMPL;
}

HRESULT BrowserControl::DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND hwndParent,
                               LPCRECT lprcPosRect) {
    IOleClientSite* site = pActiveSite ? pActiveSite : site_.Get();
    switch (iVerb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_OPEN:
    case OLEIVERB_INPLACEACTIVATE:
        return ActivateInPlace(site, hwndParent, lprcPosRect, false);
    case OLEIVERB_UIACTIVATE:
        return ActivateInPlace(site, hwndParent, lprcPosRect, true);
    case OLEIVERB_HIDE:
        ShowWindow(window_, SW_HIDE);
        return S_OK;
    default:
        return iVerb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

HRESULT BrowserControl::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position, bool ui) {
    if (!window_)
        return E_UNEXPECTED;
    com::ComPtr<IOleInPlaceSite> inPlace = com::ComPtr<IOleInPlaceSite>::QueryFrom(site);
    RECT place = position ? *position : RECT{0, 0, 300, 150};
    if (inPlace && !inPlaceSite_) {
        if (inPlace->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        inPlace->OnInPlaceActivate();
        HWND siteWindow = nullptr;
        if (SUCCEEDED(inPlace->GetWindow(&siteWindow)) && siteWindow)
            parent = siteWindow;
        com::ComPtr<IOleInPlaceFrame> frame;
        com::ComPtr<IOleInPlaceUIWindow> document;
        RECT clip{};
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        if (SUCCEEDED(inPlace->GetWindowContext(&frame, &document, &place, &clip, &info)) && position)
            place = *position;
        inPlaceSite_ = inPlace;
    }
    if (parent) {
        SetWindowLongPtrW(window_, GWL_STYLE, (GetWindowLongPtrW(window_, GWL_STYLE) & ~WS_POPUP) | WS_CHILD);
        SetParent(window_, parent);
    }
    MoveWindow(window_, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    ShowWindow(window_, SW_SHOW);
    visible_ = true;
    // The page shown now moves into a document window; later pages are made in one.
    if (page_ && GetParent(window_))
        page_->ShowInWindow(window_);
    if (ui && inPlaceSite_)
        inPlaceSite_->OnUIActivate();
    return S_OK;
}

HRESULT BrowserControl::EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) {
    if (ppEnumOleVerb)
        *ppEnumOleVerb = nullptr;
    return OLEOBJ_E_NOVERBS;
}

HRESULT BrowserControl::Update() {
    return S_OK;
}

HRESULT BrowserControl::IsUpToDate() {
    return S_OK;
}

HRESULT BrowserControl::GetUserClassID(CLSID* pClsid) {
    if (!pClsid)
        return E_POINTER;
    *pClsid = CLSID_WebBrowser;
    return S_OK;
}

HRESULT BrowserControl::GetUserType(DWORD, LPOLESTR* pszUserType) {
    if (pszUserType)
        *pszUserType = nullptr;
    return OLE_S_USEREG;
}

HRESULT BrowserControl::SetExtent(DWORD dwDrawAspect, SIZEL* psizel) {
    if (!psizel)
        return E_POINTER;
    if (dwDrawAspect != DVASPECT_CONTENT)
        return E_FAIL;
    extent_ = *psizel;
    return S_OK;
}

HRESULT BrowserControl::GetExtent(DWORD dwDrawAspect, SIZEL* psizel) {
    if (!psizel)
        return E_POINTER;
    if (dwDrawAspect != DVASPECT_CONTENT)
        return E_FAIL;
    *psizel = extent_;
    return S_OK;
}

HRESULT BrowserControl::Advise(IAdviseSink*, DWORD* pdwConnection) {
    if (pdwConnection)
        *pdwConnection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT BrowserControl::Unadvise(DWORD) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT BrowserControl::EnumAdvise(IEnumSTATDATA** ppenumAdvise) {
    if (ppenumAdvise)
        *ppenumAdvise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT BrowserControl::GetMiscStatus(DWORD, DWORD* pdwStatus) {
    if (!pdwStatus)
        return E_POINTER;
    *pdwStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_RECOMPOSEONRESIZE |
                 OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT;
    return S_OK;
}

HRESULT BrowserControl::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

HRESULT BrowserControl::GetWindow(HWND* phwnd) {
    if (!phwnd)
        return E_POINTER;
    *phwnd = window_;
    return window_ ? S_OK : E_FAIL;
}

HRESULT BrowserControl::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

HRESULT BrowserControl::InPlaceDeactivate() {
    if (!window_)
        return S_OK;
    ShowWindow(window_, SW_HIDE);
    SetParent(window_, nullptr);
    visible_ = false;
    // The page keeps its document window (and the controls in it), hidden with the browser's.
    // The site is let go before it hears of it: it may release the control.
    if (com::ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_))
        site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT BrowserControl::UIDeactivate() {
    return S_OK;
}

HRESULT BrowserControl::SetObjectRects(LPCRECT lprcPosRect, LPCRECT) {
    if (!lprcPosRect)
        return E_POINTER;
    MoveWindow(window_, lprcPosRect->left, lprcPosRect->top, lprcPosRect->right - lprcPosRect->left,
               lprcPosRect->bottom - lprcPosRect->top, TRUE);
    return S_OK;
}

HRESULT BrowserControl::ReactivateAndUndo() {
    return E_NOTIMPL; // nothing to undo
}

// Keys reach the page through its window's messages; nothing is an accelerator of the control.
HRESULT BrowserControl::TranslateAccelerator(LPMSG) {
    return S_FALSE;
}

HRESULT BrowserControl::OnFrameWindowActivate(BOOL) {
    return S_OK;
}

HRESULT BrowserControl::OnDocWindowActivate(BOOL) {
    return S_OK;
}

HRESULT BrowserControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}

HRESULT BrowserControl::EnableModeless(BOOL) {
    return S_OK;
}

} // namespace qx::html::browser
