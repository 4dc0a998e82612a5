// Focus and activation (per thread, as each thread has its own input state on Windows), the
// foreground window and the mouse capture (one for the screen), key states and the cursor
// position.
#include <algorithm>
#include <array>
#include <atomic>

#include "errhandlingapi.h"
#include "processthreadsapi.h"
#include "qx/win32/message_queue.h"
#include "qx/win32/window_internals.h"
#include "window_core.h"
#include "winerror.h"
#include "winuser_input.h"

namespace qx::win32::window {
namespace {

// Bit 0x80 down, bit 0x01 toggled.
std::array<std::atomic<BYTE>, 256> g_keys{};
std::atomic<LONG> g_cursorX{0};
std::atomic<LONG> g_cursorY{0};

HWND RootLocked(Store& store, HWND hwnd) {
    Window* window = FindLocked(store, hwnd);
    while (window != nullptr && (window->style & WS_CHILD) && window->parent != nullptr) {
        Window* up = FindLocked(store, window->parent);
        if (up == nullptr) {
            break;
        }
        window = up;
    }
    return window ? window->handle : nullptr;
}

} // namespace

ThreadInput& ThreadInputLocked(Store& store, DWORD threadId) {
    return store.threads[threadId];
}

HWND ChangeFocus(HWND hwnd) {
    DWORD self = GetCurrentThreadId();
    HWND root = nullptr;
    HWND active = nullptr;
    HWND old = nullptr;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        ThreadInput& input = ThreadInputLocked(store, self);
        old = input.focus;
        if (hwnd != nullptr) {
            Window* window = FindLocked(store, hwnd);
            if (window == nullptr || hwnd == store.desktop || window->life == Life::Destroying) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            if (window->threadId != self) {
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
            root = RootLocked(store, hwnd);
            active = input.active;
        }
        if (old == hwnd) {
            return old;
        }
    }
    // Focus on a window of an inactive top-level window activates it first.
    if (root != nullptr && root != active) {
        ChangeActive(root, WA_ACTIVE);
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        ThreadInput& input = ThreadInputLocked(store, self);
        if (input.focus == hwnd) {
            return old; // activation already gave it the focus
        }
        old = input.focus;
    }
    if (old != nullptr) {
        Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    }
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        if (hwnd != nullptr && FindLocked(store, hwnd) == nullptr) {
            return old;
        }
        ThreadInputLocked(store, self).focus = hwnd;
    }
    if (hwnd != nullptr) {
        Send(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    }
    return old;
}

HWND ChangeActive(HWND hwnd, WORD how) {
    DWORD self = GetCurrentThreadId();
    HWND old = nullptr;
    HWND lost = nullptr;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        ThreadInput& input = ThreadInputLocked(store, self);
        old = input.active;
        if (hwnd != nullptr) {
            hwnd = RootLocked(store, hwnd);
            Window* window = FindLocked(store, hwnd);
            if (window == nullptr || window->threadId != self || hwnd == store.desktop) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
        }
        if (old == hwnd) {
            return old;
        }
    }
    if (old != nullptr) {
        Send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
    }
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        ThreadInput& input = ThreadInputLocked(store, self);
        if (hwnd != nullptr && FindLocked(store, hwnd) == nullptr) {
            return old;
        }
        input.active = hwnd;
        if (hwnd != nullptr) {
            store.foreground = hwnd;
            // The active window comes to the top.
            std::erase(store.topLevel, hwnd);
            store.topLevel.insert(store.topLevel.begin(), hwnd);
        } else if (store.foreground == old) {
            store.foreground = nullptr;
        }
        // The focus stays only inside the active window.
        if (input.focus != nullptr && RootLocked(store, input.focus) != hwnd) {
            lost = input.focus;
            input.focus = nullptr;
        }
    }
    if (lost != nullptr && IsWindow(lost)) {
        Send(lost, WM_KILLFOCUS, 0, 0);
    }
    if (hwnd != nullptr) {
        Send(hwnd, WM_ACTIVATE, MAKEWPARAM(how, 0), reinterpret_cast<LPARAM>(old));
    }
    return old;
}

void ReleaseCaptureWithin(HWND hwnd, bool notify) {
    HWND lost = nullptr;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        HWND capture = store.capture;
        if (capture == nullptr) {
            return;
        }
        bool within = capture == hwnd;
        for (Window* w = FindLocked(store, capture); !within && w != nullptr && (w->style & WS_CHILD);
             w = w->parent ? FindLocked(store, w->parent) : nullptr) {
            within = w->parent == hwnd;
        }
        if (!within) {
            return;
        }
        store.capture = nullptr;
        lost = capture;
    }
    if (notify) {
        Send(lost, WM_CAPTURECHANGED, 0, 0);
    }
}

} // namespace qx::win32::window

