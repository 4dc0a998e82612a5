// Posting and retrieving messages. Retrieval order: calls posted with PostThreadCall run
// first, then the oldest posted message that passes the filters, then a pending quit.
#include <atomic>
#include <chrono>
#include <mutex>

#include "errhandlingapi.h"
#include "processthreadsapi.h"
#include "qx/win32/message_queue.h"
#include "sysinfoapi.h"
#include "thread_state.h"
#include "winerror.h"

namespace qx::win32 {
namespace {

std::atomic<WindowManager*> g_windowManager{nullptr};

HWND const kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

BOOL PostToThread(DWORD threadId, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{hwnd, message, wParam, lParam, GetTickCount(), POINT{0, 0}};
    std::lock_guard guard(KernelLock());
    std::shared_ptr<ThreadState> target = FindThreadLocked(threadId);
    if (!target) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    if (target->queue.posted.size() >= QX_MAX_POSTED_MESSAGES) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    target->queue.posted.push_back(msg);
    WakeThreadLocked(*target, MessageClass(message));
    return TRUE;
}

void RunPendingCalls(const std::shared_ptr<ThreadState>& self) {
    for (;;) {
        std::unique_ptr<ThreadCall> call;
        {
            std::lock_guard guard(KernelLock());
            if (self->queue.calls.empty()) {
                return;
            }
            call = std::move(self->queue.calls.front());
            self->queue.calls.pop_front();
        }
        call->Run();
    }
}

bool Matches(const MSG& msg, HWND filter, UINT filterMin, UINT filterMax, DWORD classes) {
    if (filter == kThreadMessagesOnly) {
        if (msg.hwnd != nullptr) {
            return false;
        }
    } else if (filter != nullptr && msg.hwnd != filter) {
        return false;
    }
    if (classes != 0 && (MessageClass(msg.message) & classes) == 0) {
        return false;
    }
    // A quit message passes any range.
    if (msg.message == WM_QUIT || (filterMin == 0 && filterMax == 0)) {
        return true;
    }
    return msg.message >= filterMin && msg.message <= filterMax;
}

bool ValidFilterWindow(HWND hWnd) {
    if (hWnd == nullptr || hWnd == kThreadMessagesOnly) {
        return true;
    }
    WindowManager* manager = g_windowManager.load();
    return manager != nullptr && manager->WindowThreadId(hWnd) == GetCurrentThreadId();
}

// 1: a message was retrieved; 0: none (PeekMessage only). Posted messages come first, then a
// pending quit, then what the window system makes (paints, timers).
int Retrieve(MSG* out, HWND filter, UINT filterMin, UINT filterMax, UINT flags, bool wait) {
    std::shared_ptr<ThreadState> self = CurrentThreadState();
    DWORD classes = flags >> 16;
    if (classes != 0 && (classes & QS_POSTMESSAGE)) {
        classes |= QS_ALLPOSTMESSAGE;
    }
    bool runCalls = classes == 0 || (classes & QS_SENDMESSAGE) != 0;
    bool remove = (flags & PM_REMOVE) != 0;
    for (;;) {
        if (runCalls) {
            RunPendingCalls(self);
        }
        unsigned long seen = 0;
        {
            std::lock_guard lock(KernelLock());
            MessageQueue& queue = self->queue;
            if (runCalls && !queue.calls.empty()) {
                continue;
            }
            queue.newBits = 0;
            for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
                if (Matches(*it, filter, filterMin, filterMax, classes)) {
                    *out = *it;
                    if (remove) {
                        queue.posted.erase(it);
                    }
                    return 1;
                }
            }
            if (queue.quitPending && (classes == 0 || (classes & QS_POSTMESSAGE) != 0)) {
                *out = MSG{nullptr, WM_QUIT,        static_cast<WPARAM>(queue.quitCode),
                           0,       GetTickCount(), POINT{0, 0}};
                if (remove) {
                    queue.quitPending = false;
                }
                return 1;
            }
            seen = queue.wakeCount;
        }
        DWORD wakeIn = INFINITE;
        WindowManager* manager = g_windowManager.load();
        if (manager != nullptr &&
            manager->NextGeneratedMessage(filter, filterMin, filterMax, classes, remove, out, &wakeIn)) {
            return 1;
        }
        if (!wait) {
            return 0;
        }
        std::unique_lock lock(KernelLock());
        if (self->queue.wakeCount != seen || (runCalls && !self->queue.calls.empty())) {
            continue;
        }
        if (wakeIn == INFINITE) {
            self->wait.cv.wait(lock);
        } else {
            self->wait.cv.wait_for(lock, std::chrono::milliseconds(wakeIn));
        }
    }
}

BOOL GetMessageCommon(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (lpMsg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (!ValidFilterWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    Retrieve(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, PM_REMOVE, true);
    return lpMsg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageCommon(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (lpMsg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!ValidFilterWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Retrieve(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, wRemoveMsg, false) ? TRUE : FALSE;
}

BOOL PostMessageCommon(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd == nullptr) {
        return PostToThread(GetCurrentThreadId(), nullptr, Msg, wParam, lParam);
    }
    WindowManager* manager = g_windowManager.load();
    DWORD threadId = manager ? manager->WindowThreadId(hWnd) : 0;
    if (threadId == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return PostToThread(threadId, hWnd, Msg, wParam, lParam);
}

LRESULT DispatchCommon(const MSG* lpMsg) {
    if (lpMsg == nullptr) {
        return 0;
    }
    if (lpMsg->hwnd == nullptr) {
        // A thread timer's procedure is the window system's to call; other thread messages
        // have no window procedure.
        WindowManager* manager = g_windowManager.load();
        if (manager != nullptr && lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
            return manager->DispatchWindowMessage(*lpMsg);
        }
        return 0;
    }
    WindowManager* manager = g_windowManager.load();
    if (manager == nullptr || manager->WindowThreadId(lpMsg->hwnd) == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return manager->DispatchWindowMessage(*lpMsg);
}

// Character of a virtual key with no modifier held (the windowing layer may know better).
WPARAM PlainKeyCharacter(WPARAM vk) {
    if (vk >= 'A' && vk <= 'Z') {
        return vk - 'A' + 'a';
    }
    if ((vk >= '0' && vk <= '9') || vk == ' ' || vk == 0x08 || vk == 0x09 || vk == 0x0D || vk == 0x1B) {
        return vk;
    }
    return 0;
}

// Posts WM_CHAR/WM_SYSCHAR for a key-down message of a key with a plain character.
bool TranslatePlainKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) {
        return false;
    }
    WPARAM ch = PlainKeyCharacter(msg.wParam);
    if (ch == 0) {
        return false;
    }
    return PostMessageCommon(msg.hwnd, msg.message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch, msg.lParam) !=
           FALSE;
}

} // namespace

bool WindowManager::TranslateKeyMessage(const MSG& msg) {
    return TranslatePlainKey(msg);
}

bool WindowManager::NextGeneratedMessage(HWND, UINT, UINT, DWORD, bool, MSG*, DWORD* wakeIn) {
    *wakeIn = INFINITE;
    return false;
}

void WindowManager::ThreadEnding(DWORD) {}

void NotifyThreadEnding(DWORD threadId) {
    if (WindowManager* manager = g_windowManager.load()) {
        manager->ThreadEnding(threadId);
    }
}

void WakeMessageThread(DWORD threadId, DWORD bits) {
    std::lock_guard guard(KernelLock());
    if (std::shared_ptr<ThreadState> target = FindThreadLocked(threadId)) {
        WakeThreadLocked(*target, bits);
    }
}

bool SendThreadCall(DWORD threadId, std::function<void()> run) {
    std::shared_ptr<ThreadState> self = CurrentThreadState();
    if (threadId == self->id) {
        run();
        return true;
    }
    // Both flags are guarded by the kernel lock; the waiter is woken through its own state.
    struct Outcome {
        bool ran = false;
        bool abandoned = false;
    };
    auto outcome = std::make_shared<Outcome>();
    auto finish = [outcome, self](bool ran) {
        std::lock_guard guard(KernelLock());
        (ran ? outcome->ran : outcome->abandoned) = true;
        WakeThreadLocked(*self, QS_SENDMESSAGE);
    };
    bool posted = PostThreadCall(
        threadId,
        [run = std::move(run), finish] {
            run();
            finish(true);
        },
        [finish] { finish(false); });
    if (!posted) {
        return false;
    }
    for (;;) {
        RunPendingCalls(self);
        std::unique_lock lock(KernelLock());
        if (outcome->ran || outcome->abandoned) {
            return outcome->ran;
        }
        if (!self->queue.calls.empty()) {
            continue;
        }
        self->wait.cv.wait(lock);
    }
}

WindowManager* SetWindowManager(WindowManager* manager) {
    return g_windowManager.exchange(manager);
}

bool PostThreadCall(DWORD threadId, std::unique_ptr<ThreadCall> call) {
    if (!call) {
        return false;
    }
    std::lock_guard guard(KernelLock());
    std::shared_ptr<ThreadState> target = FindThreadLocked(threadId);
    if (!target) {
        return false;
    }
    target->queue.calls.push_back(std::move(call));
    WakeThreadLocked(*target, QS_SENDMESSAGE);
    return true;
}

bool PostThreadCall(DWORD threadId, std::function<void()> run, std::function<void()> abandon) {
    class FunctionCall : public ThreadCall {
    public:
        FunctionCall(std::function<void()> run, std::function<void()> abandon)
            : run_(std::move(run)), abandon_(std::move(abandon)) {}
        void Run() override {
            if (run_) {
                run_();
            }
        }
        void Abandon() override {
            if (abandon_) {
                abandon_();
            }
        }

    private:
        std::function<void()> run_;
        std::function<void()> abandon_;
    };
    return PostThreadCall(threadId, std::make_unique<FunctionCall>(std::move(run), std::move(abandon)));
}

} // namespace qx::win32

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return qx::win32::PostMessageCommon(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return qx::win32::PostMessageCommon(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return qx::win32::PostToThread(idThread, nullptr, Msg, wParam, lParam);
}

BOOL WINAPI PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return qx::win32::PostToThread(idThread, nullptr, Msg, wParam, lParam);
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    return qx::win32::GetMessageCommon(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax);
}

BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    return qx::win32::GetMessageCommon(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax);
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    return qx::win32::PeekMessageCommon(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, wRemoveMsg);
}

BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    return qx::win32::PeekMessageCommon(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, wRemoveMsg);
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
    if (lpMsg == nullptr) {
        return FALSE;
    }
    qx::win32::WindowManager* manager = qx::win32::g_windowManager.load();
    bool posted =
        manager != nullptr ? manager->TranslateKeyMessage(*lpMsg) : qx::win32::TranslatePlainKey(*lpMsg);
    return posted ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    return qx::win32::DispatchCommon(lpMsg);
}

LRESULT WINAPI DispatchMessageW(const MSG* lpMsg) {
    return qx::win32::DispatchCommon(lpMsg);
}

void WINAPI PostQuitMessage(int nExitCode) {
    std::shared_ptr<qx::win32::ThreadState> self = qx::win32::CurrentThreadState();
    std::lock_guard guard(qx::win32::KernelLock());
    self->queue.quitPending = true;
    self->queue.quitCode = nExitCode;
    qx::win32::WakeThreadLocked(*self, QS_POSTMESSAGE | QS_ALLPOSTMESSAGE);
}
