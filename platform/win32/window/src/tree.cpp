// The window tree: parents and children in Z order, owners, and the desktop at the root.
#include <algorithm>

#include "errhandlingapi.h"
#include "window_core.h"
#include "winerror.h"

namespace qx::win32::window {
namespace {

// Siblings of the window in Z order: its parent's children, or the top-level windows.
const std::vector<HWND>* SiblingsLocked(Store& store, const Window& window) {
    if (window.parent != nullptr) {
        Window* parent = FindLocked(store, window.parent);
        return parent ? &parent->children : nullptr;
    }
    return &store.topLevel;
}

void EnumerateLocked(Store& store, const std::vector<HWND>& windows, std::vector<HWND>& out) {
    for (HWND hwnd : windows) {
        if (Window* window = FindLocked(store, hwnd)) {
            out.push_back(hwnd);
            EnumerateLocked(store, window->children, out);
        }
    }
}

} // namespace
} // namespace qx::win32::window

using namespace qx::win32;
using namespace qx::win32::window;

HWND WINAPI GetDesktopWindow() {
    return TheStore().desktop;
}

HWND WINAPI GetParent(HWND hWnd) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (window->style & WS_CHILD) {
        return window->parent;
    }
    return (window->style & WS_POPUP) ? window->owner : nullptr;
}

HWND WINAPI SetParent(HWND hWndChild, HWND hWndNewParent) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hWndChild);
    if (hWndNewParent == store.desktop) {
        hWndNewParent = nullptr;
    }
    Window* newParent = hWndNewParent ? FindLocked(store, hWndNewParent) : nullptr;
    if (window == nullptr || hWndChild == store.desktop ||
        (hWndNewParent != nullptr && newParent == nullptr)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    // A window cannot become a child of itself or of one of its descendants.
    for (Window* up = newParent; up != nullptr; up = up->parent ? FindLocked(store, up->parent) : nullptr) {
        if (up == window) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    }
    HWND previous = window->parent ? window->parent : store.desktop;
    if (window->parent != nullptr) {
        if (Window* old = FindLocked(store, window->parent)) {
            std::erase(old->children, hWndChild);
        }
    } else {
        std::erase(store.topLevel, hWndChild);
    }
    window->parent = hWndNewParent;
    if (newParent != nullptr) {
        newParent->children.insert(newParent->children.begin(), hWndChild);
    } else {
        store.topLevel.insert(store.topLevel.begin(), hWndChild);
    }
    return previous;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (uCmd == GW_CHILD) {
        const std::vector<HWND>& children = hWnd == store.desktop ? store.topLevel : window->children;
        return children.empty() ? nullptr : children.front();
    }
    if (uCmd == GW_OWNER) {
        return window->owner;
    }
    if (hWnd == store.desktop) {
        return nullptr;
    }
    const std::vector<HWND>* siblings = SiblingsLocked(store, *window);
    if (siblings == nullptr || siblings->empty()) {
        return nullptr;
    }
    auto at = std::find(siblings->begin(), siblings->end(), hWnd);
    switch (uCmd) {
    case GW_HWNDFIRST:
        return siblings->front();
    case GW_HWNDLAST:
        return siblings->back();
    case GW_HWNDNEXT:
        return at == siblings->end() || at + 1 == siblings->end() ? nullptr : *(at + 1);
    case GW_HWNDPREV:
        return at == siblings->begin() || at == siblings->end() ? nullptr : *(at - 1);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HWND WINAPI GetAncestor(HWND hwnd, UINT gaFlags) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hwnd);
    if (window == nullptr || hwnd == store.desktop) {
        return nullptr;
    }
    switch (gaFlags) {
    case GA_PARENT:
        return window->parent ? window->parent : store.desktop;
    case GA_ROOT:
    case GA_ROOTOWNER: {
        Window* root = window;
        while (root->parent != nullptr) {
            Window* up = FindLocked(store, root->parent);
            if (up == nullptr) {
                break;
            }
            root = up;
        }
        if (gaFlags == GA_ROOTOWNER) {
            while (Window* owner = root->owner ? FindLocked(store, root->owner) : nullptr) {
                root = owner;
            }
        }
        return root->handle;
    }
    default:
        return nullptr;
    }
}

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hWnd);
    while (window != nullptr && (window->style & WS_CHILD) && window->parent != nullptr) {
        if (window->parent == hWndParent) {
            return TRUE;
        }
        window = FindLocked(store, window->parent);
    }
    return FALSE;
}

BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
    if (lpEnumFunc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<HWND> found;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        if (hWndParent == nullptr || hWndParent == store.desktop) {
            found = store.topLevel; // as EnumWindows
        } else if (Window* parent = FindLocked(store, hWndParent)) {
            EnumerateLocked(store, parent->children, found);
        } else {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
    }
    for (HWND hwnd : found) {
        // A window destroyed by an earlier callback is skipped.
        if (IsWindow(hwnd) && !lpEnumFunc(hwnd, lParam)) {
            break;
        }
    }
    return TRUE;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return (window->style & WS_CHILD) ? static_cast<int>(window->id) : 0;
}
