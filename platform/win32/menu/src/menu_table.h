// Menu objects behind HMENU handles. Handles never repeat, so a destroyed menu stays invalid.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "wintypes.h"

namespace qx::win32 {

struct MenuItem {
    UINT type = 0;  // MFT_ flags
    UINT state = 0; // MFS_ flags
    UINT id = 0;
    HMENU submenu = nullptr;
    ULONG_PTR data = 0;
    std::string label; // UTF-8
};

struct Menu {
    bool popup = false;
    std::vector<MenuItem> items;
};

// Every access to menus holds this lock.
std::mutex& MenuLock();

HMENU AddMenu(bool popup);
Menu* FindMenu(HMENU handle);
// Removes the menu and, depth first, the menus of its pop-up items.
bool RemoveMenu(HMENU handle);

// Where an item lies: its menu and position.
struct ItemPlace {
    Menu* menu = nullptr;
    std::size_t index = 0;
    MenuItem* item() const { return menu != nullptr ? &menu->items[index] : nullptr; }
};

// The item at a position, or the first with the command id searching pop-ups depth first.
ItemPlace FindPlace(HMENU menu, UINT item, bool byPosition);
MenuItem* FindItem(HMENU menu, UINT item, bool byPosition);

// Whether the pop-up `inner` is `outer` or lies inside it (adding it would make a cycle).
bool Contains(HMENU outer, HMENU inner);

} // namespace qx::win32
