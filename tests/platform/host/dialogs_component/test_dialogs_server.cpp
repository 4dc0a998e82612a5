// "Test.Dialogs": an in-process server whose methods show a message box, run the table dialog
// of its own resources (the dialog tests' fixture), track a pop-up menu, run a find or replace
// dialog and ask for a color, the way a component's would.
#include "test_dialogs.h"

#include <commdlg.h>
#include <objbase.h>
#include <qx/com/bstr.h>
#include <qx/com/dispatch.h>
#include <qx/com/object.h>
#include <qx/win32/codepage.h>
#include <winmodule.h>
#include <winresource.h>
#include <winuser_dialog.h>
#include <winuser_menu.h>
#include <winuser_message.h>
#include <winuser_window.h>

#include <string>

namespace {

constexpr int kTableDialog = 300, kNameEdit = 100, kHeaderCheck = 101, kDownRadio = 103, kStyleCombo = 104,
              kColumnList = 105;

HINSTANCE g_module = nullptr;

// What the dialog held when it was confirmed.
struct TableChoice {
    std::string name;
    UINT header = 0, down = 0;
    LRESULT styleData = 0, column = -1;
};

INT_PTR CALLBACK TableProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        for (const char* s : {"plain", "striped", "boxed"})
            SendDlgItemMessageA(dialog, kStyleCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        for (int i = 0; i < 3; ++i)
            SendDlgItemMessageA(dialog, kStyleCombo, CB_SETITEMDATA, static_cast<WPARAM>(i), 100 * (i + 1));
        for (const char* s : {"A", "B", "C"})
            SendDlgItemMessageA(dialog, kColumnList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* choice = reinterpret_cast<TableChoice*>(GetWindowLongPtrA(dialog, DWLP_USER));
            char name[128] = {};
            if (GetDlgItemTextA(dialog, kNameEdit, name, sizeof(name)) == 0) {
                // "이름을 입력하세요." in code page 949; the dialog stays open.
                MessageBoxA(dialog, "\xC0\xCC\xB8\xA7\xC0\xBB \xC0\xD4\xB7\xC2\xC7\xCF\xBC\xBC\xBF\xE4.",
                            "\xC7\xA5", MB_OK | MB_ICONWARNING);
                return TRUE;
            }
            choice->name = name;
            choice->header = IsDlgButtonChecked(dialog, kHeaderCheck);
            choice->down = IsDlgButtonChecked(dialog, kDownRadio);
            LRESULT current = SendDlgItemMessageA(dialog, kStyleCombo, CB_GETCURSEL, 0, 0);
            choice->styleData = current < 0 ? -1
                                            : SendDlgItemMessageA(dialog, kStyleCombo, CB_GETITEMDATA,
                                                                  static_cast<WPARAM>(current), 0);
            choice->column = SendDlgItemMessageA(dialog, kColumnList, LB_GETCURSEL, 0, 0);
            EndDialog(dialog, IDOK);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

// The owner of the menu and of the find dialog: it writes down every FINDMSGSTRING message as
// "next|replace|all|term:find text:replace text:options" and ends the loop on the last one.
struct FindLog {
    UINT message = 0;
    std::string presses;
    bool ended = false;
};

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* log = reinterpret_cast<FindLog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (log && log->message != 0 && message == log->message) {
        const auto* fr = reinterpret_cast<const FINDREPLACEA*>(lParam);
        const DWORD flags = fr->Flags;
        const char* press = (flags & FR_DIALOGTERM)   ? "term"
                            : (flags & FR_REPLACEALL) ? "all"
                            : (flags & FR_REPLACE)    ? "replace"
                                                      : "next";
        log->presses += std::string(log->presses.empty() ? "" : ",") + press + ":" + fr->lpstrFindWhat + ":" +
                        (fr->lpstrReplaceWith ? fr->lpstrReplaceWith : "") + ":" +
                        std::to_string(flags & (FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD));
        log->ended = (flags & FR_DIALOGTERM) != 0;
        if (log->ended)
            PostMessageA(window, WM_NULL, 0, 0); // wakes the loop waiting in GetMessage
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateOwner(FindLog* log) {
    static const ATOM atom = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = g_module;
        wc.lpszClassName = "TestDialogsOwner";
        return RegisterClassExA(&wc);
    }();
    if (atom == 0)
        return nullptr;
    HWND owner = CreateWindowExA(0, "TestDialogsOwner", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, g_module, nullptr);
    if (owner)
        SetWindowLongPtrA(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(log));
    return owner;
}

class CTestDialogs : public qx::com::ObjectRoot, public qx::com::DispatchImpl<ITestDialogs> {
public:
    static constexpr bool kAggregatable = false;
    QX_BEGIN_INTERFACES(CTestDialogs)
    QX_INTERFACE_ENTRY(ITestDialogs)
    QX_INTERFACE_ENTRY2(IDispatch, ITestDialogs)
    QX_END_INTERFACES()

    STDMETHODIMP Ask(BSTR text, BSTR caption, LONG type, LONG* answer) override {
        if (!answer)
            return E_POINTER;
        *answer = MessageBoxW(nullptr, text ? text : u"", caption, static_cast<UINT>(type));
        return S_OK;
    }
    // "code|name|header|down|style data|column", the name as UTF-8.
    STDMETHODIMP EditTable(BSTR* outcome) override {
        if (!outcome)
            return E_POINTER;
        TableChoice choice;
        INT_PTR code = DialogBoxParamA(g_module, MAKEINTRESOURCEA(kTableDialog), nullptr, TableProc,
                                       reinterpret_cast<LPARAM>(&choice));
        std::string text = std::to_string(code) + "|" + qx::win32::AnsiToUtf8(choice.name) + "|" +
                           std::to_string(choice.header) + "|" + std::to_string(choice.down) + "|" +
                           std::to_string(choice.styleData) + "|" + std::to_string(choice.column);
        return qx::com::Bstr::FromUtf8(text).CopyTo(outcome);
    }
    // Open, a grayed Save, a separator, a checked Wrap and a More submenu with Sort.
    STDMETHODIMP Menu(LONG x, LONG y, LONG* chosen) override {
        if (!chosen)
            return E_POINTER;
        FindLog log;
        HWND owner = CreateOwner(&log);
        HMENU menu = CreatePopupMenu();
        HMENU more = CreatePopupMenu();
        AppendMenuA(menu, MF_STRING, 10, "&Open");
        AppendMenuA(menu, MF_STRING | MF_GRAYED, 11, "Save");
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING | MF_CHECKED, 12, "Wrap");
        AppendMenuA(more, MF_STRING, 20, "Sort");
        AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(more), "More");
        *chosen = static_cast<LONG>(TrackPopupMenu(menu, TPM_RETURNCMD, x, y, 0, owner, nullptr));
        DestroyMenu(menu);
        DestroyWindow(owner);
        return S_OK;
    }
    // The presses the owner saw, until the dialog closed.
    STDMETHODIMP Find(BSTR text, VARIANT_BOOL replace, BSTR* presses) override {
        if (!presses)
            return E_POINTER;
        FindLog log;
        log.message = RegisterWindowMessageA(FINDMSGSTRINGA);
        HWND owner = CreateOwner(&log);
        char findWhat[80] = {};
        char replaceWith[80] = {};
        const std::string seed = qx::win32::Utf8ToAnsi(qx::com::Utf16ToUtf8(text ? text : u""));
        seed.copy(findWhat, sizeof(findWhat) - 1);
        FINDREPLACEA fr{};
        fr.lStructSize = sizeof(fr);
        fr.hwndOwner = owner;
        fr.Flags = FR_DOWN;
        fr.lpstrFindWhat = findWhat;
        fr.wFindWhatLen = sizeof(findWhat);
        fr.lpstrReplaceWith = replaceWith;
        fr.wReplaceWithLen = sizeof(replaceWith);
        HWND dialog = replace ? ReplaceTextA(&fr) : FindTextA(&fr);
        MSG msg;
        while (dialog && !log.ended && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (!IsDialogMessageA(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        DestroyWindow(owner);
        return qx::com::Bstr::FromUtf8(qx::win32::AnsiToUtf8(dialog ? log.presses : "failed"))
            .CopyTo(presses);
    }
    // The chosen color, or -1 when the dialog was cancelled.
    STDMETHODIMP Color(LONG initial, LONG* color) override {
        if (!color)
            return E_POINTER;
        COLORREF custom[16] = {};
        CHOOSECOLORA cc{};
        cc.lStructSize = sizeof(cc);
        cc.rgbResult = static_cast<COLORREF>(initial);
        cc.lpCustColors = custom;
        cc.Flags = CC_RGBINIT;
        *color = ChooseColorA(&cc) ? static_cast<LONG>(cc.rgbResult) : -1;
        return S_OK;
    }
};

HRESULT Create(IUnknown* outer, REFIID riid, void** ppv) {
    return qx::com::CreateInstance<CTestDialogs>(outer, riid, ppv);
}

} // namespace

extern "C" __attribute__((visibility("default"))) BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid,
                                                                            void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (clsid != CLSID_TestDialogs)
        return CLASS_E_CLASSNOTAVAILABLE;
    return qx::com::CreateClassFactory(&Create, riid, ppv);
}
