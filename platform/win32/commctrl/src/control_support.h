// What every control window shares: its state kept as a window attachment, notices to the
// parent, and copying texts out to a caller's buffer in either character set.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "commctrl.h"
#include "qx/win32/window_internals.h"
#include "winuser_window.h"

namespace qx::win32::commctrl {

// Sends WM_NOTIFY to the control's parent with the header filled in; the parent's answer.
LRESULT NotifyParent(HWND control, UINT code, NMHDR& header);
// Sends WM_COMMAND with a notification code to the control's parent.
void CommandParent(HWND control, WORD code);

// Text from a caller: ANSI (code page 949) or UTF-16, null-terminated; empty for null and for
// LPSTR_TEXTCALLBACK.
std::u16string TextIn(const void* text, bool wide);
// Copies a text to a buffer of `capacity` characters (bytes for ANSI, never splitting a
// double-byte character), always null-terminated when there is room for anything; returns the
// number of characters (bytes) copied, not counting the terminator.
int TextOut(std::u16string_view text, void* buffer, int capacity, bool wide);
// The length TextOut would need without its terminator: UTF-16 units or ANSI bytes.
int TextOutLength(std::u16string_view text, bool wide);

// The default handling of a message for a control whose class is ANSI or Unicode.
LRESULT DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool wide);

// The window procedure of a control class: the control object is made on WM_NCCREATE, kept
// as an attachment of the window, and answers every message while the window lives.
template <typename Control, bool Wide>
LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowAttachment(hwnd, Control::kAttachment, std::make_shared<Control>(hwnd, Wide));
    }
    // Held for the whole message: a parent may destroy the control from a notice.
    std::shared_ptr<Control> control = GetWindowAttachmentAs<Control>(hwnd, Control::kAttachment);
    if (!control) {
        return DefaultProc(hwnd, message, wParam, lParam, Wide);
    }
    return control->Handle(message, wParam, lParam);
}

} // namespace qx::win32::commctrl
