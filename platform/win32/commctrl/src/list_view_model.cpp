#include "qx/commctrl/list_view_model.h"

#include <algorithm>

#include "commctrl.h"

namespace qx::win32::commctrl {
namespace {

const std::u16string kEmpty;

// LVM_FINDITEM compares texts without regard to case, as Windows' list view does.
char16_t FoldCase(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<char16_t>(c + 0x20);
    }
    return c;
}

bool EqualFolded(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return FoldCase(x) == FoldCase(y);
           });
}

bool Matches(const ListItem& item, const ListFind& find) {
    switch (find.by) {
    case ListFind::By::Param:
        return item.param == find.param;
    case ListFind::By::Partial:
        return item.Text(0).size() >= find.text.size() &&
               EqualFolded(std::u16string_view(item.Text(0)).substr(0, find.text.size()), find.text);
    case ListFind::By::Text:
        return EqualFolded(item.Text(0), find.text);
    }
    return false;
}

} // namespace

const std::u16string& ListItem::Text(int subItem) const {
    if (subItem < 0 || static_cast<size_t>(subItem) >= texts.size()) {
        return kEmpty;
    }
    return texts[static_cast<size_t>(subItem)];
}

void ListItem::SetText(int subItem, std::u16string text) {
    if (subItem < 0) {
        return;
    }
    if (static_cast<size_t>(subItem) >= texts.size()) {
        texts.resize(static_cast<size_t>(subItem) + 1);
    }
    texts[static_cast<size_t>(subItem)] = std::move(text);
}

int ListViewModel::InsertColumn(int index, ListColumn column) {
    if (index < 0) {
        return -1;
    }
    index = std::min(index, ColumnCount());
    columns_.insert(columns_.begin() + index, std::move(column));
    return index;
}

bool ListViewModel::DeleteColumn(int index) {
    if (index < 0 || index >= ColumnCount()) {
        return false;
    }
    columns_.erase(columns_.begin() + index);
    return true;
}

ListColumn* ListViewModel::Column(int index) {
    if (index < 0 || index >= ColumnCount()) {
        return nullptr;
    }
    return &columns_[static_cast<size_t>(index)];
}

int ListViewModel::InsertItem(int index, ListItem item) {
    if (index < 0) {
        return -1;
    }
    index = std::min(index, ItemCount());
    // A new item may not arrive selected next to another in a single-selection list.
    UINT wanted = item.state;
    item.state &= ~(LVIS_SELECTED | LVIS_FOCUSED);
    items_.insert(items_.begin() + index, std::move(item));
    if (listener_) {
        listener_->ItemInserted(index);
    }
    if (wanted & (LVIS_SELECTED | LVIS_FOCUSED)) {
        SetItemState(index, wanted, LVIS_SELECTED | LVIS_FOCUSED);
    }
    return index;
}

bool ListViewModel::DeleteItem(int index) {
    if (index < 0 || index >= ItemCount()) {
        return false;
    }
    if (listener_) {
        listener_->ItemDeleting(index, items_[static_cast<size_t>(index)].param);
    }
    // The listener may have changed the list; look again.
    if (index >= ItemCount()) {
        return false;
    }
    items_.erase(items_.begin() + index);
    return true;
}

void ListViewModel::DeleteAllItems() {
    bool quiet = listener_ ? listener_->DeletingAll() : true;
    if (!quiet) {
        for (int i = 0; i < ItemCount(); ++i) {
            listener_->ItemDeleting(i, items_[static_cast<size_t>(i)].param);
        }
    }
    items_.clear();
}

const ListItem* ListViewModel::Item(int index) const {
    if (index < 0 || index >= ItemCount()) {
        return nullptr;
    }
    return &items_[static_cast<size_t>(index)];
}

