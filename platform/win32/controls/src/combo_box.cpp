// "COMBOBOX": a list of items with a current selection and, unless it is CBS_DROPDOWNLIST, an
// edit field of its own. The edit field is part of the combo box itself (no child window):
// typing into the combo box edits it.
#include "control_support.h"
#include "controls_procs.h"
#include "item_list.h"
#include "text_field.h"

#include "qx/win32/controls.h"
#include "winuser_controls.h"
#include "winuser_input.h"
#include "winuser_position.h"

namespace qx::win32::controls {
namespace {

class ComboBox {
public:
    ComboBox(HWND hwnd, const CREATESTRUCTA&) : hwnd_(hwnd) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == ControlActionMessage()) {
            return Act(static_cast<ControlAction>(wParam), lParam);
        }
        switch (message) {
        case CB_ADDSTRING:
        case CB_INSERTSTRING: {
            const char* text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
            int index = message == CB_ADDSTRING ? items_.Add(text, (Style() & CBS_SORT) != 0)
                                                : items_.Insert(static_cast<int>(wParam), text);
            if (index >= 0) {
                selected_ = IndexAfterInsert(selected_, index);
            }
            return index;
        }
        case CB_DELETESTRING: {
            int index = static_cast<int>(wParam);
            int left = items_.Erase(index);
            if (left >= 0) {
                selected_ = IndexAfterErase(selected_, index);
            }
            return left;
        }
        case CB_RESETCONTENT:
            items_.Clear();
            Select(-1);
            return CB_OKAY;
        case CB_GETCOUNT:
            return items_.Count();
        case CB_GETCURSEL:
            return selected_;
        case CB_SETCURSEL:
            return Select(static_cast<int>(wParam)) ? static_cast<LRESULT>(static_cast<int>(wParam)) : CB_ERR;
        case CB_GETLBTEXT:
            return ItemText(items_, wParam, lParam);
        case CB_GETLBTEXTLEN:
            return ItemTextLength(items_, wParam);
        case CB_FINDSTRING:
        case CB_FINDSTRINGEXACT:
            return lParam == 0 ? CB_ERR
                               : items_.Find(static_cast<int>(wParam), reinterpret_cast<const char*>(lParam),
                                             message == CB_FINDSTRINGEXACT);
        case CB_SELECTSTRING: {
            int index = lParam == 0 ? -1
                                    : items_.Find(static_cast<int>(wParam),
                                                  reinterpret_cast<const char*>(lParam), false);
            return index >= 0 && Select(index) ? index : CB_ERR;
        }
        case CB_GETITEMDATA:
            return items_.Valid(static_cast<int>(wParam)) ? items_.At(static_cast<int>(wParam)).data : CB_ERR;
        case CB_SETITEMDATA:
            if (!items_.Valid(static_cast<int>(wParam))) {
                return CB_ERR;
            }
            items_.At(static_cast<int>(wParam)).data = lParam;
            return CB_OKAY;
        case CB_SHOWDROPDOWN:
            ShowList(wParam != 0);
            return TRUE;
        case CB_GETDROPPEDSTATE:
            return dropped_ ? TRUE : FALSE;
        case CB_LIMITTEXT:
            field_.SetLimit(wParam);
            return TRUE;
        case CB_GETEDITSEL:
            if (wParam != 0) {
                *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(field_.Start());
            }
            if (lParam != 0) {
                *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(field_.End());
            }
            return MAKELRESULT(field_.Start(), field_.End());
        case WM_SETTEXT:
            return SetText(lParam != 0 ? reinterpret_cast<const char*>(lParam) : "");
        case WM_GETTEXT:
            return CopyAnsiText(field_.Text(), reinterpret_cast<char*>(lParam), wParam);
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(field_.Text().size());
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_WANTARROWS | (HasEdit() ? DLGC_HASSETSEL : 0);
        case WM_CHAR:
            Typed(static_cast<unsigned char>(wParam));
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_DOWN || wParam == VK_UP) {
                int next = selected_ + (wParam == VK_DOWN ? 1 : -1);
                if (items_.Valid(next)) {
                    Pick(next);
                } else if (selected_ < 0 && items_.Count() > 0) {
                    Pick(0);
                }
            }
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(hwnd_);
            ShowList(!dropped_);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            NotifyParent(hwnd_, message == WM_SETFOCUS ? CBN_SETFOCUS : CBN_KILLFOCUS);
            if (message == WM_KILLFOCUS && dropped_) {
                ShowList(false);
            }
            return 0;
        default:
            return DefWindowProcA(hwnd_, message, wParam, lParam);
        }
    }

private:
    DWORD Style() const { return StyleOf(hwnd_); }
    bool HasEdit() const { return (Style() & 3) != CBS_DROPDOWNLIST; }

    // The selection set by the program: the edit field shows the item (or nothing).
    bool Select(int index) {
        bool valid = items_.Valid(index);
        selected_ = valid ? index : -1;
        field_.SetText(valid ? items_.At(index).text : std::string());
        return valid;
    }

    LRESULT SetText(const char* text) {
        if (HasEdit()) {
            field_.SetText(text);
            return TRUE;
        }
        int index = items_.Find(-1, text, true);
        return index >= 0 && Select(index) ? TRUE : CB_ERR;
    }

    void ShowList(bool show) {
        if (show == dropped_ || (Style() & 3) == CBS_SIMPLE) {
            return;
        }
        dropped_ = show;
        NotifyParent(hwnd_, show ? CBN_DROPDOWN : CBN_CLOSEUP);
    }

    // The user chose an item in the list.
    void Pick(int index) {
        Select(index);
        NotifyParent(hwnd_, CBN_SELCHANGE);
        if (dropped_) {
            NotifyParent(hwnd_, CBN_SELENDOK);
            ShowList(false);
        }
    }

    // The user changed the edit field's text.
    void Edited(TextField::Outcome outcome) {
        if (outcome.changed) {
            NotifyParent(hwnd_, CBN_EDITUPDATE);
            NotifyParent(hwnd_, CBN_EDITCHANGE);
        }
    }

    void Typed(unsigned char byte) {
        if (!HasEdit()) {
            // A list-only combo box selects the next item that starts with the character.
            int index = items_.Find(selected_, std::string(1, static_cast<char>(byte)), false);
            if (index >= 0 && index != selected_) {
                Pick(index);
            }
            return;
        }
        if (byte == '\b') {
            Edited(field_.Erase(false));
        } else if (byte >= 0x20) {
            if (auto character = field_.Typed(byte)) {
                Edited(field_.Replace(*character));
            }
        }
    }

    LRESULT Act(ControlAction action, LPARAM argument) {
        switch (action) {
        case ControlAction::PickItem:
        case ControlAction::DoubleClickItem:
            if (!items_.Valid(static_cast<int>(argument))) {
                return FALSE;
            }
            Pick(static_cast<int>(argument));
            if (action == ControlAction::DoubleClickItem && (Style() & 3) == CBS_SIMPLE) {
                NotifyParent(hwnd_, CBN_DBLCLK);
            }
            return TRUE;
        case ControlAction::ReplaceEditText:
            if (!HasEdit() || argument == 0) {
                return FALSE;
            }
            field_.Select(0, -1);
            Edited(field_.Replace(reinterpret_cast<const char*>(argument)));
            return TRUE;
        }
        return FALSE;
    }

    HWND hwnd_;
    ItemList items_;
    int selected_ = -1;
    TextField field_;
    bool dropped_ = false;
};

} // namespace

LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ControlProc<ComboBox>(hwnd, message, wParam, lParam);
}

} // namespace qx::win32::controls
