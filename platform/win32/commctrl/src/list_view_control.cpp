// "SysListView32" in report view. Rows lie under a header row, one line of text each, without
// scrolling; a click selects what it hits as Windows' list view does and tells the parent.
#include <algorithm>

#include "control_support.h"
#include "controls.h"
#include "qx/commctrl/list_view_model.h"
#include "qx/commctrl/text_metrics.h"
#include "winuser_input.h"

namespace qx::win32::commctrl {
namespace {

constexpr int kCellPadding = 12; // an autosized column's room beside its widest text

class ListViewControl : public ListViewListener {
public:
    static constexpr const char* kAttachment = "commctrl.listview";

    ListViewControl(HWND hwnd, bool) : hwnd_(hwnd), model_(this) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    // Notices of the model, as WM_NOTIFY to the parent.
    bool ItemChanging(const ListItemChange& change) override { return Notify(LVN_ITEMCHANGING, change) != 0; }
    void ItemChanged(const ListItemChange& change) override { Notify(LVN_ITEMCHANGED, change); }
    void ItemInserted(int item) override {
        NMLISTVIEW notice{};
        notice.iItem = item;
        NotifyParent(hwnd_, LVN_INSERTITEM, notice.hdr);
    }
    void ItemDeleting(int item, LPARAM param) override {
        NMLISTVIEW notice{};
        notice.iItem = item;
        notice.lParam = param;
        NotifyParent(hwnd_, LVN_DELETEITEM, notice.hdr);
    }
    bool DeletingAll() override {
        NMLISTVIEW notice{};
        notice.iItem = -1;
        return NotifyParent(hwnd_, LVN_DELETEALLITEMS, notice.hdr) != 0;
    }

private:
    LRESULT Notify(UINT code, const ListItemChange& change) {
        NMLISTVIEW notice{};
        notice.iItem = change.item;
        notice.uNewState = change.newState;
        notice.uOldState = change.oldState;
        notice.uChanged = change.changed;
        notice.lParam = change.param;
        return NotifyParent(hwnd_, code, notice.hdr);
    }

    DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)); }
    int Pixels() const { return FontPixels(kDefaultPoints); }
    int HeaderHeight() const { return (Style() & LVS_NOCOLUMNHEADER) ? 0 : LineHeight(Pixels()) + 4; }
    int RowHeight() const { return LineHeight(Pixels()) + 2 + ((extended_ & LVS_EX_GRIDLINES) ? 1 : 0); }
    int ColumnLeft(int column);
    bool ItemRect(int item, int part, RECT& rect);
    // The item and column under a point; item -1 when the point is on no item.
    void HitTest(POINT point, int& item, int& column);

    template <typename Column>
    LRESULT InsertColumn(int index, const Column* column, bool wide);
    template <typename Column>
    LRESULT SetColumn(int index, const Column* column, bool wide);
    template <typename Column>
    LRESULT GetColumn(int index, Column* column, bool wide);
    template <typename Item>
    LRESULT InsertItem(const Item* item, bool wide);
    template <typename Item>
    LRESULT SetItem(const Item* item, bool wide);
    template <typename Item>
    LRESULT GetItem(Item* item, bool wide);
    template <typename Item>
    LRESULT GetItemText(int index, Item* item, bool wide);
    template <typename Item>
    LRESULT SetItemText(int index, const Item* item, bool wide);
    template <typename Find>
    LRESULT FindItem(int start, const Find* find, bool wide);
    LRESULT SetColumnWidth(int index, int width);

    LRESULT Click(UINT message, WPARAM keys, LPARAM lParam);
    LRESULT Key(WPARAM key);
    void SelectOnly(int item);

    HWND hwnd_;
    ListViewModel model_;
    DWORD extended_ = 0;
};

int ListViewControl::ColumnLeft(int column) {
    int left = 0;
    for (int i = 0; i < column && i < model_.ColumnCount(); ++i) {
        left += model_.Column(i)->width;
    }
    return left;
}

