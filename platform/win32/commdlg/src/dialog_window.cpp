#include "dialog_window.h"

#include <mutex>

#include "winuser_window.h"

namespace qx::win32 {
namespace {

constexpr const char16_t* kClassName = u"qx.CommonDialog";

// As a dialog does: the hook sees each message first; a nonzero answer means it handled it,
// and the result is then its own for WM_INITDIALOG and the DWLP_MSGRESULT slot otherwise.
LRESULT CALLBACK CommonDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto hook = reinterpret_cast<CommonDialogHook>(GetWindowLongPtrW(hwnd, DWLP_DLGPROC));
    if (hook != nullptr) {
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
        UINT_PTR handled = hook(hwnd, message, wParam, lParam);
        if (handled != 0) {
            return message == WM_INITDIALOG ? static_cast<LRESULT>(handled)
                                            : GetWindowLongPtrW(hwnd, DWLP_MSGRESULT);
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterOnce() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = CommonDialogProc;
        wc.cbWndExtra = DWLP_USER + static_cast<int>(sizeof(LONG_PTR));
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc) != 0;
    }();
    return registered;
}

} // namespace

HWND CreateCommonDialogWindow(HWND owner, const std::u16string& title, CommonDialogHook hook, bool child) {
    if (!RegisterOnce()) {
        return nullptr;
    }
    DWORD style = child ? WS_CHILD : WS_POPUP | WS_CAPTION;
    HWND hwnd = CreateWindowExW(0, kClassName, title.c_str(), style, 0, 0, 400, 300, owner, nullptr, nullptr,
                                nullptr);
    if (hwnd != nullptr && hook != nullptr) {
        SetWindowLongPtrW(hwnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(hook));
    }
    return hwnd;
}

} // namespace qx::win32
