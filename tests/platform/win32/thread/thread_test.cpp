// CreateThread: ids, exit codes, waits on threads and the tick count hook.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "errhandlingapi.h"
#include "handleapi.h"
#include "processthreadsapi.h"
#include "qx/win32/message_queue.h"
#include "synchapi.h"
#include "sysinfoapi.h"
#include "winerror.h"

namespace {

struct Shared {
    DWORD seenId = 0;
    HANDLE go = nullptr;
};

DWORD WINAPI ReportId(LPVOID parameter) {
    auto* shared = static_cast<Shared*>(parameter);
    WaitForSingleObject(shared->go, INFINITE);
    shared->seenId = GetCurrentThreadId();
    return 42;
}

TEST(Threads, RunWithTheirOwnIdAndExitCode) {
    Shared shared;
    shared.go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, ReportId, &shared, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(thread, 20), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(shared.go);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(shared.seenId, id);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    // A thread stays signalled.
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    CloseHandle(thread);
    CloseHandle(shared.go);
}

TEST(Threads, ClosingTheHandleDoesNotStopTheThread) {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            Sleep(20);
            SetEvent(static_cast<HANDLE>(p));
            return 0;
        },
        done, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    CloseHandle(thread);
    EXPECT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
    CloseHandle(done);
}

TEST(Threads, IdsAreDistinctAndStablePerThread) {
    std::set<DWORD> ids;
    ids.insert(GetCurrentThreadId());
    EXPECT_EQ(GetCurrentThreadId(), *ids.begin());
    for (int i = 0; i < 4; ++i) {
        DWORD id = 0;
        std::thread([&] { id = GetCurrentThreadId(); }).join();
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 5u);
    EXPECT_EQ(ids.count(0), 0u);
}

// A thread-exit destructor that runs after the platform has let the thread go.
struct LateIdReader {
    DWORD* out = nullptr;
    ~LateIdReader() {
        if (out) {
            *out = GetCurrentThreadId();
        }
    }
};
thread_local LateIdReader t_lateReader;

TEST(Threads, KeepTheirIdInThreadExitDestructors) {
    DWORD during = 0, late = 0;
    std::thread([&] {
        t_lateReader.out = &late; // constructed before the platform's own thread state
        during = GetCurrentThreadId();
    }).join();
    EXPECT_NE(during, 0u);
    EXPECT_EQ(late, during);
}

TEST(Threads, BadArgumentsFail) {
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeThread(nullptr, &code));
}

TEST(TickCount, FollowsTheInjectedClockAndReturnsToTheRealOne) {
    DWORD now = 1000;
    qx::win32::SetTickCountSource([&] { return now; });
    EXPECT_EQ(GetTickCount(), 1000u);
    now = 0xFFFFFFFFu;
    EXPECT_EQ(GetTickCount(), 0xFFFFFFFFu);
    qx::win32::SetTickCountSource({});
    DWORD a = GetTickCount();
    Sleep(30);
    DWORD b = GetTickCount();
    EXPECT_GE(b - a, 25u);
}

} // namespace
