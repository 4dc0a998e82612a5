// Building menus and reading their items.
#include <cstddef>
#include <cstring>
#include <string>

#include "errhandlingapi.h"
#include "menu_table.h"
#include "qx/win32/codepage.h"
#include "winerror.h"
#include "winuser_menu.h"

namespace qx::win32 {
namespace {

constexpr UINT kTypeBits = MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW | MFT_MENUBARBREAK | MFT_MENUBREAK |
                           MFT_RADIOCHECK | MFT_RIGHTORDER | MFT_RIGHTJUSTIFY;
constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT;

// Labels are read up to this many characters.
constexpr std::size_t kMaxLabel = 4096;

std::string LabelOf(LPCSTR text) {
    return text != nullptr ? AnsiToUtf8(std::string_view(text, strnlen(text, kMaxLabel))) : std::string();
}

std::string LabelOf(LPCWSTR text) {
    if (text == nullptr) {
        return {};
    }
    std::size_t length = 0;
    while (length < kMaxLabel && text[length] != 0) {
        ++length;
    }
    return WideToUtf8(std::u16string_view(text, length));
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// A pop-up may go into a menu once it exists and does not hold that menu already.
bool AcceptsSubmenu(HMENU menu, HMENU submenu) {
    return FindMenu(submenu) != nullptr && !Contains(submenu, menu);
}

template <typename Char>
BOOL Append(HMENU hMenu, UINT flags, UINT_PTR id, const Char* text) {
    std::lock_guard guard(MenuLock());
    Menu* menu = FindMenu(hMenu);
    if (menu == nullptr) {
        return Fail(ERROR_INVALID_MENU_HANDLE);
    }
    MenuItem item;
    item.type = flags & kTypeBits;
    item.state = flags & kStateBits;
    item.id = static_cast<UINT>(id);
    if (flags & MF_POPUP) {
        HMENU submenu = reinterpret_cast<HMENU>(id);
        if (!AcceptsSubmenu(hMenu, submenu)) {
            return Fail(ERROR_INVALID_MENU_HANDLE);
        }
        item.submenu = submenu;
        FindMenu(submenu)->popup = true;
    }
    if (flags & (MF_BITMAP | MF_OWNERDRAW)) {
        item.data = reinterpret_cast<ULONG_PTR>(text); // a bitmap handle or the owner's data
    } else if (!(flags & MF_SEPARATOR)) {
        item.label = LabelOf(text);
    }
    menu->items.push_back(std::move(item));
    return TRUE;
}

template <typename Info>
BOOL InsertItem(HMENU hMenu, UINT position, BOOL byPosition, const Info* info) {
    if (info == nullptr || (info->cbSize != sizeof(Info) && info->cbSize != offsetof(Info, hbmpItem))) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    std::lock_guard guard(MenuLock());
    if (FindMenu(hMenu) == nullptr) {
        return Fail(ERROR_INVALID_MENU_HANDLE);
    }
    MenuItem item;
    UINT mask = info->fMask;
    if (mask & (MIIM_TYPE | MIIM_FTYPE)) {
        item.type = info->fType & kTypeBits;
    }
    bool textFromType = (mask & MIIM_TYPE) && !(info->fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW));
    if ((mask & MIIM_STRING) || textFromType) {
        item.label = LabelOf(info->dwTypeData);
    }
    if (mask & MIIM_STATE) {
        item.state = info->fState & kStateBits;
    }
    if (mask & MIIM_ID) {
        item.id = info->wID;
    }
    if (mask & MIIM_DATA) {
        item.data = info->dwItemData;
    }
    if ((mask & MIIM_SUBMENU) && info->hSubMenu != nullptr) {
        if (!AcceptsSubmenu(hMenu, info->hSubMenu)) {
            return Fail(ERROR_INVALID_MENU_HANDLE);
        }
        item.submenu = info->hSubMenu;
        FindMenu(info->hSubMenu)->popup = true;
    }
    // Before the item named; at the end when there is no such position or command.
    Menu* target = FindMenu(hMenu);
    std::size_t at = target->items.size();
    if (byPosition) {
        at = position < at ? position : at;
    } else if (ItemPlace place = FindPlace(hMenu, position, false); place.menu != nullptr) {
        target = place.menu;
        at = place.index;
    }
    target->items.insert(target->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    return TRUE;
}

} // namespace
} // namespace qx::win32

using namespace qx::win32;

HMENU WINAPI CreateMenu() {
    std::lock_guard guard(MenuLock());
    return AddMenu(false);
}

HMENU WINAPI CreatePopupMenu() {
    std::lock_guard guard(MenuLock());
    return AddMenu(true);
}

BOOL WINAPI DestroyMenu(HMENU hMenu) {
    std::lock_guard guard(MenuLock());
    return RemoveMenu(hMenu) ? TRUE : Fail(ERROR_INVALID_MENU_HANDLE);
}

BOOL WINAPI IsMenu(HMENU hMenu) {
    std::lock_guard guard(MenuLock());
    return FindMenu(hMenu) != nullptr;
}

BOOL WINAPI AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    return Append(hMenu, uFlags, uIDNewItem, lpNewItem);
}

