// Per-thread state of the platform: the thread's id, what it waits on and its message queue.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>

#include "qx/win32/kernel_object.h"
#include "qx/win32/message_queue.h"

namespace qx::win32 {

// The condition variable a thread sleeps on while it waits; every object it waits on and its
// own queue wake it. Used with KernelLock().
struct WaitBlock {
    std::condition_variable cv;
};

struct MessageQueue {
    std::deque<MSG> posted;
    std::deque<std::unique_ptr<ThreadCall>> calls;
    bool quitPending = false;
    int quitCode = 0;
    // QS_ bits of what arrived since the thread last looked at its queue.
    DWORD newBits = 0;
    // Counts every wake-up, so that a retrieval that looked outside the lock sees that
    // something arrived meanwhile.
    unsigned long wakeCount = 0;
};

struct ThreadState {
    DWORD id = 0;
    bool ended = false;
    WaitBlock wait;
    MessageQueue queue;
};

// The calling thread's state, made and registered on first use.
std::shared_ptr<ThreadState> CurrentThreadState();
// A registered state for a thread about to be started, so that its id is valid at once.
std::shared_ptr<ThreadState> NewThreadState();
// Makes `state` the calling thread's own (first thing a started thread does).
void AdoptThreadState(std::shared_ptr<ThreadState> state);
// Unregisters a thread: its queue is dropped and its pending calls abandoned.
void EndThreadState(const std::shared_ptr<ThreadState>& state);
// Unregisters the calling thread: its queue is dropped and its pending calls abandoned.
void EndCurrentThreadState();
// The live thread with that id, or null. Needs KernelLock().
std::shared_ptr<ThreadState> FindThreadLocked(DWORD id);

// Wakes the thread's waits for `bits` of input. Needs KernelLock().
void WakeThreadLocked(ThreadState& state, DWORD bits);
// Tells the window manager that the calling thread ends (its windows go with it).
void NotifyThreadEnding(DWORD threadId);

// Queue status bit of a posted message.
DWORD MessageClass(UINT message);

} // namespace qx::win32