using namespace qx::win32;
using namespace qx::win32::window;

HWND WINAPI SetFocus(HWND hWnd) {
    return ChangeFocus(hWnd);
}

HWND WINAPI GetFocus() {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    return ThreadInputLocked(store, GetCurrentThreadId()).focus;
}

HWND WINAPI GetActiveWindow() {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    return ThreadInputLocked(store, GetCurrentThreadId()).active;
}

HWND WINAPI SetActiveWindow(HWND hWnd) {
    if (hWnd != nullptr && GetWindowThread(hWnd) != GetCurrentThreadId()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return ChangeActive(hWnd, WA_ACTIVE);
}

HWND WINAPI GetForegroundWindow() {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    return store.foreground;
}

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
    DWORD owner = GetWindowThread(hWnd);
    if (owner == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (owner == GetCurrentThreadId()) {
        ChangeActive(hWnd, WA_ACTIVE);
        return TRUE;
    }
    // Another thread's window is activated on its own thread when it next pumps.
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        HWND root = RootLocked(store, hWnd);
        store.foreground = root;
    }
    PostThreadCall(owner, [hWnd] { ChangeActive(hWnd, WA_ACTIVE); });
    return TRUE;
}

HWND WINAPI SetCapture(HWND hWnd) {
    HWND old = nullptr;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hWnd);
        if (window == nullptr || hWnd == store.desktop) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        old = store.capture;
        store.capture = hWnd;
    }
    if (old != nullptr && old != hWnd) {
        Send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
    }
    return old;
}

BOOL WINAPI ReleaseCapture() {
    HWND old = nullptr;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        old = store.capture;
        store.capture = nullptr;
    }
    if (old != nullptr) {
        Send(old, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

HWND WINAPI GetCapture() {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, store.capture);
    return window != nullptr && window->threadId == GetCurrentThreadId() ? store.capture : nullptr;
}

SHORT WINAPI GetKeyState(int nVirtKey) {
    if (nVirtKey < 0 || nVirtKey > 255) {
        return 0;
    }
    BYTE state = g_keys[static_cast<size_t>(nVirtKey)].load();
    return static_cast<SHORT>(((state & 0x80) ? 0x8000 : 0) | (state & 0x01));
}

SHORT WINAPI GetAsyncKeyState(int vKey) {
    if (vKey < 0 || vKey > 255) {
        return 0;
    }
    return (g_keys[static_cast<size_t>(vKey)].load() & 0x80) ? static_cast<SHORT>(0x8000) : 0;
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
    if (lpPoint == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpPoint = POINT{g_cursorX.load(), g_cursorY.load()};
    return TRUE;
}

BOOL WINAPI SetCursorPos(int X, int Y) {
    // The cursor stays on the screen.
    g_cursorX = std::clamp(X, 0, qx::win32::kScreenWidth - 1);
    g_cursorY = std::clamp(Y, 0, qx::win32::kScreenHeight - 1);
    return TRUE;
}

void qx::win32::SetKeyDown(int vk, bool down) {
    auto set = [down](int key) {
        if (key < 0 || key > 255) {
            return;
        }
        std::atomic<BYTE>& state = g_keys[static_cast<size_t>(key)];
        BYTE old = state.load();
        BYTE next = down ? static_cast<BYTE>(0x80 | ((old & 0x80) ? (old & 0x01) : ((old & 0x01) ^ 0x01)))
                         : static_cast<BYTE>(old & 0x01);
        state = next;
    };
    set(vk);
    // The left and right keys also move the key that stands for both.
    if (vk == VK_LSHIFT || vk == VK_RSHIFT) {
        set(VK_SHIFT);
    } else if (vk == VK_LCONTROL || vk == VK_RCONTROL) {
        set(VK_CONTROL);
    } else if (vk == VK_LMENU || vk == VK_RMENU) {
        set(VK_MENU);
    }
}

void qx::win32::ResetKeyState() {
    for (auto& key : g_keys) {
        key = 0;
    }
    g_cursorX = 0;
    g_cursorY = 0;
}

HWND qx::win32::GetCaptureWindow() {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    return FindLocked(store, store.capture) ? store.capture : nullptr;
}

HWND qx::win32::GetKeyboardTarget() {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* foreground = FindLocked(store, store.foreground);
    if (foreground == nullptr) {
        return nullptr;
    }
    auto it = store.threads.find(foreground->threadId);
    if (it != store.threads.end() && FindLocked(store, it->second.focus) != nullptr) {
        return it->second.focus;
    }
    return store.foreground;
}
