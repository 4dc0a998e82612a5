// Centring of the control's dialogs over their owners, and the file dialogs' hook that does it.
#include "dialog_centring.h"

#include <commdlg.h>
#include <winuser_position.h>
#include <winuser_window.h>

void CenterWindowOver(HWND window, HWND over) {
    RECT frame{}, owner{};
    if (!window || !over || !GetWindowRect(window, &frame) || !GetWindowRect(over, &owner))
        return;
    const int x = (owner.left + owner.right - (frame.right - frame.left)) / 2;
    const int y = (owner.top + owner.bottom - (frame.bottom - frame.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT_PTR CALLBACK CenterFileDialog(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG && lParam) {
        const auto* dialog = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        CenterWindowOver(GetParent(hook), dialog->hwndOwner);
    }
    return 0;
}
