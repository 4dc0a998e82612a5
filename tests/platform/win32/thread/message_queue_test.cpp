// Posted messages: order, filters, quit, other threads, waits that wake on input, windows.
#include <gtest/gtest.h>

#include <map>
#include <thread>
#include <vector>

#include "errhandlingapi.h"
#include "handleapi.h"
#include "processthreadsapi.h"
#include "qx/win32/message_queue.h"
#include "synchapi.h"
#include "winerror.h"
#include "winuser_message.h"

namespace {

class MessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override { Drain(); }
    void TearDown() override { Drain(); }
    static void Drain() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    static std::vector<UINT> TakeAll(HWND filter = nullptr, UINT min = 0, UINT max = 0) {
        std::vector<UINT> seen;
        MSG msg;
        while (PeekMessageA(&msg, filter, min, max, PM_REMOVE)) {
            seen.push_back(msg.message);
        }
        return seen;
    }
};

TEST_F(MessageQueueTest, PostedMessagesComeBackInOrderWithTheirParameters) {
    for (UINT i = 0; i < 5; ++i) {
        ASSERT_TRUE(PostMessageA(nullptr, WM_USER + i, i * 10, static_cast<LPARAM>(i) - 2));
    }
    for (UINT i = 0; i < 5; ++i) {
        MSG msg;
        ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
        EXPECT_EQ(msg.hwnd, nullptr);
        EXPECT_EQ(msg.message, WM_USER + i);
        EXPECT_EQ(msg.wParam, i * 10);
        EXPECT_EQ(msg.lParam, static_cast<LPARAM>(i) - 2);
    }
}

TEST_F(MessageQueueTest, PeekWithoutRemoveLeavesTheMessage) {
    PostMessageA(nullptr, WM_APP, 1, 2);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

struct FilterCase {
    UINT min;
    UINT max;
    std::vector<UINT> first;
    std::vector<UINT> rest;
};

class PeekFilters : public MessageQueueTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(PeekFilters, RangeTakesOnlyItsMessagesAndKeepsTheOthersInOrder) {
    const FilterCase& c = GetParam();
    for (UINT m : {WM_USER + 1, WM_APP + 1, WM_USER + 2, WM_KEYDOWN, WM_USER + 3}) {
        PostMessageA(nullptr, m, 0, 0);
    }
    EXPECT_EQ(TakeAll(nullptr, c.min, c.max), c.first);
    EXPECT_EQ(TakeAll(), c.rest);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, PeekFilters,
    ::testing::Values(
        FilterCase{0, 0, {WM_USER + 1, WM_APP + 1, WM_USER + 2, WM_KEYDOWN, WM_USER + 3}, {}},
        FilterCase{WM_USER, WM_USER + 2, {WM_USER + 1, WM_USER + 2}, {WM_APP + 1, WM_KEYDOWN, WM_USER + 3}},
        FilterCase{
            WM_KEYFIRST, WM_KEYLAST, {WM_KEYDOWN}, {WM_USER + 1, WM_APP + 1, WM_USER + 2, WM_USER + 3}},
        FilterCase{
            WM_USER + 3, WM_USER + 3, {WM_USER + 3}, {WM_USER + 1, WM_APP + 1, WM_USER + 2, WM_KEYDOWN}},
        FilterCase{1, 2, {}, {WM_USER + 1, WM_APP + 1, WM_USER + 2, WM_KEYDOWN, WM_USER + 3}}));

TEST_F(MessageQueueTest, QueueStatusFiltersOfPeek) {
    PostMessageA(nullptr, WM_USER, 0, 0);
    PostMessageA(nullptr, WM_KEYDOWN, 'A', 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
}

TEST_F(MessageQueueTest, QuitComesAfterPostedMessagesAndPassesAnyFilter) {
    PostMessageA(nullptr, WM_USER, 0, 0);
    PostQuitMessage(7);
    PostMessageA(nullptr, WM_USER + 1, 0, 0);
    MSG msg;
    // A filter that excludes every posted message still returns the quit.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_APP, WM_APP, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    // Taken once only.
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, APostedQuitMessageEndsGetMessage) {
    PostMessageA(nullptr, WM_QUIT, 3, 0);
    MSG msg;
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(MessageQueueTest, ThreadOnlyFilterTakesMessagesWithoutWindow) {
    PostMessageA(nullptr, WM_USER, 0, 0);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)), 0, 0, PM_REMOVE));
}

DWORD WINAPI PumpUntilQuit(LPVOID parameter) {
    auto* received = static_cast<std::vector<MSG>*>(parameter);
    MSG msg;
    BOOL result;
    while ((result = GetMessageA(&msg, nullptr, 0, 0)) != 0 && result != -1) {
        received->push_back(msg);
    }
    return static_cast<DWORD>(msg.wParam);
}