bool ListViewControl::ItemRect(int item, int part, RECT& rect) {
    if (model_.Item(item) == nullptr) {
        return false;
    }
    int top = HeaderHeight() + item * RowHeight();
    int right = ColumnLeft(model_.ColumnCount());
    if (part == LVIR_LABEL && model_.ColumnCount() > 0) {
        right = model_.Column(0)->width;
    }
    rect = RECT{0, top, right, top + RowHeight()};
    return true;
}

void ListViewControl::HitTest(POINT point, int& item, int& column) {
    item = -1;
    column = -1;
    int left = 0;
    for (int i = 0; i < model_.ColumnCount(); ++i) {
        int width = model_.Column(i)->width;
        if (point.x >= left && point.x < left + width) {
            column = i;
            break;
        }
        left += width;
    }
    if (point.y < HeaderHeight() || column < 0) {
        return;
    }
    int row = (point.y - HeaderHeight()) / RowHeight();
    if (row >= model_.ItemCount()) {
        return;
    }
    // Without full-row selection only the first column's cell holds the item.
    if (column == 0 || (extended_ & LVS_EX_FULLROWSELECT)) {
        item = row;
    }
}

template <typename Column>
LRESULT ListViewControl::InsertColumn(int index, const Column* column, bool wide) {
    if (column == nullptr) {
        return -1;
    }
    ListColumn added;
    added.subItem = index;
    if (column->mask & LVCF_FMT) {
        added.format = column->fmt;
    }
    if (column->mask & LVCF_WIDTH) {
        added.width = std::max(column->cx, 0);
    }
    if (column->mask & LVCF_TEXT) {
        added.text = TextIn(column->pszText, wide);
    }
    if (column->mask & LVCF_SUBITEM) {
        added.subItem = column->iSubItem;
    }
    if (column->mask & LVCF_IMAGE) {
        added.image = column->iImage;
    }
    added.order = (column->mask & LVCF_ORDER) ? column->iOrder : index;
    return model_.InsertColumn(index, std::move(added));
}

template <typename Column>
LRESULT ListViewControl::SetColumn(int index, const Column* column, bool wide) {
    ListColumn* target = model_.Column(index);
    if (column == nullptr || target == nullptr) {
        return FALSE;
    }
    if (column->mask & LVCF_FMT) {
        target->format = column->fmt;
    }
    if (column->mask & LVCF_WIDTH) {
        target->width = std::max(column->cx, 0);
    }
    if (column->mask & LVCF_TEXT) {
        target->text = TextIn(column->pszText, wide);
    }
    if (column->mask & LVCF_SUBITEM) {
        target->subItem = column->iSubItem;
    }
    if (column->mask & LVCF_IMAGE) {
        target->image = column->iImage;
    }
    if (column->mask & LVCF_ORDER) {
        target->order = column->iOrder;
    }
    return TRUE;
}

template <typename Column>
LRESULT ListViewControl::GetColumn(int index, Column* column, bool wide) {
    ListColumn* source = model_.Column(index);
    if (column == nullptr || source == nullptr) {
        return FALSE;
    }
    if (column->mask & LVCF_FMT) {
        column->fmt = source->format;
    }
    if (column->mask & LVCF_WIDTH) {
        column->cx = source->width;
    }
    if (column->mask & LVCF_TEXT) {
        TextOut(source->text, column->pszText, column->cchTextMax, wide);
    }
    if (column->mask & LVCF_SUBITEM) {
        column->iSubItem = source->subItem;
    }
    if (column->mask & LVCF_IMAGE) {
        column->iImage = source->image;
    }
    if (column->mask & LVCF_ORDER) {
        column->iOrder = source->order;
    }
    return TRUE;
}

LRESULT ListViewControl::SetColumnWidth(int index, int width) {
    ListColumn* column = model_.Column(index);
    if (column == nullptr) {
        return FALSE;
    }
    if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER) {
        int widest = width == LVSCW_AUTOSIZE_USEHEADER ? TextWidth(column->text, Pixels()) : 0;
        for (int i = 0; i < model_.ItemCount(); ++i) {
            widest = std::max(widest, TextWidth(model_.Item(i)->Text(column->subItem), Pixels()));
        }
        width = widest + kCellPadding;
    }
    column->width = std::max(width, 0);
    return TRUE;
}

