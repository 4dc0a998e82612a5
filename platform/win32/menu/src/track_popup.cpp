// TrackPopupMenu: the owner is told the menu opens, the thread's queue runs as a menu's modal
// loop would run it, the UI driver chooses, and the choice is returned or sent as WM_COMMAND.
#include <cstdio>
#include <optional>

#include "errhandlingapi.h"
#include "menu_table.h"
#include "qx/win32/ui_driver.h"
#include "winerror.h"
#include "winuser_menu.h"
#include "winuser_message.h"
#include "winuser_window.h"

namespace qx::win32 {
namespace {

// Messages a menu's loop runs before the choice; a queue that keeps refilling itself does not
// hold the menu open for ever.
constexpr int kMaxPumped = 10000;
constexpr int kMaxDepth = 32;

thread_local bool t_menuActive = false;

std::vector<MenuItemView> ViewOf(HMENU handle, int depth) {
    std::vector<MenuItemView> views;
    Menu* menu = FindMenu(handle);
    if (menu == nullptr || depth > kMaxDepth) {
        return views;
    }
    for (const MenuItem& item : menu->items) {
        MenuItemView view;
        view.id = item.submenu != nullptr ? 0 : item.id;
        view.label = item.label;
        view.separator = (item.type & MFT_SEPARATOR) != 0;
        view.grayed = (item.state & MF_GRAYED) != 0;
        view.disabled = (item.state & MF_DISABLED) != 0;
        view.checked = (item.state & MF_CHECKED) != 0;
        view.popup = item.submenu != nullptr;
        if (view.popup) {
            view.submenu = ViewOf(item.submenu, depth + 1);
        }
        views.push_back(std::move(view));
    }
    return views;
}

// Whether a person could click the item with this id: it exists, is no separator or pop-up,
// and neither it nor a pop-up on the way to it is grayed or disabled.
bool Choosable(const std::vector<MenuItemView>& items, UINT id) {
    for (const MenuItemView& item : items) {
        if (item.grayed || item.disabled || item.separator) {
            continue;
        }
        if (item.popup ? Choosable(item.submenu, id) : item.id == id) {
            return true;
        }
    }
    return false;
}

// Runs what the thread's queue holds now (posted messages and due timers), as the menu's loop
// does while it is open. False when WM_QUIT came: it is posted again and the menu ends.
bool RunQueue() {
    MSG msg{};
    for (int i = 0; i < kMaxPumped && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

// The chosen id (0 for none); nothing when the menu could not be shown.
std::optional<UINT> Track(HMENU hMenu, UINT flags, int x, int y, HWND owner) {
    {
        std::lock_guard guard(MenuLock());
        if (FindMenu(hMenu) == nullptr) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return std::nullopt;
        }
    }
    if (!IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return std::nullopt;
    }
    if (t_menuActive) {
        SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
        return std::nullopt;
    }
    t_menuActive = true;
    bool notify = (flags & TPM_NONOTIFY) == 0;
    if (notify) {
        SendMessageW(owner, WM_ENTERMENULOOP, TRUE, 0);
        SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), MAKELPARAM(0, FALSE));
    }
    UINT chosen = 0;
    if (RunQueue()) {
        MenuRequest request;
        request.owner = owner;
        request.point = {x, y};
        request.flags = flags;
        {
            std::lock_guard guard(MenuLock());
            request.items = ViewOf(hMenu, 0);
        }
        UiDriver* driver = CurrentUiDriver();
        if (driver == nullptr) {
            std::fprintf(stderr, "TrackPopupMenu -> nothing chosen (no UI driver)\n");
        } else {
            chosen = driver->ShowMenu(request);
            if (chosen != 0 && !Choosable(request.items, chosen)) {
                chosen = 0;
            }
        }
    }
    if (notify) {
        SendMessageW(owner, WM_EXITMENULOOP, TRUE, 0);
    }
    t_menuActive = false;
    return chosen;
}

BOOL TrackAndFinish(HMENU hMenu, UINT flags, int x, int y, HWND owner) {
    std::optional<UINT> chosen = Track(hMenu, flags, x, y, owner);
    if (!chosen) {
        return FALSE;
    }
    if (flags & TPM_RETURNCMD) {
        return static_cast<BOOL>(*chosen);
    }
    if (*chosen != 0 && !(flags & TPM_NONOTIFY)) {
        SendMessageW(owner, WM_COMMAND, MAKEWPARAM(*chosen, 0), 0);
    }
    return TRUE;
}

} // namespace
} // namespace qx::win32

BOOL WINAPI TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT*) {
    return qx::win32::TrackAndFinish(hMenu, uFlags, x, y, hWnd);
}

BOOL WINAPI TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd, LPTPMPARAMS) {
    return qx::win32::TrackAndFinish(hMenu, uFlags, x, y, hwnd);
}