TEST_F(MessageQueueTest, AnotherThreadReceivesPostThreadMessageInOrderUntilQuit) {
    std::vector<MSG> received;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, PumpUntilQuit, &received, 0, &id);
    ASSERT_NE(thread, nullptr);
    // The id takes messages as soon as CreateThread has returned.
    for (UINT i = 0; i < 100; ++i) {
        ASSERT_TRUE(PostThreadMessageA(id, WM_APP + i, i, 0));
    }
    ASSERT_TRUE(PostThreadMessageA(id, WM_QUIT, 11, 0));
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 11u);
    ASSERT_EQ(received.size(), 100u);
    for (UINT i = 0; i < 100; ++i) {
        EXPECT_EQ(received[i].message, WM_APP + i);
    }
    // The thread has ended: its id takes nothing any more.
    EXPECT_FALSE(PostThreadMessageA(id, WM_APP, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
    CloseHandle(thread);
}

TEST_F(MessageQueueTest, UnknownThreadAndWindowAreRefused) {
    EXPECT_FALSE(PostThreadMessageA(0x7FFFFFF0u, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    MSG msg;
    EXPECT_EQ(GetMessageA(&msg, reinterpret_cast<HWND>(0x1234), 0, 0), -1);
}

TEST_F(MessageQueueTest, AFullQueueRefusesFurtherPosts) {
    for (int i = 0; i < QX_MAX_POSTED_MESSAGES; ++i) {
        ASSERT_TRUE(PostMessageA(nullptr, WM_USER, 0, 0));
    }
    EXPECT_FALSE(PostMessageA(nullptr, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
}

TEST_F(MessageQueueTest, MsgWaitWakesOnNewInputAndNotOnSeenInput) {
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD self = GetCurrentThreadId();
    std::thread poster([self] {
        Sleep(30);
        PostThreadMessageA(self, WM_USER + 5, 0, 0);
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &never, FALSE, 5000, QS_ALLINPUT), WAIT_OBJECT_0 + 1);
    poster.join();
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    // The message has been seen: only a wait for any available input returns for it.
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &never, FALSE, 20, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(MsgWaitForMultipleObjectsEx(1, &never, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE),
              WAIT_OBJECT_0 + 1);
    // A wake mask without that kind of input does not wake.
    PostMessageA(nullptr, WM_USER, 0, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &never, FALSE, 20, QS_KEY), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(never);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &never, FALSE, 20, QS_KEY), WAIT_OBJECT_0);
    CloseHandle(never);
}

TEST_F(MessageQueueTest, MsgWaitWithNoHandlesWaitsForInputOnly) {
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT),
              static_cast<DWORD>(WAIT_TIMEOUT));
    PostQuitMessage(0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_POSTMESSAGE), WAIT_OBJECT_0);
}

TEST_F(MessageQueueTest, TranslateMessagePostsCharactersOfPlainKeys) {
    MSG key{nullptr, WM_KEYDOWN, 'Q', 0x10, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&key));
    MSG other{nullptr, WM_USER, 'Q', 0, 0, {0, 0}};
    EXPECT_FALSE(TranslateMessage(&other));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('q'));
}

// A window manager with windows that belong to the thread that made them.
class FakeWindows : public qx::win32::WindowManager {
public:
    HWND Make(DWORD thread) {
        HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10000 + 0x10 * owners_.size()));
        owners_[hwnd] = thread;
        return hwnd;
    }
    DWORD WindowThreadId(HWND hwnd) override {
        auto it = owners_.find(hwnd);
        return it == owners_.end() ? 0 : it->second;
    }
    LRESULT DispatchWindowMessage(const MSG& msg) override {
        dispatched.push_back(msg);
        return 99;
    }
    std::vector<MSG> dispatched;

private:
    std::map<HWND, DWORD> owners_;
};

TEST_F(MessageQueueTest, WindowMessagesGoToTheOwnerAndAreDispatchedThroughTheManager) {
    FakeWindows windows;
    qx::win32::WindowManager* previous = qx::win32::SetWindowManager(&windows);
    HWND mine = windows.Make(GetCurrentThreadId());
    HWND other = windows.Make(GetCurrentThreadId());
    ASSERT_TRUE(PostMessageA(mine, WM_USER + 1, 5, 6));
    ASSERT_TRUE(PostMessageA(other, WM_USER + 2, 0, 0));
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 3, 0, 0));
    MSG msg;
    // A window filter takes only that window's messages.
    ASSERT_TRUE(PeekMessageA(&msg, other, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.hwnd, mine);
    EXPECT_EQ(DispatchMessageA(&msg), 99);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.hwnd, nullptr);
    // Thread messages are not dispatched.
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    ASSERT_EQ(windows.dispatched.size(), 1u);
    EXPECT_EQ(windows.dispatched[0].message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(windows.dispatched[0].wParam, 5u);
    qx::win32::SetWindowManager(previous);
}

TEST_F(MessageQueueTest, PostingToAWindowOfAnotherThreadReachesThatThread) {
    FakeWindows windows;
    qx::win32::WindowManager* previous = qx::win32::SetWindowManager(&windows);
    std::vector<MSG> received;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, PumpUntilQuit, &received, 0, &id);
    HWND hwnd = windows.Make(id);
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER, 1, 2));
    // As a dialog is closed: WM_QUIT posted to its window ends the owner's loop.
    ASSERT_TRUE(PostMessageA(hwnd, WM_QUIT, 0, 0));
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].hwnd, hwnd);
    CloseHandle(thread);
    qx::win32::SetWindowManager(previous);
}

} // namespace