BOOL WINAPI AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
    return Append(hMenu, uFlags, uIDNewItem, lpNewItem);
}

BOOL WINAPI InsertMenuItemA(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOA lpmi) {
    return InsertItem(hmenu, item, fByPosition, lpmi);
}

BOOL WINAPI InsertMenuItemW(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOW lpmi) {
    return InsertItem(hmenu, item, fByPosition, lpmi);
}

BOOL WINAPI EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
    std::lock_guard guard(MenuLock());
    MenuItem* item = FindItem(hMenu, uIDEnableItem, (uEnable & MF_BYPOSITION) != 0);
    if (item == nullptr) {
        return -1;
    }
    UINT previous = item->state & (MF_GRAYED | MF_DISABLED);
    item->state = (item->state & ~(MF_GRAYED | MF_DISABLED)) | (uEnable & (MF_GRAYED | MF_DISABLED));
    return static_cast<BOOL>(previous);
}

DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
    std::lock_guard guard(MenuLock());
    MenuItem* item = FindItem(hMenu, uIDCheckItem, (uCheck & MF_BYPOSITION) != 0);
    if (item == nullptr) {
        return static_cast<DWORD>(-1);
    }
    DWORD previous = item->state & MF_CHECKED;
    item->state = (item->state & ~MF_CHECKED) | (uCheck & MF_CHECKED);
    return previous;
}

int WINAPI GetMenuItemCount(HMENU hMenu) {
    std::lock_guard guard(MenuLock());
    Menu* menu = FindMenu(hMenu);
    if (menu == nullptr) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return -1;
    }
    return static_cast<int>(menu->items.size());
}

UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos) {
    std::lock_guard guard(MenuLock());
    MenuItem* item = nPos >= 0 ? FindItem(hMenu, static_cast<UINT>(nPos), true) : nullptr;
    return item == nullptr || item->submenu != nullptr ? static_cast<UINT>(-1) : item->id;
}

UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
    std::lock_guard guard(MenuLock());
    MenuItem* item = FindItem(hMenu, uId, (uFlags & MF_BYPOSITION) != 0);
    if (item == nullptr) {
        return static_cast<UINT>(-1);
    }
    UINT state = item->state | item->type;
    if (item->submenu != nullptr) {
        // A pop-up item: its item count in the high byte.
        Menu* submenu = FindMenu(item->submenu);
        UINT count = submenu != nullptr ? static_cast<UINT>(submenu->items.size()) : 0;
        state = (count << 8) | MF_POPUP | (state & 0xFF);
    }
    return state;
}

HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos) {
    std::lock_guard guard(MenuLock());
    MenuItem* item = nPos >= 0 ? FindItem(hMenu, static_cast<UINT>(nPos), true) : nullptr;
    return item != nullptr ? item->submenu : nullptr;
}