bool ListViewModel::ChangeItem(int index, const ListItem& updated, UINT changed) {
    ListItem& current = items_[static_cast<size_t>(index)];
    ListItemChange change{index, current.state, updated.state, changed, current.param};
    if (listener_ && listener_->ItemChanging(change)) {
        return false;
    }
    if (index >= ItemCount()) {
        return false;
    }
    items_[static_cast<size_t>(index)] = updated;
    change.param = updated.param;
    if (listener_) {
        listener_->ItemChanged(change);
    }
    return true;
}

bool ListViewModel::SetItemText(int index, int subItem, std::u16string text) {
    if (index < 0 || index >= ItemCount() || subItem < 0) {
        return false;
    }
    ListItem updated = items_[static_cast<size_t>(index)];
    if (updated.Text(subItem) == text) {
        return true;
    }
    updated.SetText(subItem, std::move(text));
    if (subItem != 0) {
        items_[static_cast<size_t>(index)] = std::move(updated);
        return true;
    }
    return ChangeItem(index, updated, LVIF_TEXT);
}

bool ListViewModel::SetItemParam(int index, LPARAM param) {
    if (index < 0 || index >= ItemCount()) {
        return false;
    }
    ListItem updated = items_[static_cast<size_t>(index)];
    if (updated.param == param) {
        return true;
    }
    updated.param = param;
    return ChangeItem(index, updated, LVIF_PARAM);
}

bool ListViewModel::SetItemImage(int index, int image, int indent) {
    if (index < 0 || index >= ItemCount()) {
        return false;
    }
    items_[static_cast<size_t>(index)].image = image;
    items_[static_cast<size_t>(index)].indent = indent;
    return true;
}

bool ListViewModel::SetItemState(int index, UINT state, UINT mask) {
    if (index == -1) {
        bool all = true;
        for (int i = 0; i < ItemCount(); ++i) {
            all = SetItemState(i, state, mask) && all;
        }
        return all;
    }
    if (index < 0 || index >= ItemCount()) {
        return false;
    }
    const ListItem& current = items_[static_cast<size_t>(index)];
    UINT newState = (current.state & ~mask) | (state & mask);
    if (newState == current.state) {
        return true;
    }
    // One focused item, and one selected item in a single-selection list: the others lose it
    // first, each with its own notices.
    UINT exclusive = LVIS_FOCUSED | (singleSelection_ ? LVIS_SELECTED : 0u);
    UINT gaining = newState & ~current.state & exclusive;
    if (gaining != 0) {
        for (int i = 0; i < ItemCount(); ++i) {
            if (i != index && (items_[static_cast<size_t>(i)].state & gaining) != 0) {
                SetItemState(i, 0, gaining);
            }
        }
    }
    if (index >= ItemCount()) {
        return false;
    }
    ListItem updated = items_[static_cast<size_t>(index)];
    updated.state = newState;
    return ChangeItem(index, updated, LVIF_STATE);
}

UINT ListViewModel::ItemState(int index, UINT mask) const {
    const ListItem* item = Item(index);
    return item ? item->state & mask : 0;
}

int ListViewModel::NextItem(int start, UINT flags) const {
    UINT wanted = flags & (LVNI_SELECTED | LVNI_FOCUSED);
    for (int i = std::max(start + 1, 0); i < ItemCount(); ++i) {
        if ((items_[static_cast<size_t>(i)].state & wanted) == wanted) {
            return i;
        }
    }
    return -1;
}

int ListViewModel::FindItem(int start, const ListFind& find) const {
    int count = ItemCount();
    int first = std::max(start + 1, 0);
    for (int i = first; i < count; ++i) {
        if (Matches(items_[static_cast<size_t>(i)], find)) {
            return i;
        }
    }
    if (find.wrap) {
        for (int i = 0; i < std::min(first, count); ++i) {
            if (Matches(items_[static_cast<size_t>(i)], find)) {
                return i;
            }
        }
    }
    return -1;
}

int ListViewModel::SelectedCount() const {
    return static_cast<int>(std::count_if(items_.begin(), items_.end(),
                                          [](const ListItem& i) { return (i.state & LVIS_SELECTED) != 0; }));
}

} // namespace qx::win32::commctrl
