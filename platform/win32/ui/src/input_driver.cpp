// The input side of the UI driver: mouse and keyboard actions as the messages a screen sends.
#include "qx/win32/input_driver.h"

#include "processthreadsapi.h"
#include "qx/win32/codepage.h"
#include "qx/win32/virtual_clock.h"
#include "qx/win32/window_internals.h"
#include "sysinfoapi.h"
#include "winuser_input.h"
#include "winuser_position.h"
#include "winuser_window.h"

namespace qx::win32::input {
namespace {

bool Down(int vk) {
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

// The key flags of a mouse message: what the caller gives and what is held.
WPARAM MouseKeys(WPARAM keys) {
    WPARAM flags = keys;
    flags |= Down(VK_LBUTTON) ? MK_LBUTTON : 0;
    flags |= Down(VK_RBUTTON) ? MK_RBUTTON : 0;
    flags |= Down(VK_MBUTTON) ? MK_MBUTTON : 0;
    flags |= Down(VK_SHIFT) ? MK_SHIFT : 0;
    flags |= Down(VK_CONTROL) ? MK_CONTROL : 0;
    return flags;
}

bool IsButtonDown(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK;
}

// Without a capture the window under the pointer is asked where the point lies
// (WM_NCHITTEST), is activated by a click when its top-level window is not in front
// (WM_MOUSEACTIVATE), and chooses the cursor (WM_SETCURSOR) before the mouse message; a point
// outside its client area becomes the non-client message. With a capture, the capture window
// gets the mouse message alone.
LRESULT Mouse(HWND window, int x, int y, UINT message, WPARAM keys, int button, bool pressed) {
    if (!IsWindow(window)) {
        return 0;
    }
    if (button != 0) {
        SetKeyDown(button, pressed);
    }
    POINT screen{x, y};
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    HWND target = window;
    POINT point{x, y};
    HWND capture = GetCaptureWindow();
    if (capture != nullptr) {
        target = capture;
        point = screen;
        ScreenToClient(capture, &point);
    } else {
        LPARAM screenPoint = MAKELPARAM(screen.x, screen.y);
        auto hit = static_cast<SHORT>(SendMessageW(target, WM_NCHITTEST, 0, screenPoint));
        if (IsButtonDown(message)) {
            HWND root = GetAncestor(target, GA_ROOT);
            if (root != nullptr && root != GetForegroundWindow()) {
                LRESULT answer = SendMessageW(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root),
                                              MAKELPARAM(hit, message));
                if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) {
                    SetForegroundWindow(root);
                }
                if (answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT) {
                    return 0;
                }
            }
        }
        SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, message));
        if (hit != HTCLIENT) {
            UINT nonClient = WM_NCMOUSEMOVE + (message - WM_MOUSEMOVE);
            return SendMessageW(target, nonClient, static_cast<WPARAM>(static_cast<WORD>(hit)), screenPoint);
        }
    }
    return SendMessageW(target, message, MouseKeys(keys), MAKELPARAM(point.x, point.y));
}

LPARAM KeyData(bool down, bool wasDown) {
    LPARAM data = 1;
    if (wasDown) {
        data |= 1 << 30;
    }
    if (!down) {
        data |= static_cast<LPARAM>(0xC0000000u);
    }
    return data;
}

// The virtual key that types an ASCII character without modifiers; 0 for none.
int KeyOfCharacter(char16_t c, WPARAM* typed) {
    *typed = c;
    if (c >= u'a' && c <= u'z') {
        return c - u'a' + 'A';
    }
    if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) {
        return c;
    }
    switch (c) {
    case u' ':
        return VK_SPACE;
    case u'\r':
    case u'\n':
        *typed = 0x0D;
        return VK_RETURN;
    case u'\t':
        return VK_TAB;
    case u'\b':
        return VK_BACK;
    default:
        return 0;
    }
}

} // namespace

LRESULT Press(HWND window, int x, int y, WPARAM keys) {
    return Mouse(window, x, y, WM_LBUTTONDOWN, keys, VK_LBUTTON, true);
}

LRESULT Move(HWND window, int x, int y, WPARAM keys) {
    return Mouse(window, x, y, WM_MOUSEMOVE, keys, 0, false);
}

