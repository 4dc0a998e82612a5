// Timers. A due timer gives one WM_TIMER when the thread's queue has nothing posted left (no
// backlog however late it is), and its next period starts when that message is taken.
#include <algorithm>
#include <atomic>

#include "errhandlingapi.h"
#include "processthreadsapi.h"
#include "qx/win32/message_queue.h"
#include "qx/win32/virtual_clock.h"
#include "sysinfoapi.h"
#include "window_core.h"
#include "winerror.h"
#include "winuser_timer.h"

namespace qx::win32::window {
namespace {

bool IsDue(DWORD due, DWORD now) {
    return static_cast<LONG>(due - now) <= 0;
}

std::atomic<DWORD> g_virtualNow{0};
std::atomic<bool> g_virtualInstalled{false};

} // namespace

void KillWindowTimersLocked(Store& store, HWND hwnd, DWORD threadId) {
    auto it = store.threads.find(threadId);
    if (it != store.threads.end()) {
        std::erase_if(it->second.timers, [hwnd](const Timer& timer) { return timer.window == hwnd; });
    }
}

// The due timer of the thread that passes the filters, earliest first.
bool TakeDueTimer(HWND filter, bool threadOnly, bool remove, MSG* out, DWORD* wakeIn) {
    DWORD now = GetTickCount();
    DWORD self = GetCurrentThreadId();
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    auto it = store.threads.find(self);
    if (it == store.threads.end()) {
        return false;
    }
    Timer* best = nullptr;
    for (Timer& timer : it->second.timers) {
        if ((threadOnly && timer.window != nullptr) ||
            (filter != nullptr && !threadOnly && timer.window != filter)) {
            continue;
        }
        if (!IsDue(timer.due, now)) {
            *wakeIn = std::min(*wakeIn, timer.due - now);
            continue;
        }
        if (best == nullptr || static_cast<LONG>(timer.due - best->due) < 0 ||
            (timer.due == best->due && timer.serial < best->serial)) {
            best = &timer;
        }
    }
    if (best == nullptr) {
        return false;
    }
    *out = MSG{best->window, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->procedure), now, POINT{0, 0}};
    if (remove) {
        best->due = now + best->elapse;
    }
    return true;
}

// A WM_TIMER whose lParam names the procedure of a live timer of this thread runs that
// procedure; anything else posted with a WM_TIMER lParam is not called.
bool RunTimerProcedure(const MSG& msg) {
    TIMERPROC procedure = nullptr;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        auto it = store.threads.find(GetCurrentThreadId());
        if (it == store.threads.end()) {
            return false;
        }
        for (const Timer& timer : it->second.timers) {
            if (timer.window == msg.hwnd && timer.id == msg.wParam &&
                reinterpret_cast<LPARAM>(timer.procedure) == msg.lParam) {
                procedure = timer.procedure;
            }
        }
    }
    if (procedure == nullptr) {
        return false;
    }
    procedure(msg.hwnd, WM_TIMER, msg.wParam, GetTickCount());
    return true;
}

} // namespace qx::win32::window

using namespace qx::win32;
using namespace qx::win32::window;

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    DWORD self = GetCurrentThreadId();
    DWORD elapse = std::clamp<DWORD>(uElapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    DWORD now = GetTickCount();
    UINT_PTR id = 0;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        if (hWnd != nullptr) {
            Window* window = FindLocked(store, hWnd);
            if (window == nullptr || hWnd == store.desktop) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
            if (window->threadId != self) {
                SetLastError(ERROR_ACCESS_DENIED);
                return 0;
            }
        }
        ThreadInput& input = ThreadInputLocked(store, self);
        auto same = [&](const Timer& timer) {
            return timer.window == hWnd && (hWnd != nullptr || nIDEvent != 0) && timer.id == nIDEvent;
        };
        auto existing = std::find_if(input.timers.begin(), input.timers.end(), same);
        if (existing != input.timers.end()) {
            existing->elapse = elapse;
            existing->due = now + elapse;
            existing->procedure = lpTimerFunc;
            id = existing->id;
        } else {
            id = nIDEvent;
            if (hWnd == nullptr) {
                // A thread timer gets an id of its own, never one in use.
                do {
                    id = input.nextTimerId++;
                    if (input.nextTimerId > 0x7FFF) {
                        input.nextTimerId = 1;
                    }
                } while (std::any_of(input.timers.begin(), input.timers.end(),
                                     [id](const Timer& t) { return t.window == nullptr && t.id == id; }));
            }
            input.timers.push_back(Timer{hWnd, id, elapse, now + elapse, lpTimerFunc, store.nextSerial++});
        }
    }
    return hWnd != nullptr && id == 0 ? 1 : id;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    auto it = store.threads.find(GetCurrentThreadId());
    if (it != store.threads.end()) {
        auto& timers = it->second.timers;
        auto found = std::find_if(timers.begin(), timers.end(),
                                  [&](const Timer& t) { return t.window == hWnd && t.id == uIDEvent; });
        if (found != timers.end()) {
            timers.erase(found);
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

void qx::win32::InstallVirtualClock(DWORD start) {
    g_virtualNow = start;
    g_virtualInstalled = true;
    SetTickCountSource([] { return g_virtualNow.load(); });
}

void qx::win32::RemoveVirtualClock() {
    g_virtualInstalled = false;
    SetTickCountSource({});
}

bool qx::win32::VirtualClockInstalled() {
    return g_virtualInstalled.load();
}

void qx::win32::AdvanceVirtualClock(DWORD milliseconds) {
    g_virtualNow += milliseconds;
    std::vector<DWORD> waiting;
    {
        Store& store = TheStore();
        std::lock_guard guard(store.lock);
        for (auto& [threadId, input] : store.threads) {
            if (!input.timers.empty()) {
                waiting.push_back(threadId);
            }
        }
    }
    for (DWORD threadId : waiting) {
        WakeMessageThread(threadId, QS_TIMER);
    }
}

bool qx::win32::NextTimerDue(DWORD threadId, DWORD* due) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    auto it = store.threads.find(threadId);
    if (it == store.threads.end() || it->second.timers.empty() || due == nullptr) {
        return false;
    }
    DWORD now = GetTickCount();
    const Timer* earliest = nullptr;
    for (const Timer& timer : it->second.timers) {
        if (earliest == nullptr || static_cast<LONG>((timer.due - now) - (earliest->due - now)) < 0) {
            earliest = &timer;
        }
    }
    *due = earliest->due;
    return true;
}
