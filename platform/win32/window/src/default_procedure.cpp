// DefWindowProc's answers. The window has no frame, so its whole rectangle is client area.
#include <algorithm>
#include <cstring>

#include "qx/win32/codepage.h"
#include "qx/win32/window_internals.h"
#include "window_core.h"
#include "winuser_input.h"
#include "winuser_position.h"

namespace qx::win32::window {
namespace {

void StoreText(HWND hwnd, std::u16string text) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    if (Window* window = FindLocked(store, hwnd)) {
        window->text = std::move(text);
    }
}

std::u16string TextOf(HWND hwnd) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hwnd);
    return window ? window->text : std::u16string();
}

std::u16string GivenText(LPARAM text, bool wide) {
    if (text == 0) {
        return {};
    }
    return wide ? std::u16string(reinterpret_cast<LPCWSTR>(text))
                : AnsiToWide(reinterpret_cast<LPCSTR>(text));
}

LRESULT CopyText(HWND hwnd, WPARAM capacity, LPARAM buffer, bool wide) {
    if (buffer == 0 || capacity == 0) {
        return 0;
    }
    std::u16string text = TextOf(hwnd);
    if (wide) {
        auto* out = reinterpret_cast<LPWSTR>(buffer);
        size_t count = std::min(text.size(), static_cast<size_t>(capacity) - 1);
        std::memcpy(out, text.data(), count * sizeof(WCHAR));
        out[count] = u'\0';
        return static_cast<LRESULT>(count);
    }
    return CopyTextAsAnsi(text, reinterpret_cast<char*>(buffer), static_cast<size_t>(capacity));
}

struct Facts {
    HWND parent = nullptr;
    bool child = false;
    DWORD style = 0;
    RECT screen{};
    HCURSOR classCursor = nullptr;
    HBRUSH background = nullptr;
    POINT origin{};
};

bool FactsOf(HWND hwnd, Facts* facts) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hwnd);
    if (window == nullptr) {
        return false;
    }
    facts->child = (window->style & WS_CHILD) != 0;
    facts->parent = facts->child ? window->parent : nullptr;
    facts->style = window->style;
    facts->origin = ScreenOriginLocked(store, *window);
    facts->screen =
        RECT{facts->origin.x, facts->origin.y, facts->origin.x + (window->rect.right - window->rect.left),
             facts->origin.y + (window->rect.bottom - window->rect.top)};
    facts->classCursor = window->windowClass->cursor;
    facts->background = window->windowClass->background;
    return true;
}

LRESULT SetCursorDefault(HWND hwnd, WPARAM wParam, LPARAM lParam, const Facts& facts) {
    // The parent decides first; TRUE from it ends the matter.
    if (facts.parent != nullptr && Send(facts.parent, WM_SETCURSOR, wParam, lParam) != 0) {
        return TRUE;
    }
    auto hit = static_cast<SHORT>(LOWORD(lParam));
    if (hit == HTCLIENT) {
        if (facts.classCursor != nullptr) {
            SetCursor(facts.classCursor);
        }
        return FALSE;
    }
    (void)hwnd;
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    return FALSE;
}

void SendSizeAndMove(HWND hwnd, const WINDOWPOS& pos, DWORD style) {
    if ((pos.flags & SWP_NOSIZE) == 0) {
        WPARAM kind = (style & WS_MINIMIZE)   ? SIZE_MINIMIZED
                      : (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                              : SIZE_RESTORED;
        RECT client{};
        GetClientRect(hwnd, &client);
        Send(hwnd, WM_SIZE, kind, MAKELPARAM(client.right, client.bottom));
    }
    if ((pos.flags & SWP_NOMOVE) == 0) {
        RECT rect{};
        if (GetWindowRect(hwnd, &rect)) {
            POINT origin{rect.left, rect.top};
            if (HWND parent = GetAncestor(hwnd, GA_PARENT);
                parent != nullptr && parent != GetDesktopWindow()) {
                ScreenToClient(parent, &origin);
            }
            Send(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
        }
    }
}

} // namespace

LRESULT DefaultProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool wide) {
    switch (message) {
    case WM_NCCREATE: {
        if (lParam != 0) {
            // The text of the new window comes from its creation parameters.
            LPARAM name = wide ? reinterpret_cast<LPARAM>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpszName)
                               : reinterpret_cast<LPARAM>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpszName);
            if (name != 0 && !IS_INTRESOURCE(reinterpret_cast<LPCSTR>(name))) {
                StoreText(hwnd, GivenText(name, wide));
            }
        }
        return TRUE;
    }
    case WM_SETTEXT:
        StoreText(hwnd, GivenText(lParam, wide));
        return TRUE;
    case WM_GETTEXT:
        return CopyText(hwnd, wParam, lParam, wide);
    case WM_GETTEXTLENGTH: {
        std::u16string text = TextOf(hwnd);
        return static_cast<LRESULT>(wide ? text.size() : WideToAnsi(text).size());
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT: {
        RECT area;
        bool erase = false;
        TakeUpdateRegion(hwnd, &area, &erase);
        return 0;
    }
    default:
        break;
    }

    Facts facts;
    if (!FactsOf(hwnd, &facts)) {
        return 0;
    }
    switch (message) {
    case WM_NCHITTEST: {
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        return PtInRect(&facts.screen, point) ? HTCLIENT : HTNOWHERE;
    }
    case WM_SETCURSOR:
        return SetCursorDefault(hwnd, wParam, lParam, facts);
    case WM_MOUSEACTIVATE:
        if (facts.parent != nullptr) {
            if (LRESULT answer = Send(facts.parent, WM_MOUSEACTIVATE, wParam, lParam); answer != 0) {
                return answer;
            }
        }
        return MA_ACTIVATE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && (facts.style & WS_MINIMIZE) == 0) {
            ChangeFocus(hwnd);
        }
        return 0;
    case WM_WINDOWPOSCHANGED:
        if (lParam != 0) {
            SendSizeAndMove(hwnd, *reinterpret_cast<const WINDOWPOS*>(lParam), facts.style);
        }
        return 0;
    case WM_ERASEBKGND:
        return facts.background != nullptr ? 1 : 0;
    case WM_RBUTTONUP: {
        POINT point{GET_X_LPARAM(lParam) + facts.origin.x, GET_Y_LPARAM(lParam) + facts.origin.y};
        SendToWindow(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(point.x, point.y),
                     wide);
        return 0;
    }
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        // Children pass these up to their parent.
        if (facts.parent != nullptr) {
            return SendToWindow(facts.parent, message, wParam, lParam, wide);
        }
        return 0;
    default:
        return 0;
    }
}

} // namespace qx::win32::window