template <typename Item>
LRESULT ListViewControl::InsertItem(const Item* item, bool wide) {
    if (item == nullptr || item->iSubItem != 0) {
        return -1;
    }
    ListItem added;
    if (item->mask & LVIF_TEXT) {
        added.SetText(0, TextIn(item->pszText, wide));
    }
    if (item->mask & LVIF_STATE) {
        added.state = item->state & item->stateMask;
    }
    if (item->mask & LVIF_PARAM) {
        added.param = item->lParam;
    }
    if (item->mask & LVIF_IMAGE) {
        added.image = item->iImage;
    }
    if (item->mask & LVIF_INDENT) {
        added.indent = item->iIndent;
    }
    return model_.InsertItem(item->iItem, std::move(added));
}

template <typename Item>
LRESULT ListViewControl::SetItem(const Item* item, bool wide) {
    if (item == nullptr || model_.Item(item->iItem) == nullptr) {
        return FALSE;
    }
    // A subitem carries only its text.
    if (item->iSubItem != 0 && (item->mask & ~LVIF_TEXT) != 0) {
        return FALSE;
    }
    bool ok = true;
    if (item->mask & LVIF_TEXT) {
        ok = model_.SetItemText(item->iItem, item->iSubItem, TextIn(item->pszText, wide)) && ok;
    }
    if (item->mask & LVIF_PARAM) {
        ok = model_.SetItemParam(item->iItem, item->lParam) && ok;
    }
    if (item->mask & (LVIF_IMAGE | LVIF_INDENT)) {
        const ListItem* current = model_.Item(item->iItem);
        model_.SetItemImage(item->iItem, (item->mask & LVIF_IMAGE) ? item->iImage : current->image,
                            (item->mask & LVIF_INDENT) ? item->iIndent : current->indent);
    }
    if (item->mask & LVIF_STATE) {
        ok = model_.SetItemState(item->iItem, item->state, item->stateMask) && ok;
    }
    return ok ? TRUE : FALSE;
}

template <typename Item>
LRESULT ListViewControl::GetItem(Item* item, bool wide) {
    const ListItem* source = item ? model_.Item(item->iItem) : nullptr;
    if (source == nullptr || item->iSubItem < 0) {
        return FALSE;
    }
    if (item->mask & LVIF_TEXT) {
        TextOut(source->Text(item->iSubItem), item->pszText, item->cchTextMax, wide);
    }
    if (item->mask & LVIF_STATE) {
        item->state = source->state & item->stateMask;
    }
    if (item->mask & LVIF_PARAM) {
        item->lParam = source->param;
    }
    if (item->mask & LVIF_IMAGE) {
        item->iImage = source->image;
    }
    if (item->mask & LVIF_INDENT) {
        item->iIndent = source->indent;
    }
    return TRUE;
}

template <typename Item>
LRESULT ListViewControl::GetItemText(int index, Item* item, bool wide) {
    const ListItem* source = model_.Item(index);
    if (source == nullptr || item == nullptr) {
        return 0;
    }
    return TextOut(source->Text(item->iSubItem), item->pszText, item->cchTextMax, wide);
}

template <typename Item>
LRESULT ListViewControl::SetItemText(int index, const Item* item, bool wide) {
    if (item == nullptr) {
        return FALSE;
    }
    return model_.SetItemText(index, item->iSubItem, TextIn(item->pszText, wide)) ? TRUE : FALSE;
}

template <typename Find>
LRESULT ListViewControl::FindItem(int start, const Find* find, bool wide) {
    if (find == nullptr) {
        return -1;
    }
    ListFind spec;
    if (find->flags & LVFI_PARAM) {
        spec.by = ListFind::By::Param;
        spec.param = find->lParam;
    } else if (find->flags & (LVFI_STRING | LVFI_PARTIAL)) {
        spec.by = (find->flags & LVFI_PARTIAL) ? ListFind::By::Partial : ListFind::By::Text;
        spec.text = TextIn(find->psz, wide);
    } else {
        return -1;
    }
    spec.wrap = (find->flags & LVFI_WRAP) != 0;
    return model_.FindItem(start, spec);
}

