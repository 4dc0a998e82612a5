// Making dialogs from templates: the dialog window, its controls in template order, WM_INITDIALOG
// and its focus answer; modeless dialogs, and modal ones with their own message loop.
#include "dialog_state.h"

#include "processthreadsapi.h"
#include "qx/win32/codepage.h"
#include "qx/win32/dialog_template.h"
#include "qx/win32/window_internals.h"
#include "winerror.h"
#include "winresource.h"
#include "winuser_controls.h"
#include "winuser_dialog.h"
#include "winuser_position.h"

#include <cstdio>
#include <string>

namespace qx::win32::dialog {
namespace {

struct Placement {
    int x, y, cx, cy;
};

// The dialog's rectangle in pixels: relative to its owner's client area unless DS_ABSALIGN,
// centred on the owner (or the screen) with DS_CENTER.
Placement Place(const DialogTemplate& t, const DialogBaseUnits& units, HWND owner) {
    Placement p{DialogUnitsToPixelsX(t.x, units), DialogUnitsToPixelsY(t.y, units),
                DialogUnitsToPixelsX(t.cx, units), DialogUnitsToPixelsY(t.cy, units)};
    if (t.style & WS_CHILD) {
        return p;
    }
    RECT area{0, 0, kScreenWidth, kScreenHeight};
    if (owner != nullptr) {
        GetWindowRect(owner, &area);
    }
    if (t.style & (DS_CENTER | DS_CENTERMOUSE)) {
        p.x = area.left + (area.right - area.left - p.cx) / 2;
        p.y = area.top + (area.bottom - area.top - p.cy) / 2;
    } else if (!(t.style & DS_ABSALIGN) && owner != nullptr) {
        POINT origin{0, 0};
        ClientToScreen(owner, &origin);
        p.x += origin.x;
        p.y += origin.y;
    }
    return p;
}

DialogRequest Describe(const DialogTemplate& t, HINSTANCE module, LPCWSTR name, bool modal) {
    DialogRequest r;
    r.module = module;
    if (name != nullptr && IS_INTRESOURCE(name)) {
        r.templateId = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    } else if (name != nullptr) {
        r.templateName = WideToUtf8(name);
    }
    r.caption = WideToUtf8(t.caption);
    r.modal = modal;
    r.threadId = GetCurrentThreadId();
    return r;
}

bool MakeControls(HWND dialog, const DialogTemplate& t, HINSTANCE module, DialogState& state) {
    for (const auto& item : t.items) {
        std::u16string className = item.ClassName();
        std::u16string text = item.text.IsOrdinal() ? std::u16string() : item.text.text;
        HWND control = CreateWindowExW(
            item.exStyle | WS_EX_NOPARENTNOTIFY, className.c_str(), text.c_str(), item.style | WS_CHILD,
            DialogUnitsToPixelsX(item.x, state.units), DialogUnitsToPixelsY(item.y, state.units),
            DialogUnitsToPixelsX(item.cx, state.units), DialogUnitsToPixelsY(item.cy, state.units), dialog,
            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), module,
            item.creationData.empty() ? nullptr : const_cast<std::byte*>(item.creationData.data()));
        if (control == nullptr) {
            if (!(t.style & DS_NOFAILCREATE)) {
                std::fprintf(stderr, "Dialog \"%s\": control %u of class \"%s\" cannot be made\n",
                             state.request.caption.c_str(), static_cast<unsigned>(item.id),
                             WideToUtf8(className).c_str());
                return false;
            }
            continue;
        }
        // Tab order is template order, whatever order the window system gives new children.
        SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (className == u"BUTTON" && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON &&
            state.defaultId == 0) {
            state.defaultId = static_cast<int>(item.id);
        }
    }
    return true;
}

} // namespace

// Makes the dialog, its controls, and runs WM_INITDIALOG; shows it when its template says so.
HWND CreateFromTemplate(const DialogTemplate& t, HINSTANCE module, LPCWSTR name, HWND owner,
                        DLGPROC procedure, LPARAM parameter, bool modal) {
    if (!RegisterDialogClass()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DialogRequest request = Describe(t, module, name, modal);
    if (UiDriver* driver = GetUiDriver(); driver != nullptr && driver->FailDialogCreation(request)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DialogBaseUnits units = BaseUnitsForFont(t.hasFont ? t.pointSize : 0);
    Placement p = Place(t, units, owner);
    std::u16string className = t.windowClass.text.empty() ? u"#32770" : t.windowClass.text;
    HWND dialog = CreateWindowExW(t.exStyle, className.c_str(), t.caption.c_str(), t.style & ~WS_VISIBLE, p.x,
                                  p.y, p.cx, p.cy, owner, nullptr, module, nullptr);
    auto state = dialog != nullptr ? StateOf(dialog) : nullptr;
    if (!state) {
        if (dialog != nullptr) {
            DestroyWindow(dialog);
        }
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    state->request = std::move(request);
    state->units = units;
    SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(procedure));
    if (!MakeControls(dialog, t, module, *state)) {
        DWORD error = GetLastError(); // why the control could not be made
        DestroyWindow(dialog);
        SetLastError(error);
        return nullptr;
    }
    AddOpenDialog(dialog);
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    LRESULT focusIt = SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), parameter);
    if (!IsWindow(dialog)) {
        return nullptr;
    }
    if (focusIt != 0 && first != nullptr && !state->ended && IsWindow(first)) {
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
    if ((t.style & WS_VISIBLE) && !state->ended) {
        ShowWindow(dialog, SW_SHOWNORMAL);
    }
    return dialog;
}

// The modal loop: the thread's messages (posted ones and timers included) run until the dialog
// ends. The owner is disabled meanwhile. WM_QUIT ends the loop and is posted again for the
// caller's own loop.
INT_PTR RunModal(HWND dialog, HWND owner) {
    auto state = StateOf(dialog);
    HWND top = owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr;
    if (top != nullptr && IsWindowEnabled(top) && !state->ended) {
        EnableWindow(top, FALSE);
        state->disabledOwner = top;
    }
    if (!state->ended) {
        ShowWindow(dialog, SW_SHOWNORMAL);
    }
    MSG msg{};
    while (!state->ended && IsWindow(dialog)) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) {
            break;
        }
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (state->disabledOwner != nullptr) {
        EnableWindow(state->disabledOwner, TRUE);
        state->disabledOwner = nullptr;
    }
    INT_PTR result = state->ended ? state->result : 0;
    if (IsWindow(dialog)) {
        DestroyWindow(dialog);
    }
    return result;
}

} // namespace qx::win32::dialog

