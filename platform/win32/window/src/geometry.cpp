// Positions, sizes, Z order, visibility and enabling. SetWindowPos tells the window through
// WM_WINDOWPOSCHANGING (which may change the request) and WM_WINDOWPOSCHANGED, whose default
// handling sends WM_SIZE and WM_MOVE; the flags of WM_WINDOWPOSCHANGED say SWP_NOSIZE or
// SWP_NOMOVE when nothing of the kind changed.
#include <algorithm>

#include "errhandlingapi.h"
#include "processthreadsapi.h"
#include "qx/win32/window_internals.h"
#include "window_core.h"
#include "winerror.h"
#include "winuser_input.h"
#include "winuser_paint.h"
#include "winuser_position.h"

namespace qx::win32::window {
namespace {

void ReorderLocked(Store& store, Window& window, HWND insertAfter) {
    std::vector<HWND>* siblings = &store.topLevel;
    if (window.parent != nullptr) {
        Window* parent = FindLocked(store, window.parent);
        if (parent == nullptr) {
            return;
        }
        siblings = &parent->children;
    }
    if (insertAfter == window.handle) {
        return;
    }
    std::erase(*siblings, window.handle);
    if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        siblings->insert(siblings->begin(), window.handle);
    } else if (insertAfter == HWND_BOTTOM) {
        siblings->push_back(window.handle);
    } else {
        auto at = std::find(siblings->begin(), siblings->end(), insertAfter);
        siblings->insert(at == siblings->end() ? siblings->begin() : at + 1, window.handle);
    }
}

} // namespace

bool PlaceWindow(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    RECT old{};
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hwnd);
        if (window == nullptr || hwnd == store.desktop) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        old = window->rect;
    }
    WINDOWPOS pos{hwnd, insertAfter, x, y, std::max(cx, 0), std::max(cy, 0), flags};
    if (flags & SWP_NOMOVE) {
        pos.x = old.left;
        pos.y = old.top;
    }
    if (flags & SWP_NOSIZE) {
        pos.cx = old.right - old.left;
        pos.cy = old.bottom - old.top;
    }
    if ((flags & SWP_NOSENDCHANGING) == 0) {
        Send(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    }
    bool resized = false;
    bool top = false;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hwnd);
        if (window == nullptr) {
            return false;
        }
        RECT placed{pos.x, pos.y, pos.x + std::max(pos.cx, 0), pos.y + std::max(pos.cy, 0)};
        if (placed.left == old.left && placed.top == old.top) {
            pos.flags |= SWP_NOMOVE;
        }
        if (placed.right - placed.left == old.right - old.left &&
            placed.bottom - placed.top == old.bottom - old.top) {
            pos.flags |= SWP_NOSIZE;
        }
        resized = (pos.flags & SWP_NOSIZE) == 0;
        window->rect = placed;
        if ((pos.flags & SWP_NOZORDER) == 0) {
            ReorderLocked(store, *window, pos.hwndInsertAfter);
        }
        top = (window->style & WS_CHILD) == 0;
    }
    if (pos.flags & SWP_SHOWWINDOW) {
        ChangeVisibility(hwnd, true, false);
    } else if (pos.flags & SWP_HIDEWINDOW) {
        ChangeVisibility(hwnd, false, false);
    }
    if (resized && (pos.flags & SWP_NOREDRAW) == 0) {
        Invalidate(hwnd, nullptr, true);
    }
    Send(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    if (top && (pos.flags & SWP_NOACTIVATE) == 0 && (pos.flags & SWP_HIDEWINDOW) == 0 &&
        GetWindowThread(hwnd) == GetCurrentThreadId() && IsWindowVisible(hwnd)) {
        ChangeActive(hwnd, WA_ACTIVE);
    }
    return true;
}

bool ChangeVisibility(HWND hwnd, bool show, bool sendShowWindow) {
    bool wasVisible = false;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hwnd);
        if (window == nullptr) {
            return false;
        }
        wasVisible = (window->style & WS_VISIBLE) != 0;
    }
    if (wasVisible == show) {
        return wasVisible;
    }
    if (sendShowWindow) {
        Send(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    }
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hwnd);
        if (window == nullptr) {
            return wasVisible;
        }
        if (show) {
            window->style |= WS_VISIBLE;
        } else {
            window->style &= ~static_cast<DWORD>(WS_VISIBLE);
        }
    }
    if (show) {
        Invalidate(hwnd, nullptr, true);
    } else {
        // A hidden window keeps no focus.
        HWND focus = GetFocus();
        if (focus != nullptr && (focus == hwnd || IsChild(hwnd, focus))) {
            ChangeFocus(nullptr);
        }
    }
    if (sendShowWindow) {
        WINDOWPOS pos{hwnd,
                      nullptr,
                      0,
                      0,
                      0,
                      0,
                      SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                          (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW)};
        Send(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    }
    return wasVisible;
}

} // namespace qx::win32::window

