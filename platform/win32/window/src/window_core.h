// What the window functions share: sending a message to a window from any thread, the
// window's own procedure, destruction, and the per-thread input state.
#pragma once

#include "procedures.h"
#include "qx/win32/window_internals.h"
#include "window_store.h"

namespace qx::win32::window {

// Sends the message as SendMessageA (wideCaller false) or SendMessageW would: on the owner
// thread, waiting for it there. 0 with ERROR_INVALID_WINDOW_HANDLE for a handle that is not a
// window or whose thread ended.
LRESULT SendToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool wideCaller);
// Sends a message that carries no text (no conversion either way).
LRESULT Send(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Calls the window's current procedure on this thread.
LRESULT CallWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool wideCaller);

// The class CreateWindowEx finds for a name key and a module (the module's local classes,
// then the global ones); null when there is none.
std::shared_ptr<WindowClass> FindClassForCreation(const std::u16string& key, HINSTANCE instance);
// Runs the system-class registrars once per process (later calls wait for that run to end).
void RunSystemClassRegistrars();

// The thread's input state, made on first use. Needs the lock.
ThreadInput& ThreadInputLocked(Store& store, DWORD threadId);

// Runs DestroyWindow's messages and removes the windows (the calling thread owns it).
bool Destroy(HWND hwnd);
// Removes every window of an ending thread without calling its procedures.
void DropThreadWindows(DWORD threadId);

// The default answers of DefWindowProc.
LRESULT DefaultProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool wide);

// The window procedure is told of size and position changes (WM_WINDOWPOSCHANGING/CHANGED);
// false when the handle is not a window.
bool PlaceWindow(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// Shows or hides as ShowWindow does, or as SetWindowPos with SWP_SHOWWINDOW/SWP_HIDEWINDOW.
bool ChangeVisibility(HWND hwnd, bool show, bool sendShowWindow);
// Grows the window's update region (a rect in client coordinates; null for all of it).
void Invalidate(HWND hwnd, const RECT* area, bool erase);

// Focus and activation on the calling thread; see SetFocus and SetActiveWindow.
HWND ChangeFocus(HWND hwnd);
HWND ChangeActive(HWND hwnd, WORD how);
// Lets go of the capture if it lies in the window or its descendants (with or without
// WM_CAPTURECHANGED).
void ReleaseCaptureWithin(HWND hwnd, bool notify);

// Forgets the timers of a window (on destruction).
void KillWindowTimersLocked(Store& store, HWND hwnd, DWORD threadId);

} // namespace qx::win32::window