namespace {

using namespace qx::win32;

// The template of a module's dialog; a missing or damaged one is reported on standard error.
std::optional<DialogTemplate> FromModule(HINSTANCE module, LPCWSTR name) {
    std::string problem;
    auto t = LoadDialogTemplate(module, name, problem);
    if (!t) {
        DWORD error = GetLastError();
        std::fprintf(stderr, "%s\n", problem.c_str());
        SetLastError(error);
    }
    return t;
}

std::optional<DialogTemplate> FromMemory(LPCDLGTEMPLATEW pointer) {
    if (pointer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    std::string problem;
    auto t = ParseDialogTemplateAt(pointer, problem);
    if (!t) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        SetLastError(ERROR_INVALID_DATA);
    }
    return t;
}

// A resource name of the A functions as the W functions take it.
struct WideName {
    explicit WideName(LPCSTR name)
        : text(name != nullptr && !IS_INTRESOURCE(name) ? AnsiToWide(name) : std::u16string()),
          pointer(name == nullptr || IS_INTRESOURCE(name) ? reinterpret_cast<LPCWSTR>(name) : text.c_str()) {}
    std::u16string text;
    LPCWSTR pointer;
};

HWND Modeless(const std::optional<DialogTemplate>& t, HINSTANCE module, LPCWSTR name, HWND parent,
              DLGPROC proc, LPARAM param) {
    return t ? dialog::CreateFromTemplate(*t, module, name, parent, proc, param, false) : nullptr;
}

INT_PTR Modal(const std::optional<DialogTemplate>& t, HINSTANCE module, LPCWSTR name, HWND parent,
              DLGPROC proc, LPARAM param) {
    if (!t) {
        return -1;
    }
    HWND dialog = dialog::CreateFromTemplate(*t, module, name, parent, proc, param, true);
    if (dialog == nullptr) {
        return -1;
    }
    return dialog::RunModal(dialog, parent);
}

} // namespace

HWND WINAPI CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return Modeless(FromModule(hInstance, lpTemplateName), hInstance, lpTemplateName, hWndParent,
                    lpDialogFunc, dwInitParam);
}

HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    WideName name(lpTemplateName);
    return CreateDialogParamW(hInstance, name.pointer, hWndParent, lpDialogFunc, dwInitParam);
}

HWND WINAPI CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW lpTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return Modeless(FromMemory(lpTemplate), hInstance, nullptr, hWndParent, lpDialogFunc, dwInitParam);
}

HWND WINAPI CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return CreateDialogIndirectParamW(hInstance, lpTemplate, hWndParent, lpDialogFunc, dwInitParam);
}

INT_PTR WINAPI DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return Modal(FromModule(hInstance, lpTemplateName), hInstance, lpTemplateName, hWndParent, lpDialogFunc,
                 dwInitParam);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    WideName name(lpTemplateName);
    return DialogBoxParamW(hInstance, name.pointer, hWndParent, lpDialogFunc, dwInitParam);
}

INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return Modal(FromMemory(hDialogTemplate), hInstance, nullptr, hWndParent, lpDialogFunc, dwInitParam);
}

INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return DialogBoxIndirectParamW(hInstance, hDialogTemplate, hWndParent, lpDialogFunc, dwInitParam);
}

// Ends a dialog: a modal one leaves its loop (its owner enabled again first), a modeless one
// is hidden and stays until it is destroyed.
BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    auto state = qx::win32::dialog::StateOf(hDlg);
    if (!state) {
        SetLastError(IsWindow(hDlg) ? ERROR_WINDOW_NOT_DIALOG : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    state->result = nResult;
    state->ended = true;
    if (state->disabledOwner != nullptr) {
        EnableWindow(state->disabledOwner, TRUE);
        state->disabledOwner = nullptr;
    }
    ShowWindow(hDlg, SW_HIDE);
    // Wakes the modal loop when the call came from another thread.
    PostMessageA(hDlg, WM_NULL, 0, 0);
    qx::win32::dialog::RemoveOpenDialog(hDlg);
    return TRUE;
}
