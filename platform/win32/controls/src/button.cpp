#include "control_support.h"
#include "controls_procs.h"

#include "winuser_controls.h"
#include "winuser_input.h"
#include "winuser_position.h"

#include <vector>

namespace qx::win32::controls {
namespace {

class Button {
public:
    Button(HWND hwnd, const CREATESTRUCTA&) : hwnd_(hwnd) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case BM_GETCHECK:
            return IsCheckable() ? check_ : BST_UNCHECKED;
        case BM_SETCHECK:
            SetCheck(wParam);
            return 0;
        case BM_GETSTATE:
            return (IsCheckable() ? check_ : 0) | (pushed_ ? BST_PUSHED : 0) |
                   (GetFocus() == hwnd_ ? BST_FOCUS : 0);
        case BM_SETSTATE:
            pushed_ = wParam != 0;
            return 0;
        case BM_SETSTYLE:
            SetWindowLongPtrA(hwnd_, GWL_STYLE,
                              static_cast<LONG_PTR>((StyleOf(hwnd_) & ~0xFFFFul) | (wParam & 0xFFFF)));
            return 0;
        case BM_CLICK:
            if (IsWindowEnabled(hwnd_) && Type() != BS_GROUPBOX) {
                Click();
            }
            return 0;
        case WM_GETDLGCODE:
            return DialogCode();
        case WM_LBUTTONDOWN:
            SetFocus(hwnd_);
            pushed_ = true;
            SetCapture(hwnd_);
            return 0;
        case WM_LBUTTONUP:
            return Release(lParam);
        case WM_LBUTTONDBLCLK:
            if (StyleOf(hwnd_) & BS_NOTIFY) {
                NotifyParent(hwnd_, BN_DBLCLK);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE) {
                pushed_ = true;
            }
            return 0;
        case WM_KEYUP:
            if (wParam == VK_SPACE && pushed_) {
                pushed_ = false;
                Click();
            }
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (message == WM_KILLFOCUS) {
                pushed_ = false;
            }
            if (StyleOf(hwnd_) & BS_NOTIFY) {
                NotifyParent(hwnd_, message == WM_SETFOCUS ? BN_SETFOCUS : BN_KILLFOCUS);
            }
            return 0;
        default:
            return DefWindowProcA(hwnd_, message, wParam, lParam);
        }
    }

private:
    DWORD Type() const { return StyleOf(hwnd_) & BS_TYPEMASK; }
    bool IsCheckable() const {
        DWORD type = Type();
        return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
               type == BS_3STATE || type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
    }
    bool IsRadio() const { return Type() == BS_RADIOBUTTON || Type() == BS_AUTORADIOBUTTON; }
    bool IsThreeState() const { return Type() == BS_3STATE || Type() == BS_AUTO3STATE; }

    void SetCheck(WPARAM state) {
        if (!IsCheckable()) {
            return;
        }
        check_ = state == BST_INDETERMINATE && IsThreeState() ? BST_INDETERMINATE
                 : state != BST_UNCHECKED                     ? BST_CHECKED
                                                              : BST_UNCHECKED;
        // A checked radio button is the one Tab stops at in its group.
        if (Type() == BS_AUTORADIOBUTTON) {
            LONG_PTR style = GetWindowLongPtrA(hwnd_, GWL_STYLE);
            SetWindowLongPtrA(hwnd_, GWL_STYLE, check_ ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
        }
    }

    LRESULT DialogCode() const {
        switch (Type()) {
        case BS_DEFPUSHBUTTON:
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON:
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX:
            return DLGC_STATIC;
        default:
            return DLGC_BUTTON;
        }
    }

    LRESULT Release(LPARAM lParam) {
        if (!pushed_) {
            return 0;
        }
        pushed_ = false;
        ReleaseCapture();
        RECT rect{};
        GetClientRect(hwnd_, &rect);
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (PtInRect(&rect, point)) {
            Click();
        }
        return 0;
    }

    // What a click does: an automatic button changes its own state (an automatic radio button
    // unchecks the others of its group), then the parent hears BN_CLICKED.
    void Click() {
        switch (Type()) {
        case BS_AUTOCHECKBOX:
            SetCheck(check_ == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
            break;
        case BS_AUTO3STATE:
            SetCheck(check_ == BST_UNCHECKED ? BST_CHECKED
                     : check_ == BST_CHECKED ? BST_INDETERMINATE
                                             : BST_UNCHECKED);
            break;
        case BS_AUTORADIOBUTTON:
            CheckInGroup();
            break;
        default:
            break;
        }
        NotifyParent(hwnd_, BN_CLICKED);
    }

    // The other radio buttons of the group (from a WS_GROUP sibling up to the next one) are
    // unchecked, shown or not.
    void CheckInGroup() {
        SetCheck(BST_CHECKED);
        HWND parent = GetParent(hwnd_);
        if (parent == nullptr) {
            return;
        }
        std::vector<HWND> group;
        bool mine = false;
        for (HWND sibling = GetWindow(parent, GW_CHILD); sibling != nullptr;
             sibling = GetWindow(sibling, GW_HWNDNEXT)) {
            if (StyleOf(sibling) & WS_GROUP) {
                if (mine) {
                    break;
                }
                group.clear();
            }
            mine = mine || sibling == hwnd_;
            group.push_back(sibling);
        }
        for (HWND other : group) {
            if (other != hwnd_ && (SendMessageA(other, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) {
                SendMessageA(other, BM_SETCHECK, BST_UNCHECKED, 0);
            }
        }
    }

    HWND hwnd_;
    WPARAM check_ = BST_UNCHECKED;
    bool pushed_ = false;
};

} // namespace

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ControlProc<Button>(hwnd, message, wParam, lParam);
}

} // namespace qx::win32::controls
