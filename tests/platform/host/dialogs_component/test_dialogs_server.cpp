// "Test.Dialogs": an in-process server whose methods show a message box and run the table
// dialog of its own resources (the dialog tests' fixture), the way a component's would.
#include "test_dialogs.h"

#include <objbase.h>
#include <qx/com/bstr.h>
#include <qx/com/dispatch.h>
#include <qx/com/object.h>
#include <qx/win32/codepage.h>
#include <winmodule.h>
#include <winresource.h>
#include <winuser_dialog.h>

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
