// Hooks of the message queues for the layers above: the window manager that owns windows,
// calls run on another thread when it pumps, and the clock behind GetTickCount.
#pragma once

#include <functional>
#include <memory>

#include "winuser_message.h"

namespace qx::win32 {

// Installed by the windowing layer. Without one, no window handle is valid: PostMessage to a
// window fails and DispatchMessage of a window message does nothing. The queues call it
// without holding any lock of theirs, so it may post messages from inside these calls.
class WindowManager {
public:
    virtual ~WindowManager() = default;
    // Id of the thread that owns the window; 0 when the handle is not a window.
    virtual DWORD WindowThreadId(HWND hwnd) = 0;
    // Calls the window procedure of msg.hwnd on the current thread.
    virtual LRESULT DispatchWindowMessage(const MSG& msg) = 0;
    // Posts the character messages of a key message; false when it produces none.
    virtual bool TranslateKeyMessage(const MSG& msg);
    // Messages the window system makes when the calling thread's queue has no posted message
    // that passes the filters (WM_PAINT, WM_TIMER). True with *out filled when there is one;
    // `remove` as PM_REMOVE. Otherwise *wakeIn says in how many milliseconds one may be ready
    // (INFINITE: not before something else happens).
    virtual bool NextGeneratedMessage(HWND filter, UINT filterMin, UINT filterMax, DWORD classes, bool remove,
                                      MSG* out, DWORD* wakeIn);
    // Called on a thread that is ending, before its queue is dropped.
    virtual void ThreadEnding(DWORD threadId);
};

// Installs the window manager (null removes it); returns the previous one.
WindowManager* SetWindowManager(WindowManager* manager);

// A unit of work posted to another thread. It runs on that thread inside GetMessage or
// PeekMessage, before any posted message is returned, in the order posted; a thread that
// never pumps never runs it. When the thread ends with calls still queued, each is abandoned
// instead, so that a caller waiting for it can stop waiting.
class ThreadCall {
public:
    virtual ~ThreadCall() = default;
    virtual void Run() = 0;
    virtual void Abandon() {}
};

// Queues a call on the thread `threadId`; false (nothing queued) when the thread is unknown
// or has ended. A pending call makes the thread's MsgWaitForMultipleObjects return when its
// wake mask has QS_SENDMESSAGE.
bool PostThreadCall(DWORD threadId, std::unique_ptr<ThreadCall> call);
bool PostThreadCall(DWORD threadId, std::function<void()> run, std::function<void()> abandon = {});

// Runs `run` on the thread `threadId` (at once when it is the calling thread) and waits until
// it has run. While waiting, the calling thread runs the calls posted to it, so two threads
// calling each other do not deadlock. False when the thread is unknown or ended before it ran
// the call.
bool SendThreadCall(DWORD threadId, std::function<void()> run);

// Wakes the thread if it waits for messages, as if messages of the QS_ `bits` arrived (the
// window system calls it when a timer may be due or a window of the thread needs painting).
void WakeMessageThread(DWORD threadId, DWORD bits);

// Replaces the clock of GetTickCount (tests); an empty function restores the real one.
void SetTickCountSource(std::function<DWORD()> source);

} // namespace qx::win32
