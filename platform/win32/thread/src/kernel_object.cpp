// The handle table: handle values are multiples of four, never 0 or -1, and not reused
// until the counter wraps, so a stale handle is refused rather than taken for a new object.
#include "qx/win32/kernel_object.h"

#include <algorithm>
#include <unordered_map>

#include "errhandlingapi.h"
#include "handleapi.h"
#include "thread_state.h"
#include "winerror.h"

namespace qx::win32 {
namespace {

struct HandleTable {
    std::mutex lock;
    std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
    std::uintptr_t next = 0x100;
};

constexpr std::uintptr_t kFirstHandle = 0x100;
constexpr std::uintptr_t kLastHandle = 0x3FFFFFF0;
constexpr std::size_t kMaxHandles = 1u << 20;

HandleTable& Table() {
    static auto* table = new HandleTable; // outlives every thread, never destroyed
    return *table;
}

} // namespace

std::mutex& KernelLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

void Waitable::SignalChangedLocked() {
    for (WaitBlock* waiter : waiters_) {
        waiter->cv.notify_all();
    }
}

void Waitable::AddWaiterLocked(WaitBlock* waiter) {
    waiters_.push_back(waiter);
}

void Waitable::RemoveWaiterLocked(WaitBlock* waiter) {
    auto it = std::find(waiters_.begin(), waiters_.end(), waiter);
    if (it != waiters_.end()) {
        waiters_.erase(it);
    }
}

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
    if (!object) {
        return nullptr;
    }
    HandleTable& table = Table();
    std::lock_guard guard(table.lock);
    if (table.objects.size() >= kMaxHandles) {
        return nullptr;
    }
    for (;;) {
        std::uintptr_t value = table.next;
        table.next = value >= kLastHandle ? kFirstHandle : value + 4;
        if (table.objects.emplace(value, object).second) {
            return reinterpret_cast<HANDLE>(value);
        }
    }
}

std::shared_ptr<KernelObject> ReferenceHandle(HANDLE handle) {
    HandleTable& table = Table();
    std::lock_guard guard(table.lock);
    auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == table.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle) {
    std::shared_ptr<KernelObject> last; // released after the table lock
    HandleTable& table = Table();
    std::lock_guard guard(table.lock);
    auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == table.objects.end()) {
        return false;
    }
    last = std::move(it->second);
    table.objects.erase(it);
    return true;
}

} // namespace qx::win32

BOOL WINAPI CloseHandle(HANDLE hObject) {
    std::shared_ptr<qx::win32::KernelObject> object = qx::win32::ReferenceHandle(hObject);
    if (!object || !qx::win32::RemoveHandle(hObject)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
