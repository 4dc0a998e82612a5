// "STATIC": a label. Its text is the window text; with SS_NOTIFY it reports clicks.
#include "control_support.h"
#include "controls_procs.h"

#include "winuser_controls.h"

namespace qx::win32::controls {

LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (StyleOf(hwnd) & SS_NOTIFY) {
            NotifyParent(hwnd, message == WM_LBUTTONDOWN ? STN_CLICKED : STN_DBLCLK);
        }
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace qx::win32::controls
