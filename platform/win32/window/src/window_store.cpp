#include "window_store.h"

#include "qx/win32/codepage.h"
#include "qx/win32/message_queue.h"
#include "qx/win32/window_internals.h"
#include "window_manager.h"

namespace qx::win32::window {

Store& TheStore() {
    // Never destroyed: threads may still end (and drop their windows) during exit.
    static Store* store = [] {
        auto* made = new Store;
        // The desktop: the screen, parent of every top-level window, owned by no thread.
        auto desktopClass = std::make_shared<WindowClass>();
        desktopClass->name = desktopClass->key = u"#32769";
        desktopClass->atom = 32769;
        desktopClass->system = true;
        desktopClass->windows = 1;
        auto desktop = std::make_shared<Window>();
        desktop->handle = reinterpret_cast<HWND>(made->nextHandle);
        made->nextHandle += 4;
        desktop->windowClass = desktopClass;
        desktop->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
        desktop->rect = RECT{0, 0, kScreenWidth, kScreenHeight};
        desktop->life = Life::Live;
        made->desktop = desktop->handle;
        made->classes.push_back(desktopClass);
        made->windows.emplace(desktop->handle, desktop);
        InstallWindowManager(*made);
        return made;
    }();
    return *store;
}

Window* FindLocked(Store& store, HWND hwnd) {
    auto it = store.windows.find(hwnd);
    if (it == store.windows.end() || it->second->life == Life::Dead) {
        return nullptr;
    }
    return it->second.get();
}

std::shared_ptr<Window> FindSharedLocked(Store& store, HWND hwnd) {
    auto it = store.windows.find(hwnd);
    if (it == store.windows.end() || it->second->life == Life::Dead) {
        return nullptr;
    }
    return it->second;
}

std::shared_ptr<Window> FindWindow(HWND hwnd) {
    if (hwnd == nullptr) {
        return nullptr;
    }
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    return FindSharedLocked(store, hwnd);
}

std::u16string FoldCase(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return folded;
}

std::u16string AtomKey(ULONG_PTR atom) {
    std::string digits = "#" + std::to_string(atom);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string NameKey(LPCSTR name) {
    if (IS_INTRESOURCE(name)) {
        return AtomKey(reinterpret_cast<ULONG_PTR>(name));
    }
    return FoldCase(AnsiToWide(name));
}

std::u16string NameKey(LPCWSTR name) {
    if (IS_INTRESOURCE(name)) {
        return AtomKey(reinterpret_cast<ULONG_PTR>(name));
    }
    return FoldCase(name);
}

bool IsVisibleLocked(Store& store, const Window& window) {
    const Window* current = &window;
    while (current != nullptr) {
        if ((current->style & WS_VISIBLE) == 0) {
            return false;
        }
        current = current->parent != nullptr ? FindLocked(store, current->parent) : nullptr;
    }
    return true;
}

POINT ScreenOriginLocked(Store& store, const Window& window) {
    POINT origin{0, 0};
    const Window* current = &window;
    while (current != nullptr && current->handle != store.desktop) {
        origin.x += current->rect.left;
        origin.y += current->rect.top;
        current = current->parent != nullptr ? FindLocked(store, current->parent) : nullptr;
    }
    return origin;
}

} // namespace qx::win32::window
