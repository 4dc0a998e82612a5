// What every control of this library shares: state attached to its window for its lifetime,
// notifications to its parent, and ANSI text copied into a caller's buffer.
#pragma once

#include "qx/win32/window_internals.h"
#include "winuser_window.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace qx::win32::controls {

inline constexpr std::string_view kStateKey = "qx.control";

// WM_COMMAND to the parent with the control's id and a notification code.
inline void NotifyParent(HWND control, int code) {
    HWND parent = GetParent(control);
    if (parent != nullptr) {
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), static_cast<WORD>(code)),
                     reinterpret_cast<LPARAM>(control));
    }
}

inline DWORD StyleOf(HWND hwnd) {
    return static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
}

// Copies text into a buffer of `capacity` characters, terminated, cut on a character boundary
// of the ANSI code page; the number of bytes copied.
LRESULT CopyAnsiText(std::string_view text, char* buffer, std::size_t capacity);

// Copies text into a buffer the caller promises is large enough (CB_GETLBTEXT, LB_GETTEXT).
inline LRESULT CopyWholeText(std::string_view text, char* buffer) {
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return static_cast<LRESULT>(text.size());
}

// Byte length of the character starting at `at` (2 for a double-byte character).
std::size_t CharLength(std::string_view text, std::size_t at);
// The start of the character that contains byte `at`.
std::size_t CharStart(std::string_view text, std::size_t at);
// The longest prefix of `text` at most `limit` bytes long that ends on a character boundary.
std::size_t CutOnCharacter(std::string_view text, std::size_t limit);

// The window procedure of a control class whose state T is made on WM_NCCREATE and answers
// through T::Handle; the state is held while a message runs, so a control destroyed by its
// parent during a notification is not freed under it.
template <class T>
LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowAttachment(hwnd, kStateKey,
                            std::make_shared<T>(hwnd, *reinterpret_cast<const CREATESTRUCTA*>(lParam)));
    }
    std::shared_ptr<T> state = GetWindowAttachmentAs<T>(hwnd, kStateKey);
    if (!state) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return state->Handle(message, wParam, lParam);
}

} // namespace qx::win32::controls
