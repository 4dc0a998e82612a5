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

// Replaces the clock of GetTickCount (tests); an empty function restores the real one.
void SetTickCountSource(std::function<DWORD()> source);

} // namespace qx::win32
