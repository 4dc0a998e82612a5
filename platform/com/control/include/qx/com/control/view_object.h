// IViewObjectEx (with IViewObject2 and IViewObject): drawing the control into a device context,
// its extent, its view status and hit testing, and the view advise sink.
#pragma once

#include "qx/com/control/control_base.h"

namespace qx::com::control {

template <typename T>
class ViewObjectExImpl : public IViewObjectEx {
public:
    STDMETHODIMP Draw(DWORD dwDrawAspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw, LPCRECTL lprcBounds,
                      LPCRECTL, BOOL (*)(ULONG_PTR), ULONG_PTR) override {
        if (dwDrawAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (!hdcDraw)
            return E_INVALIDARG;
        RECT bounds{};
        if (lprcBounds)
            bounds = {lprcBounds->left, lprcBounds->top, lprcBounds->right, lprcBounds->bottom};
        else if (Base().InPlaceActive())
            bounds = Base().Position();
        else
            return E_INVALIDARG;
        return FAILED(Base().OnDraw(hdcDraw, bounds)) ? VIEW_E_DRAW : S_OK;
    }
    // The control draws with whatever colours the device has: no set of its own.
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** ppColorSet) override {
        if (ppColorSet)
            *ppColorSet = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD* pdwFreeze) override {
        if (pdwFreeze)
            *pdwFreeze = 0;
        return E_NOTIMPL;
    }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) override {
        return Base().SetViewAdvise(aspects, advf, pAdvSink);
    }
    STDMETHODIMP GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) override {
        return Base().GetViewAdvise(pAspects, pAdvf, ppAdvSink);
    }
    // IViewObject2
    STDMETHODIMP GetExtent(DWORD dwDrawAspect, LONG, DVTARGETDEVICE*, LPSIZEL lpsizel) override {
        if (!lpsizel)
            return E_POINTER;
        if (dwDrawAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        *lpsizel = Base().Extent();
        return S_OK;
    }
    // IViewObjectEx
    STDMETHODIMP GetRect(DWORD dwAspect, LPRECTL pRect) override {
        if (!pRect)
            return E_POINTER;
        if (dwAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        const RECT& p = Base().Position();
        *pRect = {p.left, p.top, p.right, p.bottom};
        return S_OK;
    }
    STDMETHODIMP GetViewStatus(DWORD* pdwStatus) override {
        if (!pdwStatus)
            return E_POINTER;
        *pdwStatus = Base().ViewStatus();
        return S_OK;
    }
    STDMETHODIMP QueryHitPoint(DWORD dwAspect, LPCRECT pRectBounds, POINT ptlLoc, LONG,
                               DWORD* pHitResult) override {
        if (!pRectBounds || !pHitResult)
            return E_POINTER;
        if (dwAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        const bool inside = ptlLoc.x >= pRectBounds->left && ptlLoc.x < pRectBounds->right &&
                            ptlLoc.y >= pRectBounds->top && ptlLoc.y < pRectBounds->bottom;
        *pHitResult = inside ? HITRESULT_HIT : HITRESULT_OUTSIDE;
        return S_OK;
    }
    STDMETHODIMP QueryHitRect(DWORD dwAspect, LPCRECT pRectBounds, LPCRECT pRectLoc, LONG,
                              DWORD* pHitResult) override {
        if (!pRectBounds || !pRectLoc || !pHitResult)
            return E_POINTER;
        if (dwAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        const bool meets = pRectLoc->left < pRectBounds->right && pRectLoc->right > pRectBounds->left &&
                           pRectLoc->top < pRectBounds->bottom && pRectLoc->bottom > pRectBounds->top;
        *pHitResult = meets ? HITRESULT_HIT : HITRESULT_OUTSIDE;
        return S_OK;
    }
    // The content has one size, the extent: no natural extent of its own.
    STDMETHODIMP GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) override {
        return E_NOTIMPL;
    }

private:
    ControlBase& Base() { return *static_cast<T*>(this); }
};

} // namespace qx::com::control
