// GetWindowLongPtr/SetWindowLongPtr: the window's procedure (subclassing), module, owner, id,
// styles, user data, and the class's extra bytes of the window (a dialog's DWLP_ slots).
#include <cstring>

#include "errhandlingapi.h"
#include "processthreadsapi.h"
#include "window_core.h"
#include "winerror.h"

namespace qx::win32::window {
namespace {

template <typename Value>
bool ExtraSlot(const Window& window, int index) {
    return index >= 0 && static_cast<size_t>(index) + sizeof(Value) <= window.extra.size();
}

template <typename Value>
LONG_PTR GetLong(HWND hwnd, int index, bool wide) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hwnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(ProcedureValue(window->procedure, wide));
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>((window->style & WS_CHILD) ? window->parent : window->owner);
    case GWLP_ID:
        return window->id;
    case GWL_STYLE:
        return static_cast<LONG>(window->style);
    case GWL_EXSTYLE:
        return static_cast<LONG>(window->exStyle);
    case GWLP_USERDATA:
        return window->userData;
    default:
        break;
    }
    if (!ExtraSlot<Value>(*window, index)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    Value value;
    std::memcpy(&value, window->extra.data() + index, sizeof value);
    return static_cast<LONG_PTR>(value);
}

// Style changes are told to the window before and after (WM_STYLECHANGING/WM_STYLECHANGED).
LONG_PTR SetStyle(HWND hwnd, int index, DWORD value) {
    DWORD old = static_cast<DWORD>(GetLong<LONG_PTR>(hwnd, index, false));
    STYLESTRUCT change{old, value};
    Send(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hwnd);
        if (window == nullptr) {
            return 0;
        }
        (index == GWL_STYLE ? window->style : window->exStyle) = change.styleNew;
    }
    Send(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
    return static_cast<LONG>(old);
}

template <typename Value>
LONG_PTR SetLong(HWND hwnd, int index, LONG_PTR value, bool wide) {
    if (index == GWL_STYLE || index == GWL_EXSTYLE) {
        if (!IsWindow(hwnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        return SetStyle(hwnd, index, static_cast<DWORD>(value));
    }
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hwnd);
    if (window == nullptr || hwnd == store.desktop) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR old = 0;
    switch (index) {
    case GWLP_WNDPROC: {
        if (window->threadId != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
        Procedure replacement = ResolveProcedure(reinterpret_cast<WNDPROC>(value), wide);
        if (replacement.function == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        old = reinterpret_cast<LONG_PTR>(ProcedureValue(window->procedure, wide));
        window->procedure = replacement;
        return old;
    }
    case GWLP_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(window->instance);
        window->instance = reinterpret_cast<HINSTANCE>(value);
        return old;
    case GWLP_HWNDPARENT:
        if (window->style & WS_CHILD) {
            SetLastError(ERROR_INVALID_PARAMETER); // SetParent changes a child's parent
            return 0;
        }
        old = reinterpret_cast<LONG_PTR>(window->owner);
        window->owner = reinterpret_cast<HWND>(value);
        return old;
    case GWLP_ID:
        old = window->id;
        window->id = value;
        return old;
    case GWLP_USERDATA:
        old = window->userData;
        window->userData = value;
        return old;
    default:
        break;
    }
    if (!ExtraSlot<Value>(*window, index)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    Value previous;
    std::memcpy(&previous, window->extra.data() + index, sizeof previous);
    auto stored = static_cast<Value>(value);
    std::memcpy(window->extra.data() + index, &stored, sizeof stored);
    return static_cast<LONG_PTR>(previous);
}

} // namespace
} // namespace qx::win32::window

using namespace qx::win32;
using namespace qx::win32::window;

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
    return GetLong<LONG_PTR>(hWnd, nIndex, false);
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex) {
    return GetLong<LONG_PTR>(hWnd, nIndex, true);
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    return SetLong<LONG_PTR>(hWnd, nIndex, dwNewLong, false);
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    return SetLong<LONG_PTR>(hWnd, nIndex, dwNewLong, true);
}

// The 32-bit forms read and write four bytes of the extra bytes; the other slots are as wide
// as a pointer and come back truncated, as they do for a 64-bit program.
LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
    return static_cast<LONG>(GetLong<LONG>(hWnd, nIndex, false));
}

LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex) {
    return static_cast<LONG>(GetLong<LONG>(hWnd, nIndex, true));
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    return static_cast<LONG>(SetLong<LONG>(hWnd, nIndex, dwNewLong, false));
}

LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong) {
    return static_cast<LONG>(SetLong<LONG>(hWnd, nIndex, dwNewLong, true));
}
