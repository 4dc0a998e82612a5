// The items of a combo or list box: ANSI strings with their item data and selection marks.
// Strings compare without regard to ASCII case, as the controls sort and search them.
#pragma once

#include "wintypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace qx::win32::controls {

struct ListItem {
    std::string text;
    LPARAM data = 0;
    bool selected = false; // multiple-selection list boxes
};

class ItemList {
public:
    // At its sorted place, or at the end; the index.
    int Add(std::string_view text, bool sorted);
    // At `index` (-1: the end); -1 when the index is past the end.
    int Insert(int index, std::string_view text);
    // The number of items left, or -1 for a bad index.
    int Erase(int index);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    bool Valid(int index) const { return index >= 0 && index < Count(); }
    ListItem& At(int index) { return items_[static_cast<std::size_t>(index)]; }
    const ListItem& At(int index) const { return items_[static_cast<std::size_t>(index)]; }
    // The first item after `after` (-1: from the start), wrapping round, whose text starts with
    // `text` (or equals it, with `exact`); -1 when none does.
    int Find(int after, std::string_view text, bool exact) const;

private:
    std::vector<ListItem> items_;
};

// A selected index after an item went in at (or out of) `index`.
inline int IndexAfterInsert(int selected, int index) {
    return selected >= index && index >= 0 ? selected + 1 : selected;
}
inline int IndexAfterErase(int selected, int index) {
    return selected == index ? -1 : selected > index ? selected - 1 : selected;
}

// An item's text for a caller's buffer, as CB_GETLBTEXT and LB_GETTEXT give it (-1 for a bad
// index or no buffer).
LRESULT ItemText(const ItemList& items, WPARAM index, LPARAM buffer);
LRESULT ItemTextLength(const ItemList& items, WPARAM index);

} // namespace qx::win32::controls
