// Device contexts of windows: getting and releasing them, painting, and what they draw with.
#include "errhandlingapi.h"
#include "gdi_state.h"
#include "overlay_plane.h"
#include "qx/win32/window_internals.h"
#include "winerror.h"
#include "wingdi.h"
#include "winuser_window.h"

namespace {

HDC NewDc(HWND hwnd, qx::win32::DcKind kind) {
    qx::win32::EnsurePaintObserver();
    if (hwnd != nullptr && qx::win32::GetWindowThread(hwnd) == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::lock_guard guard(qx::win32::GdiLock());
    return qx::win32::AddDc(hwnd, hwnd == nullptr ? qx::win32::DcKind::Screen : kind);
}

} // namespace

HDC WINAPI GetDC(HWND hWnd) {
    return NewDc(hWnd, qx::win32::DcKind::Client);
}

HDC WINAPI GetWindowDC(HWND hWnd) {
    return NewDc(hWnd, qx::win32::DcKind::Window);
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
    std::lock_guard guard(qx::win32::GdiLock());
    qx::win32::DcState* dc = qx::win32::LiveDc(hDC);
    if (dc == nullptr || dc->hwnd != hWnd) {
        return 0;
    }
    qx::win32::RemoveDc(hDC);
    return 1;
}

HWND WINAPI WindowFromDC(HDC hDC) {
    return qx::win32::WithDc(hDC, HWND{nullptr}, [](qx::win32::DcState& dc) { return dc.hwnd; });
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    if (lpPaint == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    qx::win32::EnsurePaintObserver();
    RECT area{};
    bool erase = false;
    // Taking the update region tells the observer the window is painted: its plane clears.
    if (!qx::win32::TakeUpdateRegion(hWnd, &area, &erase)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HDC hdc = NewDc(hWnd, qx::win32::DcKind::Client);
    if (hdc == nullptr) {
        return nullptr;
    }
    *lpPaint = PAINTSTRUCT{};
    lpPaint->hdc = hdc;
    lpPaint->rcPaint = area;
    // A window that does not erase its background in WM_ERASEBKGND leaves it to the painter.
    lpPaint->fErase =
        erase ? SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) == 0 : FALSE;
    return hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (lpPaint == nullptr) {
        return FALSE;
    }
    ReleaseDC(hWnd, lpPaint->hdc);
    return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int i) {
    std::lock_guard guard(qx::win32::GdiLock());
    return qx::win32::StockObject(i);
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
    if (iStyle < PS_SOLID || iStyle > PS_INSIDEFRAME || cWidth < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard guard(qx::win32::GdiLock());
    return static_cast<HPEN>(qx::win32::AddObject({OBJ_PEN, iStyle, color & 0x00FFFFFFu, false}));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    std::lock_guard guard(qx::win32::GdiLock());
    return static_cast<HBRUSH>(qx::win32::AddObject({OBJ_BRUSH, PS_SOLID, color & 0x00FFFFFFu, false}));
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    std::lock_guard guard(qx::win32::GdiLock());
    qx::win32::GdiObject* object = qx::win32::FindObject(ho);
    if (object == nullptr) {
        return FALSE;
    }
    if (object->stock) {
        return TRUE; // deleting a stock object does nothing
    }
    if (qx::win32::IsSelected(ho)) {
        return FALSE; // still selected into a device context
    }
    qx::win32::RemoveObject(ho);
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    std::lock_guard guard(qx::win32::GdiLock());
    qx::win32::DcState* dc = qx::win32::LiveDc(hdc);
    qx::win32::GdiObject* object = qx::win32::FindObject(h);
    if (dc == nullptr || object == nullptr) {
        return nullptr;
    }
    HGDIOBJ& slot = object->type == OBJ_PEN ? dc->pen : dc->brush;
    HGDIOBJ previous = slot;
    slot = h;
    return previous;
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
    std::lock_guard guard(qx::win32::GdiLock());
    if (qx::win32::GdiObject* object = qx::win32::FindObject(h)) {
        return object->type;
    }
    return 0;
}

int WINAPI SetROP2(HDC hdc, int rop2) {
    return qx::win32::WithDc(hdc, 0, [rop2](qx::win32::DcState& dc) {
        if (rop2 < R2_BLACK || rop2 > R2_WHITE) {
            return 0;
        }
        int previous = dc.rop2;
        dc.rop2 = rop2;
        return previous;
    });
}

int WINAPI GetROP2(HDC hdc) {
    return qx::win32::WithDc(hdc, 0, [](qx::win32::DcState& dc) { return dc.rop2; });
}
