#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "qx/win32/virtual_clock.h"
#include "window_test_support.h"

using window_test::TestClass;

namespace {

class Timers : public ::testing::Test {
protected:
    void SetUp() override { qx::win32::InstallVirtualClock(1000); }
    void TearDown() override { qx::win32::RemoveVirtualClock(); }

    // The messages waiting now, taken in order.
    static std::vector<std::pair<UINT, WPARAM>> Drain() {
        std::vector<std::pair<UINT, WPARAM>> taken;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_PAINT) {
                taken.emplace_back(msg.message, msg.wParam);
            }
            DispatchMessageA(&msg);
        }
        return taken;
    }
};

using Taken = std::vector<std::pair<UINT, WPARAM>>;

TEST_F(Timers, FireWhenDueOnceHoweverLateAndAfterPostedMessages) {
    TestClass frame("TimerFrame");
    HWND hwnd = frame.Create();
    ASSERT_EQ(SetTimer(hwnd, 7, 100, nullptr), 7u);
    struct Step {
        DWORD advance;
        bool post;
        Taken expected;
    };
    const Step steps[] = {
        {99, false, {}},
        {1, false, {{WM_TIMER, 7}}},
        {350, true, {{WM_USER, 0}, {WM_TIMER, 7}}}, // no backlog, and the posted one first
        {99, false, {}},
        {1, false, {{WM_TIMER, 7}}},
    };
    for (const Step& step : steps) {
        qx::win32::AdvanceVirtualClock(step.advance);
        if (step.post) {
            PostMessageA(hwnd, WM_USER, 0, 0);
        }
        EXPECT_EQ(Drain(), step.expected) << "at " << GetTickCount();
    }
    EXPECT_TRUE(KillTimer(hwnd, 7));
    EXPECT_FALSE(KillTimer(hwnd, 7));
    qx::win32::AdvanceVirtualClock(1000);
    EXPECT_EQ(Drain(), Taken{});
    DestroyWindow(hwnd);
}

std::vector<std::pair<HWND, UINT_PTR>> g_fired;
void CALLBACK Fired(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    g_fired.emplace_back(hwnd, id);
}

TEST_F(Timers, ProceduresRunFromDispatchAndOnlyForLiveTimers) {
    TestClass frame("TimerProcs");
    HWND hwnd = frame.Create();
    g_fired.clear();
    UINT_PTR threadTimer = SetTimer(nullptr, 0, 30, Fired);
    ASSERT_NE(threadTimer, 0u);
    EXPECT_NE(SetTimer(nullptr, 0, 30, Fired), threadTimer); // each thread timer gets its own id
    KillTimer(nullptr, threadTimer + 1);
    SetTimer(hwnd, 3, 50, Fired);
    qx::win32::AdvanceVirtualClock(50);
    Drain();
    EXPECT_EQ(g_fired, (std::vector<std::pair<HWND, UINT_PTR>>{{nullptr, threadTimer}, {hwnd, 3}}));

    // A WM_TIMER posted by hand with a made-up procedure is never called.
    g_fired.clear();
    PostMessageA(hwnd, WM_TIMER, 3, 0x1234);
    PostMessageA(nullptr, WM_TIMER, 99, reinterpret_cast<LPARAM>(Fired));
    Drain();
    EXPECT_TRUE(g_fired.empty());

    // Destroying the window kills its timers.
    DestroyWindow(hwnd);
    KillTimer(nullptr, threadTimer);
    qx::win32::AdvanceVirtualClock(500);
    Drain();
    EXPECT_TRUE(g_fired.empty());
    DWORD due = 0;
    EXPECT_FALSE(qx::win32::NextTimerDue(GetCurrentThreadId(), &due));
}

TEST_F(Timers, AWaitingThreadWakesWhenTheClockMoves) {
    TestClass frame("TimerWaiting");
    std::promise<HWND> made;
    auto ready = made.get_future();
    std::thread waiter([&] {
        HWND hwnd = frame.Create();
        SetTimer(hwnd, 1, 1000, nullptr);
        made.set_value(hwnd);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_TIMER) {
                break;
            }
        }
        DestroyWindow(hwnd);
    });
    ready.get();
    qx::win32::AdvanceVirtualClock(1000);
    waiter.join();
}

} // namespace
