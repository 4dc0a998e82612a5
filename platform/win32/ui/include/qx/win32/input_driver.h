// The input side of the UI driver: what a person does with the mouse and the keyboard, turned
// into the messages a screen would send. Coordinates are client coordinates of the window
// given; while a window has the capture, every mouse message goes to it instead, with the
// point mapped to its client area (negative coordinates survive as 16-bit two's complement).
// Each call returns the answer of the procedure that received its main message.
#pragma once

#include <string_view>

#include "wintypes.h"

namespace qx::win32::input {

// `keys` adds MK_SHIFT/MK_CONTROL to the message's key flags; the buttons held are added
// from the key state.
LRESULT Press(HWND window, int x, int y, WPARAM keys = 0);
LRESULT Move(HWND window, int x, int y, WPARAM keys = 0);
LRESULT Release(HWND window, int x, int y, WPARAM keys = 0);
LRESULT RightPress(HWND window, int x, int y, WPARAM keys = 0);
LRESULT RightRelease(HWND window, int x, int y, WPARAM keys = 0);
// A press, a release, then the double click and a release, as a screen sends them for a
// window whose class has CS_DBLCLKS (two plain clicks otherwise).
LRESULT DoubleClick(HWND window, int x, int y, WPARAM keys = 0);
// WM_MOUSEWHEEL with the point in screen coordinates; `delta` as the message carries it
// (WHEEL_DELTA a notch, negative towards the user).
LRESULT Wheel(HWND window, int x, int y, int delta, WPARAM keys = 0);

// A key going down (WM_KEYDOWN, then WM_CHAR when the key types a character) or up
// (WM_KEYUP), to the focus window (the active window without one). Key state follows.
LRESULT Key(int vk, bool down);
// Types UTF-8 text into the focus window: keys with a virtual key of their own go down and up
// around their WM_CHAR; other characters arrive as WM_CHAR only, as an input method commits
// them (an ANSI window gets the bytes of the ANSI code page one by one).
LRESULT Type(std::string_view text);

// Clears the key and button state and the cursor position (between tests).
void ResetInputState();

// Runs the calling thread's queue until nothing is left: sent and posted messages, paints and
// timers. With the virtual clock installed, time moves forward to each timer due at or before
// `limit` (milliseconds of GetTickCount); it never moves past it. Returns the number of
// messages dispatched; stops after `maxMessages` so a timer that re-arms itself cannot hang.
size_t PumpUntilIdle(DWORD limit, size_t maxMessages = 100000);

} // namespace qx::win32::input