void ListViewControl::SelectOnly(int item) {
    for (int i = 0; i < model_.ItemCount(); ++i) {
        if (i != item && model_.ItemState(i, LVIS_SELECTED)) {
            model_.SetItemState(i, 0, LVIS_SELECTED);
        }
    }
    if (item >= 0) {
        model_.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
}

LRESULT ListViewControl::Click(UINT message, WPARAM keys, LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    int item = -1;
    int column = -1;
    HitTest(point, item, column);
    if (GetFocus() != hwnd_) {
        SetFocus(hwnd_);
    }
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
        bool toggle = message == WM_LBUTTONDOWN && (keys & MK_CONTROL) && !(Style() & LVS_SINGLESEL);
        if (item >= 0 && toggle) {
            UINT selected = model_.ItemState(item, LVIS_SELECTED);
            model_.SetItemState(item, (selected ^ LVIS_SELECTED) | LVIS_FOCUSED,
                                LVIS_SELECTED | LVIS_FOCUSED);
        } else if (item >= 0 && message == WM_RBUTTONDOWN && model_.ItemState(item, LVIS_SELECTED)) {
            // A right click on a selected item keeps the selection as it is.
            model_.SetItemState(item, LVIS_FOCUSED, LVIS_FOCUSED);
        } else if (!toggle) {
            SelectOnly(item);
        }
    }
    NMITEMACTIVATE notice{};
    notice.iItem = item;
    notice.iSubItem = std::max(column, 0);
    notice.ptAction = point;
    notice.uKeyFlags = ((keys & MK_CONTROL) ? LVKF_CONTROL : 0u) | ((keys & MK_SHIFT) ? LVKF_SHIFT : 0u);
    if (item >= 0) {
        notice.lParam = model_.Item(item)->param;
    }
    UINT code = message == WM_LBUTTONDOWN     ? NM_CLICK
                : message == WM_RBUTTONDOWN   ? NM_RCLICK
                : message == WM_RBUTTONDBLCLK ? NM_RDBLCLK
                                              : NM_DBLCLK;
    NotifyParent(hwnd_, code, notice.hdr);
    if (code == NM_DBLCLK && item >= 0) {
        NMITEMACTIVATE activate = notice;
        NotifyParent(hwnd_, LVN_ITEMACTIVATE, activate.hdr);
    }
    return 0;
}

LRESULT ListViewControl::Key(WPARAM key) {
    int count = model_.ItemCount();
    if (count == 0) {
        return 0;
    }
    int focused = model_.NextItem(-1, LVNI_FOCUSED);
    int target = focused;
    switch (key) {
    case VK_UP:
        target = focused < 0 ? 0 : std::max(focused - 1, 0);
        break;
    case VK_DOWN:
        target = focused < 0 ? 0 : std::min(focused + 1, count - 1);
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = count - 1;
        break;
    case VK_RETURN: {
        NMHDR notice{};
        NotifyParent(hwnd_, NM_RETURN, notice);
        return 0;
    }
    default:
        return 0;
    }
    SelectOnly(target);
    return 0;
}