using namespace qx::win32;
using namespace qx::win32::window;

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hWnd);
    if (window == nullptr || lpRect == nullptr) {
        SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    POINT origin = ScreenOriginLocked(store, *window);
    *lpRect = RECT{origin.x, origin.y, origin.x + (window->rect.right - window->rect.left),
                   origin.y + (window->rect.bottom - window->rect.top)};
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    SIZE size{};
    if (lpRect == nullptr || !qx::win32::GetWindowClientSize(hWnd, &size)) {
        SetLastError(lpRect ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpRect = RECT{0, 0, size.cx, size.cy};
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    return PlaceWindow(hWnd, hWndInsertAfter, X, Y, cx, cy, uFlags) ? TRUE : FALSE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0u : SWP_NOREDRAW);
    return PlaceWindow(hWnd, nullptr, X, Y, nWidth, nHeight, flags) ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    std::shared_ptr<Window> window = FindWindow(hWnd);
    if (!window || hWnd == GetDesktopWindow()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    bool child = false;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        child = (window->style & WS_CHILD) != 0;
        // Minimizing and maximizing keep the size: there is no screen to fill or icon to show.
        DWORD& style = window->style;
        style &= ~static_cast<DWORD>(WS_MINIMIZE | WS_MAXIMIZE);
        if (nCmdShow == SW_MINIMIZE || nCmdShow == SW_SHOWMINIMIZED || nCmdShow == SW_SHOWMINNOACTIVE ||
            nCmdShow == SW_FORCEMINIMIZE) {
            style |= WS_MINIMIZE;
        } else if (nCmdShow == SW_SHOWMAXIMIZED) {
            style |= WS_MAXIMIZE;
        }
    }
    if (nCmdShow == SW_HIDE) {
        return ChangeVisibility(hWnd, false, true) ? TRUE : FALSE;
    }
    bool wasVisible = ChangeVisibility(hWnd, true, true);
    bool activate = nCmdShow == SW_SHOWNORMAL || nCmdShow == SW_SHOW || nCmdShow == SW_SHOWMAXIMIZED ||
                    nCmdShow == SW_RESTORE || nCmdShow == SW_SHOWDEFAULT || nCmdShow == SW_SHOWMINIMIZED;
    if (activate && !child && GetWindowThread(hWnd) == GetCurrentThreadId()) {
        ChangeActive(hWnd, WA_ACTIVE);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hWnd);
    return window != nullptr && IsVisibleLocked(store, *window) ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    bool wasDisabled = false;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hWnd);
        if (window == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        wasDisabled = (window->style & WS_DISABLED) != 0;
        if (wasDisabled == !bEnable) {
            return wasDisabled ? TRUE : FALSE;
        }
        if (bEnable) {
            window->style &= ~static_cast<DWORD>(WS_DISABLED);
        } else {
            window->style |= WS_DISABLED;
        }
    }
    if (!bEnable) {
        // A disabled window keeps neither the focus nor the capture.
        HWND focus = GetFocus();
        if (focus != nullptr && (focus == hWnd || IsChild(hWnd, focus))) {
            ChangeFocus(nullptr);
        }
        ReleaseCaptureWithin(hWnd, true);
    }
    Send(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hWnd);
    return window != nullptr && (window->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

namespace {

bool OriginOf(HWND hwnd, POINT* origin) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    if (hwnd == nullptr) {
        *origin = POINT{0, 0};
        return true;
    }
    Window* window = FindLocked(store, hwnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    *origin = ScreenOriginLocked(store, *window);
    return true;
}

// The deepest visible, enabled window under a screen point, starting from `windows`.
HWND HitLocked(Store& store, const std::vector<HWND>& windows, POINT screen) {
    for (HWND hwnd : windows) {
        Window* window = FindLocked(store, hwnd);
        if (window == nullptr || (window->style & WS_VISIBLE) == 0 || (window->style & WS_DISABLED)) {
            continue;
        }
        POINT origin = ScreenOriginLocked(store, *window);
        RECT rect{origin.x, origin.y, origin.x + (window->rect.right - window->rect.left),
                  origin.y + (window->rect.bottom - window->rect.top)};
        if (PtInRect(&rect, screen)) {
            HWND deeper = HitLocked(store, window->children, screen);
            return deeper ? deeper : hwnd;
        }
    }
    return nullptr;
}

} // namespace

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    POINT origin{};
    if (lpPoint == nullptr || hWnd == nullptr || !OriginOf(hWnd, &origin)) {
        return FALSE;
    }
    lpPoint->x += origin.x;
    lpPoint->y += origin.y;
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    POINT origin{};
    if (lpPoint == nullptr || hWnd == nullptr || !OriginOf(hWnd, &origin)) {
        return FALSE;
    }
    lpPoint->x -= origin.x;
    lpPoint->y -= origin.y;
    return TRUE;
}

int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
    POINT from{};
    POINT to{};
    if (!OriginOf(hWndFrom, &from) || !OriginOf(hWndTo, &to)) {
        return 0;
    }
    LONG dx = from.x - to.x;
    LONG dy = from.y - to.y;
    for (UINT i = 0; lpPoints != nullptr && i < cPoints; ++i) {
        lpPoints[i].x += dx;
        lpPoints[i].y += dy;
    }
    SetLastError(ERROR_SUCCESS);
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

HWND WINAPI WindowFromPoint(POINT Point) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    return HitLocked(store, store.topLevel, Point);
}

HWND WINAPI ChildWindowFromPoint(HWND hWndParent, POINT Point) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* parent = FindLocked(store, hWndParent);
    if (parent == nullptr) {
        return nullptr;
    }
    RECT client{0, 0, parent->rect.right - parent->rect.left, parent->rect.bottom - parent->rect.top};
    if (!PtInRect(&client, Point)) {
        return nullptr;
    }
    // Immediate children only, hidden and disabled ones included.
    const std::vector<HWND>& children = hWndParent == store.desktop ? store.topLevel : parent->children;
    for (HWND hwnd : children) {
        Window* child = FindLocked(store, hwnd);
        if (child != nullptr && PtInRect(&child->rect, Point)) {
            return hwnd;
        }
    }
    return hWndParent;
}

int WINAPI GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN:
        return qx::win32::kScreenWidth;
    case SM_CYSCREEN:
        return qx::win32::kScreenHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return 17;
    case SM_CYCAPTION:
        return 23;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    default:
        return 0;
    }
}
