// The dialog class "#32770": DefDlgProc calls the dialog procedure and gives each message the
// answer a dialog gives it (DWLP_MSGRESULT for the handled ones), then the dialog defaults.
#include "dialog_state.h"

#include "qx/win32/controls.h"
#include "qx/win32/window_internals.h"
#include "winuser_controls.h"
#include "winuser_dialog.h"
#include "winuser_input.h"
#include "winuser_position.h"

#include <algorithm>
#include <mutex>

namespace qx::win32::dialog {
namespace {

constexpr std::string_view kStateKey = "qx.dialog";
constexpr UINT kCompareItem = 0x0039, kVKeyToItem = 0x002E, kCharToItem = 0x002F, kQueryDragIcon = 0x0037;

std::mutex g_openLock;
std::vector<HWND> g_open;

// Messages whose answer is the dialog procedure's own return value rather than DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    return message == WM_INITDIALOG || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
           message == kCompareItem || message == kVKeyToItem || message == kCharToItem ||
           message == kQueryDragIcon;
}

void FocusControl(HWND control) {
    if (control == nullptr) {
        return;
    }
    SetFocus(control);
    if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
        SendMessageA(control, EM_SETSEL, 0, -1);
    }
}

void SetDefaultId(HWND dialog, DialogState& state, int id) {
    auto restyle = [&](int which, DWORD from, DWORD to) {
        HWND button = GetDlgItem(dialog, which);
        if (button != nullptr &&
            (SendMessageA(button, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) &&
            (GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK) == static_cast<LONG_PTR>(from)) {
            SendMessageA(button, BM_SETSTYLE, to, TRUE);
        }
    };
    if (state.defaultId != 0 && state.defaultId != id) {
        restyle(state.defaultId, BS_DEFPUSHBUTTON, BS_PUSHBUTTON);
    }
    state.defaultId = id;
    restyle(id, BS_PUSHBUTTON, BS_DEFPUSHBUTTON);
}

LRESULT Defaults(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, bool wide) {
    auto state = StateOf(dialog);
    auto byDefault = wide ? DefWindowProcW : DefWindowProcA;
    switch (message) {
    case DM_GETDEFID:
        return state && state->defaultId != 0 ? MAKELRESULT(state->defaultId, DC_HASDEFID) : 0;
    case DM_SETDEFID:
        if (state) {
            SetDefaultId(dialog, *state, static_cast<int>(wParam));
        }
        return TRUE;
    case WM_CLOSE: {
        // Closing a dialog is its Cancel button, when that is not disabled.
        HWND cancel = GetDlgItem(dialog, IDCANCEL);
        if (cancel == nullptr || IsWindowEnabled(cancel)) {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(cancel));
        }
        return 0;
    }
    case WM_SETFOCUS:
        FocusControl(state && state->lastFocus != nullptr && IsWindow(state->lastFocus)
                         ? state->lastFocus
                         : GetNextDlgTabItem(dialog, nullptr, FALSE));
        return 0;
    case WM_NEXTDLGCTL: {
        HWND target = lParam != 0 ? reinterpret_cast<HWND>(wParam)
                                  : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0 ? TRUE : FALSE);
        FocusControl(target);
        return 0;
    }
    case WM_SHOWWINDOW:
        // A child dialog (a property page, a DS_CONTROL pane) is answered as part of the dialog
        // that holds it: the person sees one dialog.
        if (wParam != 0 && state && !state->driverAsked && !state->ended &&
            (GetWindowLongPtrA(dialog, GWL_STYLE) & WS_CHILD) == 0) {
            state->driverAsked = true;
            PostMessageA(dialog, DriverMessage(), 0, 0);
        }
        return byDefault(dialog, message, wParam, lParam);
    case WM_NCDESTROY:
        RemoveOpenDialog(dialog);
        return byDefault(dialog, message, wParam, lParam);
    default:
        return byDefault(dialog, message, wParam, lParam);
    }
}

} // namespace

std::shared_ptr<DialogState> StateOf(HWND dialog) {
    return GetWindowAttachmentAs<DialogState>(dialog, kStateKey);
}

void AddOpenDialog(HWND dialog) {
    std::lock_guard guard(g_openLock);
    g_open.push_back(dialog);
}

void RemoveOpenDialog(HWND dialog) {
    std::lock_guard guard(g_openLock);
    g_open.erase(std::remove(g_open.begin(), g_open.end(), dialog), g_open.end());
}

std::vector<HWND> OpenDialogs() {
    std::lock_guard guard(g_openLock);
    return g_open;
}

UINT DriverMessage() {
    static const UINT message = RegisterWindowMessageA("QxDialogShown");
    return message;
}

namespace {
// "#32770" and the controls are system classes: there for the first CreateWindowEx that names one.
[[maybe_unused]] const bool g_systemClassesKnown = AddSystemClassRegistrar(&RegisterDialogClass);
} // namespace

bool RegisterDialogClass() {
    static const bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_GLOBALCLASS | CS_SAVEBITS | CS_DBLCLKS;
        wc.lpfnWndProc = DefDlgProcA;
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.lpszClassName = "#32770";
        return RegisterClassExA(&wc) != 0 && RegisterControlClasses();
    }();
    return registered;
}

} // namespace qx::win32::dialog

using namespace qx::win32::dialog;

namespace {

LRESULT DialogProcedure(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam, bool wide) {
    if (Msg == DriverMessage()) {
        AskDriver(hDlg);
        return 0;
    }
    if (Msg == WM_NCCREATE) {
        qx::win32::SetWindowAttachment(hDlg, kStateKey, std::make_shared<DialogState>());
    }
    // Holds the state while the procedure runs: a procedure may destroy its own dialog.
    auto state = StateOf(hDlg);
    if (Msg == WM_SETFOCUS || Msg == WM_KILLFOCUS) {
        HWND focus = GetFocus();
        if (state && focus != nullptr && IsChild(hDlg, focus)) {
            state->lastFocus = focus;
        }
    }
    auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(hDlg, DWLP_DLGPROC));
    if (procedure != nullptr) {
        SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, 0);
        INT_PTR handled = procedure(hDlg, Msg, wParam, lParam);
        if (AnswersDirectly(Msg)) {
            return handled;
        }
        if (handled != 0) {
            return IsWindow(hDlg) ? GetWindowLongPtrA(hDlg, DWLP_MSGRESULT) : 0;
        }
        if (!IsWindow(hDlg)) {
            return 0;
        }
    }
    return Defaults(hDlg, Msg, wParam, lParam, wide);
}

} // namespace

LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return DialogProcedure(hDlg, Msg, wParam, lParam, false);
}

LRESULT WINAPI DefDlgProcW(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return DialogProcedure(hDlg, Msg, wParam, lParam, true);
}
