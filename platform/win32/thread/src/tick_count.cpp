#include <atomic>
#include <chrono>
#include <mutex>

#include "qx/win32/message_queue.h"
#include "sysinfoapi.h"

namespace {

std::atomic<bool> g_hasSource{false};

std::mutex& SourceLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::function<DWORD()>& Source() {
    static auto* source = new std::function<DWORD()>;
    return *source;
}

} // namespace

void qx::win32::SetTickCountSource(std::function<DWORD()> source) {
    std::lock_guard guard(SourceLock());
    g_hasSource = static_cast<bool>(source);
    Source() = std::move(source);
}

DWORD WINAPI GetTickCount() {
    if (g_hasSource.load()) {
        std::function<DWORD()> source;
        {
            std::lock_guard guard(SourceLock());
            source = Source();
        }
        if (source) {
            return source();
        }
    }
    auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}