LRESULT Release(HWND window, int x, int y, WPARAM keys) {
    return Mouse(window, x, y, WM_LBUTTONUP, keys, VK_LBUTTON, false);
}

LRESULT RightPress(HWND window, int x, int y, WPARAM keys) {
    return Mouse(window, x, y, WM_RBUTTONDOWN, keys, VK_RBUTTON, true);
}

LRESULT RightRelease(HWND window, int x, int y, WPARAM keys) {
    return Mouse(window, x, y, WM_RBUTTONUP, keys, VK_RBUTTON, false);
}

LRESULT DoubleClick(HWND window, int x, int y, WPARAM keys) {
    Press(window, x, y, keys);
    Release(window, x, y, keys);
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    std::u16string className = GetWindowClassName(window);
    bool doubleClicks = false;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    if (!className.empty() && GetClassInfoExW(instance, className.c_str(), &info)) {
        doubleClicks = (info.style & CS_DBLCLKS) != 0;
    }
    LRESULT answer =
        Mouse(window, x, y, doubleClicks ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, keys, VK_LBUTTON, true);
    Release(window, x, y, keys);
    return answer;
}

LRESULT Wheel(HWND window, int x, int y, int delta, WPARAM keys) {
    if (!IsWindow(window)) {
        return 0;
    }
    POINT screen{x, y};
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    HWND capture = GetCaptureWindow();
    HWND target = capture != nullptr ? capture : window;
    WPARAM wParam =
        MAKEWPARAM(static_cast<WORD>(MouseKeys(keys)), static_cast<WORD>(static_cast<SHORT>(delta)));
    return SendMessageW(target, WM_MOUSEWHEEL, wParam, MAKELPARAM(screen.x, screen.y));
}

LRESULT Key(int vk, bool down) {
    bool wasDown = Down(vk);
    SetKeyDown(vk, down);
    HWND target = GetKeyboardTarget();
    if (target == nullptr) {
        return 0;
    }
    // With Alt held (and no Ctrl) keys are system keys, as they open menus on Windows.
    bool system = (Down(VK_MENU) || vk == VK_MENU || vk == VK_F10) && !Down(VK_CONTROL);
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    LPARAM data = KeyData(down, wasDown);
    LRESULT answer = SendMessageW(target, message, static_cast<WPARAM>(vk), data);
    if (down) {
        if (WPARAM character = KeyCharacter(vk); character != 0 && IsWindow(target)) {
            SendMessageW(target, system ? WM_SYSCHAR : WM_CHAR, character, data);
        }
    }
    return answer;
}

LRESULT Type(std::string_view text) {
    std::u16string units = Utf8ToWide(text);
    LRESULT answer = 0;
    for (char16_t unit : units) {
        HWND target = GetKeyboardTarget();
        if (target == nullptr) {
            return 0;
        }
        WPARAM typed = 0;
        int vk = KeyOfCharacter(unit, &typed);
        if (vk != 0) {
            SetKeyDown(vk, true);
            SendMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(vk), KeyData(true, false));
        }
        answer = SendMessageW(target, WM_CHAR, typed, KeyData(true, false));
        if (vk != 0) {
            SetKeyDown(vk, false);
            if (IsWindow(target)) {
                SendMessageW(target, WM_KEYUP, static_cast<WPARAM>(vk), KeyData(false, true));
            }
        }
    }
    return answer;
}

void ResetInputState() {
    ResetKeyState();
}

size_t PumpUntilIdle(DWORD limit, size_t maxMessages) {
    size_t count = 0;
    MSG msg;
    for (;;) {
        while (count < maxMessages && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // The quit is for the caller's own loop.
                PostQuitMessage(static_cast<int>(msg.wParam));
                return count;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            ++count;
        }
        if (count >= maxMessages) {
            return count;
        }
        DWORD due = 0;
        if (!VirtualClockInstalled() || !NextTimerDue(GetCurrentThreadId(), &due)) {
            return count;
        }
        DWORD now = GetTickCount();
        if (static_cast<LONG>(due - now) <= 0 || static_cast<LONG>(due - limit) > 0) {
            return count;
        }
        AdvanceVirtualClock(due - now);
    }
}

} // namespace qx::win32::input
