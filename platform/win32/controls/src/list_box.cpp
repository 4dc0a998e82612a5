// "LISTBOX": items with a single selection, or marks on many with LBS_MULTIPLESEL or
// LBS_EXTENDEDSEL. Items are a fixed 16 px tall (one line of the system font), which is where a
// press lands.
#include "control_support.h"
#include "controls_procs.h"
#include "item_list.h"

#include "qx/win32/controls.h"
#include "winuser_controls.h"
#include "winuser_input.h"
#include "winuser_position.h"

namespace qx::win32::controls {
namespace {

constexpr int kItemHeight = 16;

class ListBox {
public:
    ListBox(HWND hwnd, const CREATESTRUCTA&) : hwnd_(hwnd) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == ControlActionMessage()) {
            return Act(static_cast<ControlAction>(wParam), static_cast<int>(lParam));
        }
        int index = static_cast<int>(wParam);
        switch (message) {
        case LB_ADDSTRING:
        case LB_INSERTSTRING: {
            const char* text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
            int at = message == LB_ADDSTRING ? items_.Add(text, (Style() & LBS_SORT) != 0)
                                             : items_.Insert(index, text);
            if (at >= 0) {
                selected_ = IndexAfterInsert(selected_, at);
                caret_ = IndexAfterInsert(caret_, at);
            }
            return at;
        }
        case LB_DELETESTRING: {
            int left = items_.Erase(index);
            if (left >= 0) {
                selected_ = IndexAfterErase(selected_, index);
                caret_ = IndexAfterErase(caret_, index);
            }
            return left;
        }
        case LB_RESETCONTENT:
            items_.Clear();
            selected_ = caret_ = -1;
            return LB_OKAY;
        case LB_GETCOUNT:
            return items_.Count();
        case LB_GETCURSEL:
            return Multiple() ? caret_ : selected_;
        case LB_SETCURSEL:
            if (Multiple() || !items_.Valid(index)) {
                if (!Multiple()) {
                    selected_ = -1;
                }
                return LB_ERR;
            }
            selected_ = caret_ = index;
            return index;
        case LB_GETSEL:
            if (!items_.Valid(index)) {
                return LB_ERR;
            }
            return Multiple() ? items_.At(index).selected : index == selected_;
        case LB_SETSEL:
            return SetMark(wParam != 0, static_cast<int>(lParam));
        case LB_GETSELCOUNT:
            return Multiple() ? MarkedCount() : LB_ERR;
        case LB_GETSELITEMS:
            return Multiple() ? CopyMarked(index, reinterpret_cast<int*>(lParam)) : LB_ERR;
        case LB_GETTEXT:
            return ItemText(items_, wParam, lParam);
        case LB_GETTEXTLEN:
            return ItemTextLength(items_, wParam);
        case LB_FINDSTRING:
        case LB_FINDSTRINGEXACT:
            return lParam == 0 ? LB_ERR
                               : items_.Find(index, reinterpret_cast<const char*>(lParam),
                                             message == LB_FINDSTRINGEXACT);
        case LB_SELECTSTRING: {
            int found = lParam == 0 || Multiple()
                            ? -1
                            : items_.Find(index, reinterpret_cast<const char*>(lParam), false);
            if (found >= 0) {
                selected_ = caret_ = found;
            }
            return found;
        }
        case LB_GETITEMDATA:
            return items_.Valid(index) ? items_.At(index).data : LB_ERR;
        case LB_SETITEMDATA:
            if (!items_.Valid(index)) {
                return LB_ERR;
            }
            items_.At(index).data = lParam;
            return LB_OKAY;
        case LB_GETTOPINDEX:
            return 0;
        case LB_GETCARETINDEX:
            return caret_ < 0 ? 0 : caret_;
        case LB_GETITEMHEIGHT:
            return kItemHeight;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_LBUTTONDOWN:
            SetFocus(hwnd_);
            Pick(GET_Y_LPARAM(lParam) / kItemHeight);
            return 0;
        case WM_LBUTTONDBLCLK:
            Act(ControlAction::DoubleClickItem, GET_Y_LPARAM(lParam) / kItemHeight);
            return 0;
        case WM_KEYDOWN:
            KeyDown(wParam);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Notify(message == WM_SETFOCUS ? LBN_SETFOCUS : LBN_KILLFOCUS);
            return 0;
        default:
            return DefWindowProcA(hwnd_, message, wParam, lParam);
        }
    }

private:
    DWORD Style() const { return StyleOf(hwnd_); }
    bool Multiple() const { return (Style() & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }

    // Only a list box with LBS_NOTIFY tells its parent what the user did.
    void Notify(int code) {
        if (Style() & LBS_NOTIFY) {
            NotifyParent(hwnd_, code);
        }
    }

    LRESULT SetMark(bool mark, int index) {
        if (!Multiple() || (index != -1 && !items_.Valid(index))) {
            return LB_ERR;
        }
        for (int i = 0; i < items_.Count(); ++i) {
            if (index == -1 || i == index) {
                items_.At(i).selected = mark;
            }
        }
        if (index >= 0) {
            caret_ = index;
        }
        return LB_OKAY;
    }

    int MarkedCount() const {
        int count = 0;
        for (int i = 0; i < items_.Count(); ++i) {
            count += items_.At(i).selected ? 1 : 0;
        }
        return count;
    }

    LRESULT CopyMarked(int capacity, int* out) const {
        if (out == nullptr || capacity < 0) {
            return LB_ERR;
        }
        int copied = 0;
        for (int i = 0; i < items_.Count() && copied < capacity; ++i) {
            if (items_.At(i).selected) {
                out[copied++] = i;
            }
        }
        return copied;
    }

    // The user clicked an item: a single-selection list selects it, a multiple one toggles it.
    bool Pick(int index) {
        if (!items_.Valid(index) || (Style() & LBS_NOSEL)) {
            return false;
        }
        if (Multiple()) {
            items_.At(index).selected = !items_.At(index).selected;
        } else {
            selected_ = index;
        }
        caret_ = index;
        Notify(LBN_SELCHANGE);
        return true;
    }

    void KeyDown(WPARAM key) {
        if (key == VK_SPACE && Multiple()) {
            Pick(caret_);
        } else if ((key == VK_DOWN || key == VK_UP) && !Multiple()) {
            int next = selected_ < 0 ? 0 : selected_ + (key == VK_DOWN ? 1 : -1);
            if (items_.Valid(next)) {
                Pick(next);
            }
        } else if ((key == VK_DOWN || key == VK_UP) && items_.Count() > 0) {
            int next = caret_ + (key == VK_DOWN ? 1 : -1);
            caret_ = items_.Valid(next) ? next : caret_ < 0 ? 0 : caret_;
        }
    }

    LRESULT Act(ControlAction action, int index) {
        switch (action) {
        case ControlAction::PickItem:
            return Pick(index) ? TRUE : FALSE;
        case ControlAction::DoubleClickItem:
            if (!items_.Valid(index)) {
                return FALSE;
            }
            // The first click of the two selects the item (in a multiple-selection list, marks
            // it); the second reports the double click.
            if (Multiple() ? !items_.At(index).selected : selected_ != index) {
                Pick(index);
            }
            Notify(LBN_DBLCLK);
            return TRUE;
        case ControlAction::ReplaceEditText:
            return FALSE;
        }
        return FALSE;
    }

    HWND hwnd_;
    ItemList items_;
    int selected_ = -1;
    int caret_ = -1;
};

} // namespace

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ControlProc<ListBox>(hwnd, message, wParam, lParam);
}

} // namespace qx::win32::controls