LRESULT ListViewControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    switch (message) {
    case WM_CREATE:
        model_.SetSingleSelection((Style() & LVS_SINGLESEL) != 0);
        return 0;
    case WM_STYLECHANGED:
        model_.SetSingleSelection((Style() & LVS_SINGLESEL) != 0);
        return 0;
    case WM_DESTROY:
        model_.DeleteAllItems();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        return Click(message, wParam, lParam);
    case WM_KEYDOWN:
        return Key(wParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        NMHDR notice{};
        NotifyParent(hwnd_, message == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS, notice);
        return 0;
    }

    case LVM_INSERTCOLUMNA:
        return InsertColumn(index, reinterpret_cast<const LVCOLUMNA*>(lParam), false);
    case LVM_INSERTCOLUMNW:
        return InsertColumn(index, reinterpret_cast<const LVCOLUMNW*>(lParam), true);
    case LVM_SETCOLUMNA:
        return SetColumn(index, reinterpret_cast<const LVCOLUMNA*>(lParam), false);
    case LVM_SETCOLUMNW:
        return SetColumn(index, reinterpret_cast<const LVCOLUMNW*>(lParam), true);
    case LVM_GETCOLUMNA:
        return GetColumn(index, reinterpret_cast<LVCOLUMNA*>(lParam), false);
    case LVM_GETCOLUMNW:
        return GetColumn(index, reinterpret_cast<LVCOLUMNW*>(lParam), true);
    case LVM_DELETECOLUMN:
        return model_.DeleteColumn(index) ? TRUE : FALSE;
    case LVM_SETCOLUMNWIDTH:
        return SetColumnWidth(index, static_cast<int>(static_cast<short>(LOWORD(lParam))));
    case LVM_GETCOLUMNWIDTH: {
        ListColumn* column = model_.Column(index);
        return column ? column->width : 0;
    }

    case LVM_INSERTITEMA:
        return InsertItem(reinterpret_cast<const LVITEMA*>(lParam), false);
    case LVM_INSERTITEMW:
        return InsertItem(reinterpret_cast<const LVITEMW*>(lParam), true);
    case LVM_SETITEMA:
        return SetItem(reinterpret_cast<const LVITEMA*>(lParam), false);
    case LVM_SETITEMW:
        return SetItem(reinterpret_cast<const LVITEMW*>(lParam), true);
    case LVM_GETITEMA:
        return GetItem(reinterpret_cast<LVITEMA*>(lParam), false);
    case LVM_GETITEMW:
        return GetItem(reinterpret_cast<LVITEMW*>(lParam), true);
    case LVM_GETITEMTEXTA:
        return GetItemText(index, reinterpret_cast<LVITEMA*>(lParam), false);
    case LVM_GETITEMTEXTW:
        return GetItemText(index, reinterpret_cast<LVITEMW*>(lParam), true);
    case LVM_SETITEMTEXTA:
        return SetItemText(index, reinterpret_cast<const LVITEMA*>(lParam), false);
    case LVM_SETITEMTEXTW:
        return SetItemText(index, reinterpret_cast<const LVITEMW*>(lParam), true);
    case LVM_DELETEITEM:
        return model_.DeleteItem(index) ? TRUE : FALSE;
    case LVM_DELETEALLITEMS:
        model_.DeleteAllItems();
        return TRUE;
    case LVM_GETITEMCOUNT:
        return model_.ItemCount();
    case LVM_GETSELECTEDCOUNT:
        return model_.SelectedCount();
    case LVM_GETNEXTITEM:
        return model_.NextItem(index, static_cast<UINT>(LOWORD(lParam)));
    case LVM_SETITEMSTATE: {
        const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
        if (item == nullptr) {
            return FALSE;
        }
        return model_.SetItemState(index, item->state, item->stateMask) ? TRUE : FALSE;
    }
    case LVM_GETITEMSTATE:
        return static_cast<LRESULT>(model_.ItemState(index, static_cast<UINT>(lParam)));
    case LVM_FINDITEMA:
        return FindItem(index, reinterpret_cast<const LVFINDINFOA*>(lParam), false);
    case LVM_FINDITEMW:
        return FindItem(index, reinterpret_cast<const LVFINDINFOW*>(lParam), true);
    case LVM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        return rect != nullptr && ItemRect(index, rect->left, *rect) ? TRUE : FALSE;
    }
    case LVM_ENSUREVISIBLE:
        return model_.Item(index) ? TRUE : FALSE;
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        DWORD previous = extended_;
        DWORD mask = wParam == 0 ? 0xFFFFFFFFu : static_cast<DWORD>(wParam);
        extended_ = (extended_ & ~mask) | (static_cast<DWORD>(lParam) & mask);
        return static_cast<LRESULT>(previous);
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return static_cast<LRESULT>(extended_);
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ControlProc<ListViewControl, true>(hwnd, message, wParam, lParam);
}

} // namespace qx::win32::commctrl
