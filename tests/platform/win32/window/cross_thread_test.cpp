#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "window_test_support.h"

using window_test::TestClass;

namespace {

constexpr UINT kAsk = WM_APP + 1;     // answers the id of the thread running the procedure
constexpr UINT kAskBack = WM_APP + 2; // asks the window in lParam before answering
constexpr UINT kStop = WM_APP + 3;

LRESULT CALLBACK AnsweringProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kAsk:
        return static_cast<LRESULT>(GetCurrentThreadId());
    case kAskBack:
        return SendMessageA(reinterpret_cast<HWND>(lParam), kAsk, 0, 0);
    case kStop:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// A thread that owns one window and pumps until told to stop.
class PumpingThread {
public:
    explicit PumpingThread(const TestClass& windowClass) {
        std::promise<HWND> made;
        auto ready = made.get_future();
        thread_ = std::thread([&windowClass, &made, this] {
            threadId_ = GetCurrentThreadId();
            made.set_value(windowClass.Create());
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        });
        window_ = ready.get();
    }
    ~PumpingThread() {
        PostMessageA(window_, kStop, 0, 0);
        thread_.join();
    }
    HWND Window() const { return window_; }
    DWORD ThreadId() const { return threadId_; }

private:
    std::thread thread_;
    HWND window_ = nullptr;
    std::atomic<DWORD> threadId_{0};
};

TEST(CrossThreadMessages, SendRunsOnTheOwnerThreadAndWaitsForItsAnswer) {
    TestClass answering("CrossAnswering", AnsweringProcedure);
    PumpingThread owner(answering);
    struct Case {
        UINT message;
        bool wide;
    };
    for (const Case& c : {Case{kAsk, false}, Case{kAsk, true}}) {
        LRESULT answer = c.wide ? SendMessageW(owner.Window(), c.message, 0, 0)
                                : SendMessageA(owner.Window(), c.message, 0, 0);
        EXPECT_EQ(static_cast<DWORD>(answer), owner.ThreadId());
    }
    // A message sent back to the waiting thread runs on it while it waits.
    HWND mine = answering.Create();
    EXPECT_EQ(static_cast<DWORD>(SendMessageA(owner.Window(), kAskBack, 0, reinterpret_cast<LPARAM>(mine))),
              GetCurrentThreadId());
    DestroyWindow(mine);
}

TEST(CrossThreadMessages, TwoThreadsSendingToEachOtherAtOnceDoNotDeadlock) {
    TestClass answering("CrossBothWays", AnsweringProcedure);
    constexpr int kRounds = 200;
    std::atomic<HWND> windows[2] = {nullptr, nullptr};
    std::atomic<int> arrived{0};
    std::atomic<int> wrong{0};
    auto side = [&](int me) {
        windows[me] = answering.Create();
        ++arrived;
        while (arrived.load() < 2) {
            std::this_thread::yield();
        }
        HWND other = windows[1 - me];
        HWND mine = windows[me];
        for (int i = 0; i < kRounds; ++i) {
            // The other side answers by asking this side back, so each waits on the other.
            LRESULT answer = SendMessageA(other, kAskBack, 0, reinterpret_cast<LPARAM>(mine));
            if (static_cast<DWORD>(answer) != GetCurrentThreadId()) {
                ++wrong;
            }
        }
        ++arrived;
        // Stay until the other side is done sending to this thread.
        while (arrived.load() < 4) {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
            std::this_thread::yield();
        }
        DestroyWindow(mine);
    };
    std::thread first(side, 0);
    std::thread second(side, 1);
    first.join();
    second.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(CrossThreadMessages, AnOwnerThreadThatEndsGivesZeroAndAnError) {
    TestClass answering("CrossEnding", AnsweringProcedure);
    std::promise<HWND> made;
    auto ready = made.get_future();
    std::thread owner([&] {
        made.set_value(answering.Create());
        // Wake for the sent message, then end without ever pumping.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_SENDMESSAGE);
    });
    HWND window = ready.get();
    SetLastError(0);
    EXPECT_EQ(SendMessageA(window, kAsk, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    owner.join();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(SendMessageA(window, kAsk, 0, 0), 0);
    EXPECT_FALSE(PostMessageA(window, kAsk, 0, 0));
}

std::atomic<int> g_notified{0};
LRESULT CALLBACK NotifiedProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) {
        g_notified += static_cast<int>(wParam);
        return 0;
    }
    return AnsweringProcedure(hwnd, message, wParam, lParam);
}

TEST(CrossThreadMessages, PostedAndNotifyMessagesRunOnTheOwnerInOrder) {
    TestClass notified("CrossNotified", NotifiedProcedure);
    g_notified = 0;
    {
        PumpingThread owner(notified);
        EXPECT_TRUE(SendNotifyMessageA(owner.Window(), WM_USER, 1, 0));
        EXPECT_TRUE(PostMessageA(owner.Window(), WM_USER, 10, 0));
        // A synchronous send after them returns after both ran.
        SendMessageA(owner.Window(), kAsk, 0, 0);
        EXPECT_GE(g_notified.load(), 1);
    }
    EXPECT_EQ(g_notified.load(), 11);
}

} // namespace
