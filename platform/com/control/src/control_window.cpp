// The window of a control that always has one: made on in-place activation as a child of the
// site's window at the site's rectangle, gone on deactivation.
#include "qx/com/control/control_base.h"

#include <wingdi.h>
#include <winuser_input.h>
#include <winuser_position.h>
#include <winuser_window.h>

#include <cstdio>
#include <mutex>
#include <string>

namespace qx::com::control {
namespace {

// Every copy of the framework (each component file has its own) registers a class of its own,
// named after its procedure's address, so no copy ever runs another's code.
const std::u16string& WindowClassName(WNDPROC procedure) {
    static const std::u16string name = [procedure] {
        char text[48];
        std::snprintf(text, sizeof text, "QxControlWindow%p", reinterpret_cast<void*>(procedure));
        return std::u16string(text, text + std::char_traits<char>::length(text));
    }();
    static std::once_flag once;
    std::call_once(once, [procedure] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
        wc.lpfnWndProc = procedure;
        wc.lpszClassName = name.c_str();
        RegisterClassExW(&wc);
    });
    return name;
}

} // namespace

HRESULT ControlBase::CreateControlWindow(HWND parent, const RECT& position) {
    const std::u16string& className = WindowClassName(&ControlBase::WindowProcedure);
    parent_ = parent;
    HWND window = CreateWindowExW(0, className.c_str(), u"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                  position.left, position.top, position.right - position.left,
                                  position.bottom - position.top, parent, nullptr, nullptr, this);
    if (!window)
        return E_FAIL;
    return S_OK;
}

LRESULT CALLBACK ControlBase::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* control = static_cast<ControlBase*>(create->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
        // Known from the start, so that the control's WM_CREATE handler sees its own window.
        control->window_ = window;
    }
    auto* control = reinterpret_cast<ControlBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!control)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (control->window_ == window)
            control->window_ = nullptr;
    }
    LRESULT result = 0;
    if (control->ProcessWindowMessage(window, message, wParam, lParam, result))
        return result;
    return control->HandleMessage(window, message, wParam, lParam);
}

LRESULT ControlBase::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        RECT client{};
        GetClientRect(window, &client);
        if (dc)
            OnDraw(dc, client);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (clientSite_)
            if (ComPtr<IOleControlSite> site = ComPtr<IOleControlSite>::QueryFrom(clientSite_.Get()))
                site->OnFocus(message == WM_SETFOCUS ? TRUE : FALSE);
        if (message == WM_SETFOCUS && inPlaceActive_ && !uiActive_)
            UIActivate();
        return 0;
    case WM_MOUSEACTIVATE:
        // A click on the control makes it the active one.
        if (inPlaceActive_ && !uiActive_)
            UIActivate();
        return MA_ACTIVATE;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace qx::com::control
