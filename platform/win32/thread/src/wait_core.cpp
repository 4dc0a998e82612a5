#include "wait_core.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "errhandlingapi.h"
#include "synchapi.h"
#include "thread_state.h"
#include "winerror.h"

namespace qx::win32 {
namespace {

DWORD QueueBitsLocked(const MessageQueue& queue, bool inputAvailable) {
    if (!inputAvailable) {
        return queue.newBits;
    }
    DWORD bits = 0;
    for (const MSG& msg : queue.posted) {
        bits |= MessageClass(msg.message);
    }
    if (!queue.calls.empty()) {
        bits |= QS_SENDMESSAGE;
    }
    if (queue.quitPending) {
        bits |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    }
    return bits;
}

// Registers the waiting thread with each object for the length of one wait.
class WaiterRegistration {
public:
    WaiterRegistration(const std::vector<std::shared_ptr<Waitable>>& objects, WaitBlock* block)
        : objects_(objects), block_(block) {
        for (const auto& object : objects_) {
            object->AddWaiterLocked(block_);
        }
    }
    ~WaiterRegistration() {
        for (const auto& object : objects_) {
            object->RemoveWaiterLocked(block_);
        }
    }
    WaiterRegistration(const WaiterRegistration&) = delete;
    WaiterRegistration& operator=(const WaiterRegistration&) = delete;

private:
    const std::vector<std::shared_ptr<Waitable>>& objects_;
    WaitBlock* block_;
};

} // namespace

DWORD WaitForObjects(const WaitRequest& request) {
    using Clock = std::chrono::steady_clock;
    std::shared_ptr<ThreadState> self = CurrentThreadState();
    const auto& objects = request.objects;
    const DWORD count = static_cast<DWORD>(objects.size());
    std::optional<Clock::time_point> deadline;
    if (request.milliseconds != INFINITE) {
        deadline = Clock::now() + std::chrono::milliseconds(request.milliseconds);
    }

    std::unique_lock lock(KernelLock());
    WaiterRegistration registration(objects, &self->wait);
    auto satisfied = [&]() -> std::optional<DWORD> {
        bool input = request.wakeMask != 0 &&
                     (QueueBitsLocked(self->queue, request.inputAvailable) & request.wakeMask) != 0;
        if (request.waitAll) {
            bool all = std::all_of(objects.begin(), objects.end(),
                                   [](const auto& object) { return object->IsSignaledLocked(); });
            if (!all || (request.wakeMask != 0 && !input)) {
                return std::nullopt;
            }
            for (const auto& object : objects) {
                object->ConsumeLocked();
            }
            return WAIT_OBJECT_0;
        }
        for (DWORD i = 0; i < count; ++i) {
            if (objects[i]->IsSignaledLocked()) {
                objects[i]->ConsumeLocked();
                return WAIT_OBJECT_0 + i;
            }
        }
        if (input) {
            return WAIT_OBJECT_0 + count;
        }
        return std::nullopt;
    };
    for (;;) {
        if (auto result = satisfied()) {
            return *result;
        }
        if (!deadline) {
            self->wait.cv.wait(lock);
        } else if (self->wait.cv.wait_until(lock, *deadline) == std::cv_status::timeout) {
            // One last look, so that a signal that raced the timeout is not lost.
            auto result = satisfied();
            return result ? *result : WAIT_TIMEOUT;
        }
    }
}

bool ResolveWaitHandles(DWORD count, const HANDLE* handles, bool waitAll,
                        std::vector<std::shared_ptr<Waitable>>& objects) {
    objects.clear();
    objects.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        auto object = ReferenceHandleAs<Waitable>(handles[i]);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        if (waitAll && std::find(objects.begin(), objects.end(), object) != objects.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        objects.push_back(std::move(object));
    }
    return true;
}

} // namespace qx::win32
