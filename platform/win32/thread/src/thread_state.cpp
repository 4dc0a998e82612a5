#include "thread_state.h"

#include <atomic>
#include <unordered_map>
#include <vector>

namespace qx::win32 {
namespace {

// Thread ids look like the system's: multiples of four, never 0.
std::atomic<DWORD> g_nextThreadId{0x1004};

std::unordered_map<DWORD, std::shared_ptr<ThreadState>>& RegistryLocked() {
    static auto* registry = new std::unordered_map<DWORD, std::shared_ptr<ThreadState>>;
    return *registry;
}

std::shared_ptr<ThreadState> MakeRegisteredState() {
    auto state = std::make_shared<ThreadState>();
    std::lock_guard guard(KernelLock());
    do {
        state->id = g_nextThreadId.fetch_add(4);
    } while (state->id == 0 || RegistryLocked().count(state->id) != 0);
    RegistryLocked().emplace(state->id, state);
    return state;
}

} // namespace

void EndThreadState(const std::shared_ptr<ThreadState>& state) {
    std::deque<std::unique_ptr<ThreadCall>> abandoned;
    {
        std::lock_guard guard(KernelLock());
        if (state->ended) {
            return;
        }
        state->ended = true;
        RegistryLocked().erase(state->id);
        abandoned.swap(state->queue.calls);
        state->queue.posted.clear();
    }
    for (auto& call : abandoned) {
        call->Abandon();
    }
}

namespace {

thread_local bool t_exited = false;
thread_local DWORD t_lastId = 0;

// Ends the state of a thread that the platform did not start when that thread exits.
struct ThreadStateHolder {
    std::shared_ptr<ThreadState> state;
    ~ThreadStateHolder() {
        if (state) {
            NotifyThreadEnding(state->id);
        }
        t_exited = true;
        if (state) {
            t_lastId = state->id;
            EndThreadState(state);
        }
    }
};

thread_local ThreadStateHolder t_holder;

} // namespace

std::shared_ptr<ThreadState> CurrentThreadState() {
    if (t_exited) {
        // Called from a thread-exit destructor after the thread was unregistered: a private,
        // unregistered state keeps the caller working without bringing the thread back.
        auto state = std::make_shared<ThreadState>();
        state->id = t_lastId;
        state->ended = true;
        return state;
    }
    if (!t_holder.state) {
        t_holder.state = MakeRegisteredState();
    }
    return t_holder.state;
}

std::shared_ptr<ThreadState> NewThreadState() {
    return MakeRegisteredState();
}

void AdoptThreadState(std::shared_ptr<ThreadState> state) {
    t_holder.state = std::move(state);
}

void EndCurrentThreadState() {
    if (t_holder.state) {
        NotifyThreadEnding(t_holder.state->id);
    }
    if (t_holder.state) {
        t_lastId = t_holder.state->id;
        EndThreadState(t_holder.state);
    }
    t_exited = true;
}

std::shared_ptr<ThreadState> FindThreadLocked(DWORD id) {
    auto& registry = RegistryLocked();
    auto it = registry.find(id);
    return it == registry.end() ? nullptr : it->second;
}

void WakeThreadLocked(ThreadState& state, DWORD bits) {
    state.queue.newBits |= bits;
    ++state.queue.wakeCount;
    state.wait.cv.notify_all();
}

DWORD MessageClass(UINT message) {
    if (message >= WM_KEYFIRST && message <= WM_KEYLAST) {
        return QS_KEY;
    }
    if (message == WM_MOUSEMOVE) {
        return QS_MOUSEMOVE;
    }
    if (message > WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        return QS_MOUSEBUTTON;
    }
    if (message == WM_TIMER) {
        return QS_TIMER;
    }
    if (message == WM_PAINT) {
        return QS_PAINT;
    }
    return QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
}

} // namespace qx::win32
