// In-place activation seen from the container: IOleInPlaceObjectWindowless (with
// IOleInPlaceObject and IOleWindow) and IOleInPlaceActiveObject.
#pragma once

#include "qx/com/control/control_base.h"

namespace qx::com::control {

// IOleWindow::GetWindow of the in-place mixins: the control's window, E_FAIL without one.
inline HRESULT WindowOf(const ControlBase& control, HWND* window) {
    if (!window)
        return E_POINTER;
    *window = control.Window();
    return *window ? S_OK : E_FAIL;
}

template <typename T>
class OleInPlaceObjectWindowlessImpl : public IOleInPlaceObjectWindowless {
public:
    STDMETHODIMP GetWindow(HWND* phwnd) override { return WindowOf(Base(), phwnd); }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override { return Base().InPlaceDeactivate(); }
    STDMETHODIMP UIDeactivate() override { return Base().UIDeactivate(); }
    STDMETHODIMP SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override {
        return Base().SetObjectRects(lprcPosRect, lprcClipRect);
    }
    STDMETHODIMP ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }
    // A message the container hands a windowless control goes through the control's message map.
    STDMETHODIMP OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult) override {
        if (!plResult)
            return E_POINTER;
        *plResult = 0;
        return Base().ProcessWindowMessage(Base().Window(), msg, wParam, lParam, *plResult) ? S_OK : S_FALSE;
    }
    STDMETHODIMP GetDropTarget(IDropTarget** ppDropTarget) override {
        if (ppDropTarget)
            *ppDropTarget = nullptr;
        return E_NOTIMPL;
    }

private:
    ControlBase& Base() { return *static_cast<T*>(this); }
};

template <typename T>
class OleInPlaceActiveObjectImpl : public IOleInPlaceActiveObject {
public:
    STDMETHODIMP GetWindow(HWND* phwnd) override { return WindowOf(Base(), phwnd); }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG lpmsg) override {
        if (!lpmsg)
            return E_POINTER;
        return Base().OnTranslateAccelerator(lpmsg);
    }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

private:
    ControlBase& Base() { return *static_cast<T*>(this); }
};

} // namespace qx::com::control
