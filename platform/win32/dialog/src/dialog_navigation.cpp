// Keyboard navigation in a dialog: the tab and group order of its controls and
// IsDialogMessage (Tab, Shift+Tab, the arrows within a group, Enter and Escape).
#include "dialog_state.h"

#include "winuser_controls.h"
#include "winuser_dialog.h"
#include "winuser_input.h"
#include "winuser_position.h"

#include <vector>

namespace {

std::vector<HWND> Children(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

LONG_PTR Style(HWND hwnd) {
    return GetWindowLongPtrA(hwnd, GWL_STYLE);
}

// A control Tab can reach: shown and enabled by its own style (its dialog may still be hidden,
// as it is during WM_INITDIALOG).
bool Reachable(HWND hwnd) {
    return (Style(hwnd) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE;
}

int IndexOf(const std::vector<HWND>& children, HWND hwnd) {
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i] == hwnd) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Focus(HWND control) {
    if (control != nullptr) {
        SendMessageA(GetParent(control), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }
}

// Enter and Escape: the button they stand for, pressed as a click would press it.
void PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button != nullptr && !IsWindowEnabled(button)) {
        return;
    }
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

int EnterId(HWND dialog, HWND focus, LRESULT code) {
    if (focus != nullptr && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        return GetDlgCtrlID(focus);
    }
    LRESULT defId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    return HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : IDOK;
}

bool KeyDown(HWND dialog, const MSG& msg) {
    HWND focus = GetFocus();
    LRESULT code = focus != nullptr
                       ? SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg))
                       : 0;
    if (code & DLGC_WANTALLKEYS) {
        return false;
    }
    switch (msg.wParam) {
    case VK_TAB:
        if (code & DLGC_WANTTAB) {
            return false;
        }
        Focus(GetNextDlgTabItem(dialog, focus, (GetKeyState(VK_SHIFT) & 0x8000) ? TRUE : FALSE));
        return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
        if (code & DLGC_WANTARROWS) {
            return false;
        }
        HWND next = GetNextDlgGroupItem(dialog, focus, msg.wParam == VK_LEFT || msg.wParam == VK_UP);
        if (next != nullptr && next != focus) {
            Focus(next);
            if (SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
                SendMessageA(next, BM_CLICK, 0, 0);
            }
        }
        return true;
    }
    case VK_RETURN:
        PressButton(dialog, EnterId(dialog, focus, code));
        return true;
    case VK_ESCAPE:
        PressButton(dialog, IDCANCEL);
        return true;
    default:
        return false;
    }
}

} // namespace

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    auto children = Children(hDlg);
    int count = static_cast<int>(children.size());
    if (count == 0) {
        return nullptr;
    }
    int at = hCtl != nullptr ? IndexOf(children, hCtl) : -1;
    int start = at >= 0 ? at : (bPrevious ? 0 : count - 1);
    for (int step = 1; step <= count; ++step) {
        int i = ((start + (bPrevious ? -step : step)) % count + count) % count;
        if ((Style(children[i]) & WS_TABSTOP) && Reachable(children[i])) {
            return children[i];
        }
    }
    return at >= 0 ? hCtl : nullptr;
}

// The next control of hCtl's group (WS_GROUP starts a group), wrapping round within it.
HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    auto children = Children(hDlg);
    int at = IndexOf(children, hCtl);
    if (at < 0) {
        return hCtl == nullptr && !children.empty() ? children.front() : nullptr;
    }
    int first = at;
    while (first > 0 && !(Style(children[first]) & WS_GROUP)) {
        --first;
    }
    int last = at;
    while (last + 1 < static_cast<int>(children.size()) && !(Style(children[last + 1]) & WS_GROUP)) {
        ++last;
    }
    int size = last - first + 1;
    for (int step = 1; step < size; ++step) {
        int i = first + (((at - first) + (bPrevious ? -step : step)) % size + size) % size;
        if (Reachable(children[i])) {
            return children[i];
        }
    }
    return hCtl;
}

BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
    if (lpMsg == nullptr || hDlg == nullptr || (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd))) {
        return FALSE;
    }
    if (lpMsg->message == WM_KEYDOWN && KeyDown(hDlg, *lpMsg)) {
        return TRUE;
    }
    if (lpMsg->message == WM_CHAR) {
        LRESULT code =
            SendMessageA(lpMsg->hwnd, WM_GETDLGCODE, lpMsg->wParam, reinterpret_cast<LPARAM>(lpMsg));
        bool navigation = lpMsg->wParam == '\t' || lpMsg->wParam == '\r' || lpMsg->wParam == 0x1B;
        if (navigation && !(code & DLGC_WANTALLKEYS)) {
            return TRUE; // the key already did its work as a WM_KEYDOWN
        }
    }
    TranslateMessage(lpMsg);
    DispatchMessageA(lpMsg);
    return TRUE;
}

BOOL WINAPI IsDialogMessageW(HWND hDlg, LPMSG lpMsg) {
    return IsDialogMessageA(hDlg, lpMsg);
}
