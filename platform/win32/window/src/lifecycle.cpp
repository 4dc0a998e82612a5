// Creation and destruction of windows. CreateWindowEx sends WM_GETMINMAXINFO (top-level
// windows), WM_NCCREATE, WM_CREATE, WM_SIZE and WM_MOVE, then shows a WS_VISIBLE window;
// DestroyWindow sends WM_DESTROY parent first and WM_NCDESTROY children first, each window
// leaving the handle table right after its WM_NCDESTROY.
#include <unistd.h>

#include <algorithm>

#include "errhandlingapi.h"
#include "processthreadsapi.h"
#include "qx/win32/window_internals.h"
#include "window_core.h"
#include "winerror.h"
#include "winuser_input.h"
#include "winuser_position.h"

namespace qx::win32::window {
namespace {

// A window of CW_USEDEFAULT size takes three quarters of the screen.
constexpr int kDefaultWidth = kScreenWidth * 3 / 4;
constexpr int kDefaultHeight = kScreenHeight * 3 / 4;

HWND NewHandleLocked(Store& store) {
    for (;;) {
        auto value = store.nextHandle;
        store.nextHandle += 4;
        if (store.nextHandle > 0x7FFFFFF0) {
            store.nextHandle = 0x10010;
        }
        auto hwnd = reinterpret_cast<HWND>(value);
        if (store.windows.count(hwnd) == 0) {
            return hwnd;
        }
    }
}

// Collects the window and its descendants, parents before children.
void SubtreeLocked(Store& store, HWND hwnd, std::vector<HWND>& out) {
    Window* window = FindLocked(store, hwnd);
    if (window == nullptr) {
        return;
    }
    out.push_back(hwnd);
    for (HWND child : window->children) {
        SubtreeLocked(store, child, out);
    }
}

// Takes the window out of every table; what it held is returned to be released unlocked.
std::map<std::string, std::shared_ptr<void>, std::less<>> RemoveLocked(Store& store, HWND hwnd) {
    auto it = store.windows.find(hwnd);
    if (it == store.windows.end()) {
        return {};
    }
    std::shared_ptr<Window> window = it->second;
    window->life = Life::Dead;
    store.windows.erase(it);
    if (Window* parent = window->parent ? FindLocked(store, window->parent) : nullptr) {
        std::erase(parent->children, hwnd);
    }
    std::erase(store.topLevel, hwnd);
    --window->windowClass->windows;
    KillWindowTimersLocked(store, hwnd, window->threadId);
    for (auto& [id, input] : store.threads) {
        if (input.focus == hwnd) {
            input.focus = nullptr;
        }
        if (input.active == hwnd) {
            input.active = nullptr;
        }
    }
    if (store.capture == hwnd) {
        store.capture = nullptr;
    }
    if (store.foreground == hwnd) {
        store.foreground = nullptr;
    }
    window->properties.clear();
    return std::move(window->attachments);
}

template <typename Text>
HWND Create(DWORD exStyle, Text className, Text windowName, DWORD style, int x, int y, int cx, int cy,
            HWND parentOrOwner, HMENU menu, HINSTANCE instance, LPVOID param, bool wide) {
    if (className == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    std::shared_ptr<WindowClass> windowClass = FindClassForCreation(NameKey(className), instance);
    if (!windowClass) {
        RunSystemClassRegistrars();
        windowClass = FindClassForCreation(NameKey(className), instance);
    }
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    bool child = (style & WS_CHILD) != 0;
    HWND desktop = GetDesktopWindow();
    if (parentOrOwner == desktop) {
        parentOrOwner = nullptr;
    }
    if (child && parentOrOwner == nullptr) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    if (child) {
        if (x == CW_USEDEFAULT) {
            x = y = 0;
        }
        if (cx == CW_USEDEFAULT) {
            cx = cy = 0;
        }
    } else {
        if (x == CW_USEDEFAULT) {
            x = y = 0;
        }
        if (cx == CW_USEDEFAULT) {
            cx = kDefaultWidth;
            cy = kDefaultHeight;
        }
    }
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);

    HWND hwnd = nullptr;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* parentWindow = parentOrOwner ? FindLocked(store, parentOrOwner) : nullptr;
        if (parentOrOwner != nullptr && parentWindow == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        auto window = std::make_shared<Window>();
        hwnd = NewHandleLocked(store);
        window->handle = hwnd;
        window->threadId = GetCurrentThreadId();
        window->windowClass = windowClass;
        ++windowClass->windows;
        window->procedure = windowClass->procedure;
        window->style = style & ~static_cast<DWORD>(WS_VISIBLE);
        window->exStyle = exStyle;
        window->id = child ? reinterpret_cast<LONG_PTR>(menu) : 0;
        window->instance = instance;
        window->rect = RECT{x, y, x + cx, y + cy};
        window->extra.assign(static_cast<size_t>(windowClass->windowExtra), 0);
        window->serial = store.nextSerial++;
        if (child) {
            window->parent = parentOrOwner;
            parentWindow->children.push_back(hwnd); // new children go to the bottom
        } else {
            // The owner of a top-level window is always a top-level window.
            HWND owner = parentOrOwner;
            while (Window* o = owner ? FindLocked(store, owner) : nullptr) {
                if ((o->style & WS_CHILD) == 0) {
                    break;
                }
                owner = o->parent;
            }
            window->owner = owner;
            store.topLevel.insert(store.topLevel.begin(), hwnd);
        }
        store.windows.emplace(hwnd, std::move(window));
    }

    if (!child) {
        MINMAXINFO limits{};
        limits.ptMaxSize = POINT{kScreenWidth, kScreenHeight};
        limits.ptMaxTrackSize = POINT{kScreenWidth, kScreenHeight};
        CallWindowProcedure(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits), wide);
        if (!IsWindow(hwnd)) {
            return nullptr;
        }
        int width = std::clamp(cx, static_cast<int>(limits.ptMinTrackSize.x),
                               std::max<int>(limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x));
        int height = std::clamp(cy, static_cast<int>(limits.ptMinTrackSize.y),
                                std::max<int>(limits.ptMinTrackSize.y, limits.ptMaxTrackSize.y));
        if (width != cx || height != cy) {
            cx = width;
            cy = height;
            Store& store = TheStore();
            std::lock_guard guard(store.lock);
            if (Window* window = FindLocked(store, hwnd)) {
                window->rect.right = window->rect.left + cx;
                window->rect.bottom = window->rect.top + cy;
            }
        }
    }

