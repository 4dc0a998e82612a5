// The window system's face to the other platform pieces (drawing, dialogs, controls, the UI
// driver): facts about a window, state attached to a window for its lifetime, the paint hook,
// a thread's top-level windows and the identity of cursors.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wintypes.h"

namespace qx::win32 {

// The screen of the headless window system.
inline constexpr int kScreenWidth = 1280;
inline constexpr int kScreenHeight = 1024;

// Id of the thread that owns the window; 0 when the handle is not a live window.
DWORD GetWindowThread(HWND hwnd);
// Size of the window's client area; false when the handle is not a live window.
bool GetWindowClientSize(HWND hwnd, SIZE* size);
// The window's class name as registered; empty when the handle is not a live window.
std::u16string GetWindowClassName(HWND hwnd);

// State that another piece keeps for a window, dropped (its last reference released) after
// WM_NCDESTROY. One value per key; setting null removes it. False when the handle is not a
// live window.
bool SetWindowAttachment(HWND hwnd, std::string_view key, std::shared_ptr<void> value);
std::shared_ptr<void> GetWindowAttachment(HWND hwnd, std::string_view key);

template <typename T>
std::shared_ptr<T> GetWindowAttachmentAs(HWND hwnd, std::string_view key) {
    return std::static_pointer_cast<T>(GetWindowAttachment(hwnd, key));
}

// Told when a window's update region grows and when a window has been painted (its update
// region validated by WM_PAINT's default handling or taken by BeginPaint). Called on the
// thread that did it, with no lock of the window system held.
class PaintObserver {
public:
    virtual ~PaintObserver() = default;
    virtual void WindowInvalidated(HWND hwnd, const RECT& area, bool erase) = 0;
    virtual void WindowPainted(HWND hwnd) = 0;
};

// Installs the observer (null removes it); returns the previous one.
PaintObserver* SetPaintObserver(PaintObserver* observer);

// What BeginPaint needs: the bounding rectangle of the update region (empty when there is
// none) and whether it asked for erasing; the region is validated. Tells the observer that
// the window was painted. False when the handle is not a live window.
bool TakeUpdateRegion(HWND hwnd, RECT* area, bool* erase);

// How a message carries text, so that it is converted between an ANSI caller and a Unicode
// procedure or the other way round. The window system knows its own (WM_SETTEXT, WM_GETTEXT,
// WM_GETTEXTLENGTH); the controls register theirs.
enum class TextParameter {
    InputString,  // lParam points at a null-terminated string
    OutputBuffer, // lParam is a buffer of wParam characters; the answer counts those copied
    LengthAnswer, // the answer is a length in characters (after conversion, an upper bound)
};
void RegisterTextMessage(UINT message, TextParameter kind);

// The thread's top-level windows (no WS_CHILD), oldest first.
std::vector<HWND> GetThreadTopLevelWindows(DWORD threadId);

// The input the UI driver gives. Key state is one for the whole screen: GetKeyState and
// GetAsyncKeyState report the same. A key going down flips its toggle (VK_CAPITAL's lock).
void SetKeyDown(int vk, bool down);
void ResetKeyState();
// The character a key types with the current shift, control and caps-lock state, as
// TranslateMessage makes it; 0 for keys that type none.
WPARAM KeyCharacter(int vk);
// The window that has the mouse capture, whatever its thread; null when none has it.
HWND GetCaptureWindow();
// Where keys go: the focus window of the foreground window's thread, else the foreground
// window itself; null when there is neither.
HWND GetKeyboardTarget();

// What a cursor handle stands for: a system cursor (module null, id one of the IDC_ values)
// or a module's cursor resource (by number or by upper-cased name).
struct CursorIdentity {
    HMODULE module = nullptr;
    WORD id = 0;
    std::u16string name;
    bool operator==(const CursorIdentity&) const = default;
};
std::optional<CursorIdentity> DescribeCursor(HCURSOR cursor);

} // namespace qx::win32
