// The COM objects behind ControlHost: the site of the control and the sink of its events.
#pragma once

#include "qx/com/control/control_host.h"
#include "qx/com/object.h"

namespace qx::com::control {

// The dispatch objects here describe no type.
inline HRESULT NoTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}
inline HRESULT NoTypeInfo(ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

class CControlSite : public ObjectRoot,
                     public IOleClientSite,
                     public IOleInPlaceSiteEx,
                     public IOleInPlaceFrame,
                     public IOleControlSite,
                     public IDispatch {
public:
    static constexpr bool kAggregatable = false;
    QX_BEGIN_INTERFACES(CControlSite)
    QX_INTERFACE_ENTRY(IOleClientSite)
    QX_INTERFACE_ENTRY(IOleInPlaceSiteEx)
    QX_INTERFACE_ENTRY(IOleInPlaceSite)
    QX_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceSiteEx)
    QX_INTERFACE_ENTRY(IOleInPlaceFrame)
    QX_INTERFACE_ENTRY(IOleInPlaceUIWindow)
    QX_INTERFACE_ENTRY(IOleControlSite)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_END_INTERFACES()

    void SetHost(ControlHost* host) { host_ = host; }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return host_ ? S_OK : E_UNEXPECTED; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override {
        if (ppmk)
            *ppmk = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow (of the site and of the frame: both are the parent window)
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite(Ex)
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                  LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    STDMETHODIMP Scroll(SIZE) override { return S_FALSE; }
    STDMETHODIMP OnUIDeactivate(BOOL fUndoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) override;
    STDMETHODIMP OnInPlaceActivateEx(BOOL* pfNoRedraw, DWORD dwFlags) override;
    STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override { return OnInPlaceDeactivate(); }
    STDMETHODIMP RequestUIActivate() override;
    // IOleInPlaceUIWindow / IOleInPlaceFrame: no borders, menus or status bar to share.
    STDMETHODIMP GetBorder(LPRECT lprectBorder) override {
        if (lprectBorder)
            *lprectBorder = RECT{};
        return INPLACE_E_NOTOOLSPACE;
    }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR pszObjName) override;
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS lpMenuWidths) override;
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** ppDisp) override {
        if (ppDisp)
            *ppDisp = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TransformCoords(POINTL* pPtlHimetric, POINTF* pPtfContainer, DWORD dwFlags) override;
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL fGotFocus) override;
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    // IDispatch: the ambient properties by DISPID.
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override { return NoTypeInfoCount(pctinfo); }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override { return NoTypeInfo(ppTInfo); }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

private:
    void Log(const char* what);
    ControlHost* host_ = nullptr;
};

class CControlEventSink : public ObjectRoot, public IDispatch {
public:
    static constexpr bool kAggregatable = false;
    QX_BEGIN_INTERFACES(CControlEventSink)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_END_INTERFACES()

    void Init(ControlHost* host, REFIID iid, ITypeInfo* names) {
        host_ = host;
        iid_ = iid;
        names_ = names;
    }
    void SetHost(ControlHost* host) { host_ = host; }
    void* QueryOtherInterface(REFIID riid);

    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override { return NoTypeInfoCount(pctinfo); }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override { return NoTypeInfo(ppTInfo); }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

private:
    ControlHost* host_ = nullptr;
    IID iid_{};
    ComPtr<ITypeInfo> names_;
};

} // namespace qx::com::control