    using CreateStruct = std::conditional_t<std::is_same_v<Text, LPCWSTR>, CREATESTRUCTW, CREATESTRUCTA>;
    CreateStruct cs{param,      instance,  menu,   parentOrOwner, cy, cx, y, x, static_cast<LONG>(style),
                    windowName, className, exStyle};
    if (CallWindowProcedure(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs), wide) == 0) {
        if (IsWindow(hwnd)) {
            Destroy(hwnd);
        }
        return nullptr;
    }
    if (!IsWindow(hwnd)) {
        return nullptr;
    }
    if (CallWindowProcedure(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs), wide) == -1) {
        if (IsWindow(hwnd)) {
            Destroy(hwnd);
        }
        return nullptr;
    }
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hwnd);
        if (window == nullptr) {
            return nullptr;
        }
        window->life = Life::Live;
    }
    Send(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cx, cy));
    Send(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
    if ((style & WS_VISIBLE) != 0 && IsWindow(hwnd)) {
        ChangeVisibility(hwnd, true, true);
        if (!child && (exStyle & WS_EX_NOACTIVATE) == 0) {
            ChangeActive(hwnd, WA_ACTIVE);
        }
    }
    return IsWindow(hwnd) ? hwnd : nullptr;
}

} // namespace

bool Destroy(HWND hwnd) {
    Store& store = TheStore();
    {
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hwnd);
        if (window == nullptr || hwnd == store.desktop) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        if (window->threadId != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        if (window->life == Life::Destroying) {
            return true; // already on its way out (DestroyWindow from inside WM_DESTROY)
        }
    }
    // Windows it owns go first.
    std::vector<HWND> owned;
    {
        std::lock_guard guard(store.lock);
        for (HWND top : store.topLevel) {
            Window* w = FindLocked(store, top);
            if (w != nullptr && w->owner == hwnd && w->life != Life::Destroying) {
                owned.push_back(top);
            }
        }
    }
    for (HWND w : owned) {
        if (GetWindowThread(w) == GetCurrentThreadId()) {
            Destroy(w);
        }
    }
    ReleaseCaptureWithin(hwnd, true);

    std::vector<HWND> subtree;
    {
        std::lock_guard guard(store.lock);
        SubtreeLocked(store, hwnd, subtree);
        for (HWND h : subtree) {
            Window* w = FindLocked(store, h);
            w->life = Life::Destroying;
            // The focus and the activation leave the windows that go.
            for (auto& [id, input] : store.threads) {
                if (input.focus == h) {
                    input.focus = nullptr;
                }
                if (input.active == h) {
                    input.active = nullptr;
                }
            }
        }
    }
    for (HWND h : subtree) {
        CallWindowProcedure(h, WM_DESTROY, 0, 0, false);
    }
    for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) {
        if (!FindWindow(*it)) {
            continue;
        }
        CallWindowProcedure(*it, WM_NCDESTROY, 0, 0, false);
        std::map<std::string, std::shared_ptr<void>, std::less<>> released;
        {
            std::lock_guard guard(store.lock);
            released = RemoveLocked(store, *it);
        }
    }
    return true;
}

