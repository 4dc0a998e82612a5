#include "editor_dialogs.h"

#include "winresource.h"
#include "winuser_controls.h"
#include "winuser_dialog.h"
#include "winuser_message.h"
#include "winuser_window.h"

#include <string>

namespace qx::html::editing::control {
namespace {

std::u16string ItemText(HWND dialog, int item) {
    char16_t buffer[1024] = {};
    const UINT length = GetDlgItemTextW(dialog, item, buffer, 1024);
    return std::u16string(buffer, length);
}

// OK takes the answers (read) and ends the dialog, Cancel ends it; other commands are the dialog's.
template <typename Read>
INT_PTR EndOnOkOrCancel(HWND dialog, WPARAM wParam, Read&& read) {
    if (LOWORD(wParam) == IDOK) {
        read();
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

struct FontDialogState {
    FontChoice choice;
};

INT_PTR CALLBACK FontDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<FontDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<FontDialogState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const FontChoice& c = state->choice;
        SetDlgItemTextW(dialog, kFontNameItem, c.name.c_str());
        for (char16_t size[] = u"1"; size[0] <= u'7'; ++size[0])
            SendDlgItemMessageW(dialog, kFontSizeItem, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
        SendDlgItemMessageW(dialog, kFontSizeItem, CB_SETCURSEL, static_cast<WPARAM>(c.size - 1), 0);
        CheckDlgButton(dialog, kFontBoldItem, c.bold ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, kFontItalicItem, c.italic ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, kFontUnderlineItem, c.underline ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemTextW(dialog, kFontColorItem, c.color.c_str());
        return TRUE;
    }
    case WM_COMMAND:
        return EndOnOkOrCancel(dialog, wParam, [dialog, state] {
            if (!state)
                return;
            FontChoice& c = state->choice;
            c.name = ItemText(dialog, kFontNameItem);
            const LRESULT index = SendDlgItemMessageW(dialog, kFontSizeItem, CB_GETCURSEL, 0, 0);
            c.size = index >= 0 && index < 7 ? static_cast<long>(index) + 1 : 0;
            c.bold = IsDlgButtonChecked(dialog, kFontBoldItem) == BST_CHECKED;
            c.italic = IsDlgButtonChecked(dialog, kFontItalicItem) == BST_CHECKED;
            c.underline = IsDlgButtonChecked(dialog, kFontUnderlineItem) == BST_CHECKED;
            c.color = ItemText(dialog, kFontColorItem);
        });
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK HyperlinkDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* url = reinterpret_cast<std::u16string*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetDlgItemTextW(dialog, kHyperlinkUrlItem, reinterpret_cast<std::u16string*>(lParam)->c_str());
        return TRUE;
    case WM_COMMAND:
        return EndOnOkOrCancel(dialog, wParam, [dialog, url] {
            if (url)
                *url = ItemText(dialog, kHyperlinkUrlItem);
        });
    default:
        return FALSE;
    }
}

} // namespace

std::optional<FontChoice> ShowFontDialog(HINSTANCE resources, HWND owner, const FontChoice& current) {
    FontDialogState state{current};
    const INT_PTR answer = DialogBoxParamW(resources, MAKEINTRESOURCEW(kFontDialog), owner, FontDialogProc,
                                           reinterpret_cast<LPARAM>(&state));
    if (answer != IDOK)
        return std::nullopt;
    return state.choice;
}

std::optional<std::u16string> ShowHyperlinkDialog(HINSTANCE resources, HWND owner,
                                                  const std::u16string& current) {
    std::u16string url = current;
    const INT_PTR answer = DialogBoxParamW(resources, MAKEINTRESOURCEW(kHyperlinkDialog), owner,
                                           HyperlinkDialogProc, reinterpret_cast<LPARAM>(&url));
    if (answer != IDOK)
        return std::nullopt;
    return url;
}

} // namespace qx::html::editing::control
