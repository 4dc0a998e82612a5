// The state of a report-view list: columns, items with their subitem texts, states and item
// data. It knows nothing of windows; changes it makes are reported to a listener, which the
// window turns into the parent's LVN_ notifications.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "wintypes.h"

namespace qx::win32::commctrl {

struct ListColumn {
    int format = 0; // LVCFMT_*
    int width = 0;
    std::u16string text;
    int subItem = 0;
    int image = 0;
    int order = 0;
};

struct ListItem {
    std::vector<std::u16string> texts; // [0] the item's label, [n] subitem n (missing = empty)
    UINT state = 0;                    // LVIS_* bits
    LPARAM param = 0;
    int image = 0;
    int indent = 0;

    const std::u16string& Text(int subItem) const;
    void SetText(int subItem, std::u16string text);
};

// What a listener learns of an item whose state or data changes.
struct ListItemChange {
    int item = -1;
    UINT oldState = 0;
    UINT newState = 0;
    UINT changed = 0; // LVIF_STATE, LVIF_PARAM, LVIF_TEXT
    LPARAM param = 0;
};

class ListViewListener {
public:
    virtual ~ListViewListener() = default;
    // True refuses the change (LVN_ITEMCHANGING answered with TRUE).
    virtual bool ItemChanging(const ListItemChange& change) = 0;
    virtual void ItemChanged(const ListItemChange& change) = 0;
    virtual void ItemInserted(int item) = 0;
    virtual void ItemDeleting(int item, LPARAM param) = 0;
    // LVM_DELETEALLITEMS: true suppresses the LVN_DELETEITEM of every item.
    virtual bool DeletingAll() = 0;
};

// How LVM_FINDITEM looks for an item.
struct ListFind {
    enum class By { Text, Partial, Param } by = By::Text;
    std::u16string text;
    LPARAM param = 0;
    bool wrap = false;
};

class ListViewModel {
public:
    explicit ListViewModel(ListViewListener* listener = nullptr) : listener_(listener) {}
    void SetListener(ListViewListener* listener) { listener_ = listener; }
    // LVS_SINGLESEL: selecting an item clears the selection of every other one.
    void SetSingleSelection(bool single) { singleSelection_ = single; }

    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    // The index given, clamped to the end; -1 for a negative index.
    int InsertColumn(int index, ListColumn column);
    bool DeleteColumn(int index);
    ListColumn* Column(int index);

    int ItemCount() const { return static_cast<int>(items_.size()); }
    // Inserts at the index, clamped to the end, with the listener told; -1 for a negative one.
    int InsertItem(int index, ListItem item);
    bool DeleteItem(int index);
    void DeleteAllItems();
    const ListItem* Item(int index) const;

    // The item's (or subitem's) text; subitem 0 goes through the change notices.
    bool SetItemText(int index, int subItem, std::u16string text);
    bool SetItemParam(int index, LPARAM param);
    bool SetItemImage(int index, int image, int indent);
    // Sets the bits of `mask` to those of `state`; index -1 means every item. False when an
    // item does not exist or the listener refused.
    bool SetItemState(int index, UINT state, UINT mask);
    UINT ItemState(int index, UINT mask) const;

    // LVM_GETNEXTITEM: the first item after `start` (from the top for -1) with every state
    // bit of `flags`' LVNI_SELECTED/LVNI_FOCUSED set; -1 when none.
    int NextItem(int start, UINT flags) const;
    // LVM_FINDITEM: the first match after `start` (from the top for -1); -1 when none.
    int FindItem(int start, const ListFind& find) const;
    int SelectedCount() const;

private:
    bool ChangeItem(int index, const ListItem& updated, UINT changed);

    ListViewListener* listener_;
    bool singleSelection_ = false;
    std::vector<ListColumn> columns_;
    std::vector<ListItem> items_;
};

} // namespace qx::win32::commctrl