void DropThreadWindows(DWORD threadId) {
    Store& store = TheStore();
    std::vector<std::map<std::string, std::shared_ptr<void>, std::less<>>> released;
    {
        std::lock_guard guard(store.lock);
        std::vector<HWND> roots;
        for (auto& [hwnd, window] : store.windows) {
            if (window->threadId == threadId && window->life != Life::Dead) {
                roots.push_back(hwnd);
            }
        }
        std::vector<HWND> all;
        for (HWND root : roots) {
            SubtreeLocked(store, root, all);
        }
        // Children before parents, so that each leaves its parent's list first.
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            if (FindLocked(store, *it) != nullptr) {
                released.push_back(RemoveLocked(store, *it));
            }
        }
        store.threads.erase(threadId);
    }
}

} // namespace qx::win32::window

using namespace qx::win32;
using namespace qx::win32::window;

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X,
                            int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
    return Create(dwExStyle, lpClassName, lpWindowName, dwStyle, X, Y, nWidth, nHeight, hWndParent, hMenu,
                  hInstance, lpParam, false);
}

HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X,
                            int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
    return Create(dwExStyle, lpClassName, lpWindowName, dwStyle, X, Y, nWidth, nHeight, hWndParent, hMenu,
                  hInstance, lpParam, true);
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    return Destroy(hWnd) ? TRUE : FALSE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
    return FindWindow(hWnd) ? TRUE : FALSE;
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
    DWORD threadId = qx::win32::GetWindowThread(hWnd);
    if (threadId == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (lpdwProcessId != nullptr) {
        *lpdwProcessId = static_cast<DWORD>(getpid());
    }
    return threadId;
}

DWORD qx::win32::GetWindowThread(HWND hwnd) {
    std::shared_ptr<Window> window = FindWindow(hwnd);
    return window ? window->threadId : 0;
}

bool qx::win32::GetWindowClientSize(HWND hwnd, SIZE* size) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hwnd);
    if (window == nullptr || size == nullptr) {
        return false;
    }
    *size = SIZE{window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
    return true;
}

bool qx::win32::SetWindowAttachment(HWND hwnd, std::string_view key, std::shared_ptr<void> value) {
    std::shared_ptr<void> previous;
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hwnd);
    if (window == nullptr) {
        return false;
    }
    auto it = window->attachments.find(key);
    if (it != window->attachments.end()) {
        previous = std::move(it->second);
        if (value) {
            it->second = std::move(value);
        } else {
            window->attachments.erase(it);
        }
    } else if (value) {
        window->attachments.emplace(std::string(key), std::move(value));
    }
    return true;
}

std::shared_ptr<void> qx::win32::GetWindowAttachment(HWND hwnd, std::string_view key) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hwnd);
    if (window == nullptr) {
        return nullptr;
    }
    auto it = window->attachments.find(key);
    return it == window->attachments.end() ? nullptr : it->second;
}

std::vector<HWND> qx::win32::GetThreadTopLevelWindows(DWORD threadId) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    std::vector<std::pair<unsigned long long, HWND>> found;
    for (HWND hwnd : store.topLevel) {
        Window* window = FindLocked(store, hwnd);
        if (window != nullptr && window->threadId == threadId) {
            found.emplace_back(window->serial, hwnd);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<HWND> result;
    for (auto& [serial, hwnd] : found) {
        result.push_back(hwnd);
    }
    return result;
}
