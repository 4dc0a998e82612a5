// The window system's side of the message queues: which thread owns a window, dispatching to
// window procedures and timer procedures, keys to characters, the paints and timers the
// queue makes, and the windows of threads that end.
#include "window_manager.h"

#include "processthreadsapi.h"
#include "qx/win32/message_queue.h"
#include "qx/win32/window_internals.h"
#include "window_core.h"
#include "winuser_input.h"

namespace qx::win32::window {

bool TakeDueTimer(HWND filter, bool threadOnly, bool remove, MSG* out, DWORD* wakeIn);
bool RunTimerProcedure(const MSG& msg);
bool TakePaintMessage(HWND filter, MSG* out);

namespace {

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

class Manager : public WindowManager {
public:
    DWORD WindowThreadId(HWND hwnd) override { return GetWindowThread(hwnd); }

    LRESULT DispatchWindowMessage(const MSG& msg) override {
        if (msg.message == WM_TIMER && msg.lParam != 0) {
            RunTimerProcedure(msg);
            return 0;
        }
        if (GetWindowThread(msg.hwnd) != GetCurrentThreadId()) {
            return 0; // a window of another thread is dispatched on its own thread
        }
        bool wide = IsWindowUnicode(msg.hwnd) != FALSE;
        return CallWindowProcedure(msg.hwnd, msg.message, msg.wParam, msg.lParam, wide);
    }

    bool TranslateKeyMessage(const MSG& msg) override {
        if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) {
            return false;
        }
        WPARAM character = KeyCharacter(static_cast<int>(msg.wParam));
        if (character == 0) {
            return false;
        }
        UINT message = msg.message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
        return PostMessageW(msg.hwnd, message, character, msg.lParam) != FALSE;
    }

    bool NextGeneratedMessage(HWND filter, UINT filterMin, UINT filterMax, DWORD classes, bool remove,
                              MSG* out, DWORD* wakeIn) override {
        *wakeIn = INFINITE;
        constexpr auto kThreadOnly = static_cast<LONG_PTR>(-1);
        bool threadOnly = reinterpret_cast<LONG_PTR>(filter) == kThreadOnly;
        if (!threadOnly && (classes == 0 || (classes & QS_PAINT)) &&
            InRange(WM_PAINT, filterMin, filterMax) && TakePaintMessage(filter, out)) {
            return true;
        }
        if ((classes == 0 || (classes & QS_TIMER)) && InRange(WM_TIMER, filterMin, filterMax)) {
            return TakeDueTimer(filter, threadOnly, remove, out, wakeIn);
        }
        return false;
    }

    void ThreadEnding(DWORD threadId) override { DropThreadWindows(threadId); }
};

} // namespace

void InstallWindowManager(Store&) {
    static auto* manager = new Manager;
    SetWindowManager(manager);
}

} // namespace qx::win32::window

WPARAM qx::win32::KeyCharacter(int vk) {
    bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    bool capital = (GetKeyState(VK_CAPITAL) & 0x0001) != 0;
    if (vk >= 'A' && vk <= 'Z') {
        if (control) {
            return static_cast<WPARAM>(vk - 'A' + 1);
        }
        return (shift != capital) ? static_cast<WPARAM>(vk) : static_cast<WPARAM>(vk - 'A' + 'a');
    }
    if (vk >= '0' && vk <= '9' && !shift && !control) {
        return static_cast<WPARAM>(vk);
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
        return static_cast<WPARAM>('0' + (vk - VK_NUMPAD0));
    }
    switch (vk) {
    case VK_SPACE:
        return ' ';
    case VK_RETURN:
        return control ? 0x0A : 0x0D;
    case VK_BACK:
        return control ? 0x7F : 0x08;
    case VK_TAB:
        return control ? 0 : 0x09;
    case VK_ESCAPE:
        return 0x1B;
    default:
        return 0;
    }
}
