#include "menu_table.h"

#include <cstdint>
#include <map>

#include "winuser_menu.h"

namespace qx::win32 {
namespace {

constexpr std::uintptr_t kMenuBase = 0x30000000;
// Nesting deeper than this is not followed (no menu a person could open goes that deep).
constexpr int kMaxDepth = 32;

struct MenuTable {
    std::map<std::uintptr_t, Menu> menus;
    std::uintptr_t next = kMenuBase;
};

MenuTable& Table() {
    static auto* table = new MenuTable;
    return *table;
}

ItemPlace FindById(HMENU handle, UINT id, int depth) {
    Menu* menu = FindMenu(handle);
    if (menu == nullptr || depth > kMaxDepth) {
        return {};
    }
    for (std::size_t i = 0; i < menu->items.size(); ++i) {
        const MenuItem& item = menu->items[i];
        if (item.submenu == nullptr && !(item.type & MFT_SEPARATOR) && item.id == id) {
            return {menu, i};
        }
        if (item.submenu != nullptr) {
            if (ItemPlace inner = FindById(item.submenu, id, depth + 1); inner.menu != nullptr) {
                return inner;
            }
        }
    }
    return {};
}

bool ContainsAt(HMENU outer, HMENU inner, int depth) {
    if (outer == inner) {
        return true;
    }
    Menu* menu = FindMenu(outer);
    if (menu == nullptr || depth > kMaxDepth) {
        return false;
    }
    for (const MenuItem& item : menu->items) {
        if (item.submenu != nullptr && ContainsAt(item.submenu, inner, depth + 1)) {
            return true;
        }
    }
    return false;
}

bool RemoveAt(HMENU handle, int depth) {
    auto found = Table().menus.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == Table().menus.end()) {
        return false;
    }
    std::vector<MenuItem> items = std::move(found->second.items);
    Table().menus.erase(found);
    if (depth < kMaxDepth) {
        for (const MenuItem& item : items) {
            if (item.submenu != nullptr) {
                RemoveAt(item.submenu, depth + 1);
            }
        }
    }
    return true;
}

} // namespace

std::mutex& MenuLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

HMENU AddMenu(bool popup) {
    MenuTable& table = Table();
    table.next += 4;
    table.menus[table.next].popup = popup;
    return reinterpret_cast<HMENU>(table.next);
}

Menu* FindMenu(HMENU handle) {
    auto found = Table().menus.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == Table().menus.end() ? nullptr : &found->second;
}

bool RemoveMenu(HMENU handle) {
    return RemoveAt(handle, 0);
}

ItemPlace FindPlace(HMENU handle, UINT item, bool byPosition) {
    if (!byPosition) {
        return FindById(handle, item, 0);
    }
    Menu* menu = FindMenu(handle);
    return menu != nullptr && item < menu->items.size() ? ItemPlace{menu, item} : ItemPlace{};
}

MenuItem* FindItem(HMENU handle, UINT item, bool byPosition) {
    return FindPlace(handle, item, byPosition).item();
}

bool Contains(HMENU outer, HMENU inner) {
    return ContainsAt(outer, inner, 0);
}

} // namespace qx::win32
