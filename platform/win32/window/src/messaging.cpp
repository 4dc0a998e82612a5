// Sending messages to windows, calling procedures, and the messages of the window API that
// go through the procedure (text, subclassing).
#include <mutex>
#include <unordered_map>

#include "errhandlingapi.h"
#include "processthreadsapi.h"
#include "qx/win32/codepage.h"
#include "qx/win32/message_queue.h"
#include "window_core.h"
#include "winerror.h"

namespace qx::win32::window {

LRESULT CallWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool wideCaller) {
    Procedure procedure;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        Window* window = FindLocked(store, hwnd);
        if (window == nullptr) {
            return 0;
        }
        procedure = window->procedure;
    }
    return CallProcedure(procedure, hwnd, message, wParam, lParam, wideCaller);
}

LRESULT SendToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool wideCaller) {
    DWORD threadId = GetWindowThread(hwnd);
    if (threadId == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (threadId == GetCurrentThreadId()) {
        return CallWindowProcedure(hwnd, message, wParam, lParam, wideCaller);
    }
    LRESULT result = 0;
    bool ran = SendThreadCall(
        threadId, [&] { result = CallWindowProcedure(hwnd, message, wParam, lParam, wideCaller); });
    if (!ran) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return result;
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    bool wide = false;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        if (Window* window = FindLocked(store, hwnd)) {
            wide = window->procedure.wide;
        }
    }
    return SendToWindow(hwnd, message, wParam, lParam, wide);
}

namespace {

BOOL SendNotify(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool wide) {
    DWORD threadId = GetWindowThread(hwnd);
    if (threadId == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (threadId == GetCurrentThreadId()) {
        CallWindowProcedure(hwnd, message, wParam, lParam, wide);
        return TRUE;
    }
    bool queued = PostThreadCall(threadId, [=] { CallWindowProcedure(hwnd, message, wParam, lParam, wide); });
    if (!queued) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

std::mutex g_registeredLock;

std::unordered_map<std::u16string, UINT>& RegisteredMessages() {
    static auto* messages = new std::unordered_map<std::u16string, UINT>;
    return *messages;
}

// Registered messages take 0xC000 .. 0xFFFF, one per name whatever its case.
UINT RegisterMessage(const std::u16string& name) {
    if (name.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard guard(g_registeredLock);
    auto& messages = RegisteredMessages();
    std::u16string key = FoldCase(name);
    auto it = messages.find(key);
    if (it != messages.end()) {
        return it->second;
    }
    if (messages.size() >= 0x4000) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    UINT value = 0xC000 + static_cast<UINT>(messages.size());
    messages.emplace(key, value);
    return value;
}

LRESULT CallGiven(WNDPROC value, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, bool wide) {
    Procedure procedure = ResolveProcedure(value, wide);
    if (procedure.function == nullptr) {
        return 0;
    }
    return CallProcedure(procedure, hWnd, Msg, wParam, lParam, wide);
}

} // namespace
} // namespace qx::win32::window

using namespace qx::win32;
using namespace qx::win32::window;

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return SendToWindow(hWnd, Msg, wParam, lParam, false);
}

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return SendToWindow(hWnd, Msg, wParam, lParam, true);
}

BOOL WINAPI SendNotifyMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return SendNotify(hWnd, Msg, wParam, lParam, false);
}

BOOL WINAPI SendNotifyMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return SendNotify(hWnd, Msg, wParam, lParam, true);
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return CallGiven(lpPrevWndFunc, hWnd, Msg, wParam, lParam, false);
}

LRESULT WINAPI CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return CallGiven(lpPrevWndFunc, hWnd, Msg, wParam, lParam, true);
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return DefaultProcedure(hWnd, Msg, wParam, lParam, false);
}

LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return DefaultProcedure(hWnd, Msg, wParam, lParam, true);
}

BOOL WINAPI IsWindowUnicode(HWND hWnd) {
    std::shared_ptr<Window> window = FindWindow(hWnd);
    if (!window) {
        return FALSE;
    }
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    return window->procedure.wide ? TRUE : FALSE;
}

UINT WINAPI RegisterWindowMessageA(LPCSTR lpString) {
    if (lpString == nullptr || IS_INTRESOURCE(lpString)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return RegisterMessage(qx::win32::AnsiToWide(lpString));
}

UINT WINAPI RegisterWindowMessageW(LPCWSTR lpString) {
    if (lpString == nullptr || IS_INTRESOURCE(lpString)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return RegisterMessage(lpString);
}

// Text of a window of the calling thread goes through WM_GETTEXT/WM_SETTEXT; of another
// thread's window, the text is read directly, as Windows does, so a hung thread cannot block
// the caller.
namespace {

template <typename Char>
int ReadText(HWND hWnd, Char* buffer, int capacity, bool wide) {
    std::shared_ptr<Window> window = FindWindow(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (buffer == nullptr || capacity <= 0) {
        return 0;
    }
    if (window->threadId == GetCurrentThreadId()) {
        buffer[0] = 0;
        return static_cast<int>(SendToWindow(hWnd, WM_GETTEXT, static_cast<WPARAM>(capacity),
                                             reinterpret_cast<LPARAM>(buffer), wide));
    }
    return static_cast<int>(DefaultProcedure(hWnd, WM_GETTEXT, static_cast<WPARAM>(capacity),
                                             reinterpret_cast<LPARAM>(buffer), wide));
}

int TextLength(HWND hWnd, bool wide) {
    std::shared_ptr<Window> window = FindWindow(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (window->threadId == GetCurrentThreadId()) {
        return static_cast<int>(SendToWindow(hWnd, WM_GETTEXTLENGTH, 0, 0, wide));
    }
    return static_cast<int>(DefaultProcedure(hWnd, WM_GETTEXTLENGTH, 0, 0, wide));
}

} // namespace

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    return ReadText(hWnd, lpString, nMaxCount, false);
}

int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
    return ReadText(hWnd, lpString, nMaxCount, true);
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
    return TextLength(hWnd, false);
}

int WINAPI GetWindowTextLengthW(HWND hWnd) {
    return TextLength(hWnd, true);
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendToWindow(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString), false) != 0 ? TRUE : FALSE;
}

BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendToWindow(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString), true) != 0 ? TRUE : FALSE;
}
