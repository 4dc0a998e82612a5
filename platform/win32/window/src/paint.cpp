// Update regions, kept as one bounding rectangle per window. A hidden window is never
// invalidated (showing it invalidates all of it). WM_PAINT is made for a window of the thread
// with an update region when nothing is posted; it stays until the region is validated.
#include <atomic>

#include "errhandlingapi.h"
#include "processthreadsapi.h"
#include "qx/win32/message_queue.h"
#include "qx/win32/window_internals.h"
#include "sysinfoapi.h"
#include "window_core.h"
#include "winerror.h"
#include "winuser_paint.h"
#include "winuser_position.h"

namespace qx::win32::window {
namespace {

std::atomic<PaintObserver*> g_observer{nullptr};

} // namespace

void Invalidate(HWND hwnd, const RECT* area, bool erase) {
    RECT added{};
    DWORD threadId = 0;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hwnd);
        if (window == nullptr || hwnd == store.desktop || !IsVisibleLocked(store, *window)) {
            return;
        }
        RECT client{0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
        if (area == nullptr) {
            added = client;
        } else if (!IntersectRect(&added, area, &client)) {
            return;
        }
        if (window->hasUpdate) {
            UnionRect(&window->update, &window->update, &added);
        } else {
            window->update = added;
            window->hasUpdate = true;
        }
        window->eraseUpdate = window->eraseUpdate || erase;
        threadId = window->threadId;
    }
    if (threadId != GetCurrentThreadId()) {
        WakeMessageThread(threadId, QS_PAINT);
    }
    if (PaintObserver* observer = g_observer.load()) {
        observer->WindowInvalidated(hwnd, added, erase);
    }
}

// The oldest window of the thread that needs painting and passes the filter.
bool TakePaintMessage(HWND filter, MSG* out) {
    DWORD self = GetCurrentThreadId();
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    const Window* best = nullptr;
    for (auto& [hwnd, window] : store.windows) {
        if (window->threadId != self || !window->hasUpdate || window->life == Life::Dead ||
            (filter != nullptr && hwnd != filter)) {
            continue;
        }
        if (best == nullptr || window->serial < best->serial) {
            best = window.get();
        }
    }
    if (best == nullptr) {
        return false;
    }
    *out = MSG{best->handle, WM_PAINT, 0, 0, GetTickCount(), POINT{0, 0}};
    return true;
}

} // namespace qx::win32::window

using namespace qx::win32;
using namespace qx::win32::window;

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    if (hWnd == nullptr) {
        // Every window of the screen.
        std::vector<HWND> all;
        {
            Store& store = TheStore();
            std::lock_guard guard(store.lock);
            for (auto& [hwnd, window] : store.windows) {
                if (hwnd != store.desktop) {
                    all.push_back(hwnd);
                }
            }
        }
        for (HWND hwnd : all) {
            Invalidate(hwnd, nullptr, bErase != FALSE);
        }
        return TRUE;
    }
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Invalidate(hWnd, lpRect, bErase != FALSE);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // A bounding rectangle shrinks only when the validated area covers it.
    RECT covered{};
    if (lpRect == nullptr ||
        (IntersectRect(&covered, lpRect, &window->update) && EqualRect(&covered, &window->update))) {
        window->hasUpdate = false;
        window->eraseUpdate = false;
        window->update = RECT{};
    }
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (lpRect != nullptr) {
        *lpRect = window->hasUpdate ? window->update : RECT{};
    }
    return window->hasUpdate ? TRUE : FALSE;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    bool needsPaint = false;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hWnd);
        if (window == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        needsPaint = window->hasUpdate;
    }
    if (needsPaint) {
        Send(hWnd, WM_PAINT, 0, 0);
    }
    return TRUE;
}

qx::win32::PaintObserver* qx::win32::SetPaintObserver(PaintObserver* observer) {
    return g_observer.exchange(observer);
}

bool qx::win32::TakeUpdateRegion(HWND hwnd, RECT* area, bool* erase) {
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hwnd);
        if (window == nullptr) {
            return false;
        }
        if (area != nullptr) {
            *area = window->hasUpdate ? window->update : RECT{};
        }
        if (erase != nullptr) {
            *erase = window->hasUpdate && window->eraseUpdate;
        }
        window->hasUpdate = false;
        window->eraseUpdate = false;
        window->update = RECT{};
    }
    if (PaintObserver* observer = g_observer.load()) {
        observer->WindowPainted(hwnd);
    }
    return true;
}
