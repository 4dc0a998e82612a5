// A dialog's controls by id: text, numbers, check marks, messages; and its dialog units.
#include "dialog_state.h"

#include "winerror.h"
#include "winuser_controls.h"
#include "winuser_dialog.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <string>

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    if (!IsWindow(hDlg)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND child = GetWindow(hDlg, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == nIDDlgItem) {
            return child;
        }
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (item == nullptr) {
        if (lpString != nullptr && cchMax > 0) {
            lpString[0] = '\0';
        }
        return 0;
    }
    return static_cast<UINT>(
        SendMessageA(item, WM_GETTEXT, static_cast<WPARAM>(cchMax), reinterpret_cast<LPARAM>(lpString)));
}

UINT WINAPI GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (item == nullptr) {
        if (lpString != nullptr && cchMax > 0) {
            lpString[0] = u'\0';
        }
        return 0;
    }
    return static_cast<UINT>(
        SendMessageW(item, WM_GETTEXT, static_cast<WPARAM>(cchMax), reinterpret_cast<LPARAM>(lpString)));
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item != nullptr && SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) != 0
               ? TRUE
               : FALSE;
}

BOOL WINAPI SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item != nullptr && SendMessageW(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) != 0
               ? TRUE
               : FALSE;
}

// The control's text as a whole number: blanks around it, a '-' when signed; anything else, or
// a number out of range, is not translated.
UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
    if (lpTranslated != nullptr) {
        *lpTranslated = FALSE;
    }
    char text[64] = {};
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (item == nullptr) {
        return 0;
    }
    SendMessageA(item, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    const char* p = text;
    while (*p == ' ') {
        ++p;
    }
    bool negative = bSigned && *p == '-';
    if (negative) {
        ++p;
    }
    if (!std::isdigit(static_cast<unsigned char>(*p))) {
        return 0;
    }
    unsigned long long value = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        value = value * 10 + static_cast<unsigned>(*p++ - '0');
        if (value > UINT_MAX) {
            return 0;
        }
    }
    while (*p == ' ') {
        ++p;
    }
    unsigned long long limit =
        bSigned ? (negative ? 1ull + INT_MAX : static_cast<unsigned long long>(INT_MAX)) : UINT_MAX;
    if (*p != '\0' || value > limit) {
        return 0;
    }
    if (lpTranslated != nullptr) {
        *lpTranslated = TRUE;
    }
    return negative ? static_cast<UINT>(0u - static_cast<UINT>(value)) : static_cast<UINT>(value);
}

BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
    char text[16];
    if (bSigned) {
        std::snprintf(text, sizeof(text), "%d", static_cast<int>(uValue));
    } else {
        std::snprintf(text, sizeof(text), "%u", uValue);
    }
    return SetDlgItemTextA(hDlg, nIDDlgItem, text);
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item != nullptr ? SendMessageA(item, Msg, wParam, lParam) : 0;
}

LRESULT WINAPI SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item != nullptr ? SendMessageW(item, Msg, wParam, lParam) : 0;
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND item = GetDlgItem(hDlg, nIDButton);
    if (item == nullptr) {
        return FALSE;
    }
    SendMessageA(item, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    HWND item = GetDlgItem(hDlg, nIDButton);
    return item != nullptr ? static_cast<UINT>(SendMessageA(item, BM_GETCHECK, 0, 0)) : 0;
}

BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    if (!IsWindow(hDlg) || nIDFirstButton > nIDLastButton) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id) {
        if (HWND item = GetDlgItem(hDlg, id); item != nullptr) {
            SendMessageA(item, BM_SETCHECK, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
    return TRUE;
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
    auto state = qx::win32::dialog::StateOf(hDlg);
    if (!state || lpRect == nullptr) {
        SetLastError(state ? ERROR_INVALID_PARAMETER : ERROR_WINDOW_NOT_DIALOG);
        return FALSE;
    }
    lpRect->left = qx::win32::DialogUnitsToPixelsX(lpRect->left, state->units);
    lpRect->right = qx::win32::DialogUnitsToPixelsX(lpRect->right, state->units);
    lpRect->top = qx::win32::DialogUnitsToPixelsY(lpRect->top, state->units);
    lpRect->bottom = qx::win32::DialogUnitsToPixelsY(lpRect->bottom, state->units);
    return TRUE;
}
