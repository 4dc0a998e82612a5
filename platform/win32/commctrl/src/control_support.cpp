#include "control_support.h"

#include <algorithm>
#include <cstring>

#include "qx/win32/codepage.h"
#include "winnls.h"

namespace qx::win32::commctrl {

LRESULT NotifyParent(HWND control, UINT code, NMHDR& header) {
    header.hwndFrom = control;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    header.code = code;
    HWND parent = GetParent(control);
    if (parent == nullptr) {
        return 0;
    }
    return SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void CommandParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (parent == nullptr) {
        return;
    }
    auto id = static_cast<WORD>(GetDlgCtrlID(control));
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

LRESULT DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool wide) {
    return wide ? DefWindowProcW(hwnd, message, wParam, lParam)
                : DefWindowProcA(hwnd, message, wParam, lParam);
}

std::u16string TextIn(const void* text, bool wide) {
    // LPSTR_TEXTCALLBACK asks the parent for the text on display; nothing is displayed here, so
    // the item keeps an empty one.
    if (text == nullptr || text == LPSTR_TEXTCALLBACKA) {
        return {};
    }
    if (wide) {
        return std::u16string(static_cast<const char16_t*>(text));
    }
    return AnsiToWide(static_cast<const char*>(text));
}

int TextOutLength(std::u16string_view text, bool wide) {
    return wide ? static_cast<int>(text.size()) : static_cast<int>(WideToAnsi(text).size());
}

int TextOut(std::u16string_view text, void* buffer, int capacity, bool wide) {
    if (buffer == nullptr || capacity <= 0) {
        return 0;
    }
    if (wide) {
        auto* out = static_cast<char16_t*>(buffer);
        size_t count = std::min(text.size(), static_cast<size_t>(capacity) - 1);
        // Never end on the first half of a surrogate pair.
        if (count > 0 && count < text.size() && text[count - 1] >= 0xD800 && text[count - 1] <= 0xDBFF) {
            --count;
        }
        std::memcpy(out, text.data(), count * sizeof(char16_t));
        out[count] = 0;
        return static_cast<int>(count);
    }
    std::string ansi = WideToAnsi(text);
    auto* out = static_cast<char*>(buffer);
    size_t limit = std::min(ansi.size(), static_cast<size_t>(capacity) - 1);
    // Walk whole characters: a lead byte takes its trail byte with it.
    size_t count = 0;
    while (count < limit) {
        auto byte = static_cast<BYTE>(ansi[count]);
        size_t width = (IsDBCSLeadByte(byte) && count + 1 < ansi.size()) ? 2 : 1;
        if (count + width > limit) {
            break;
        }
        count += width;
    }
    std::memcpy(out, ansi.data(), count);
    out[count] = 0;
    return static_cast<int>(count);
}

} // namespace qx::win32::commctrl
