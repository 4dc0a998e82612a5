// Calls run on another thread while it pumps its queue.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "handleapi.h"
#include "processthreadsapi.h"
#include "qx/win32/message_queue.h"
#include "synchapi.h"
#include "winuser_message.h"

namespace {

struct Owner {
    DWORD id = 0;
    HANDLE started = nullptr;
    HANDLE pump = nullptr;
};

// Pumps only after `pump` is signalled, then until WM_QUIT.
DWORD WINAPI LateOwner(LPVOID parameter) {
    auto* owner = static_cast<Owner*>(parameter);
    SetEvent(owner->started);
    WaitForSingleObject(owner->pump, INFINITE);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageA(&msg);
    }
    return 0;
}

TEST(ThreadCalls, RunOnTheOwnerThreadOnlyWhenItPumps) {
    Owner owner;
    owner.started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    owner.pump = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, LateOwner, &owner, 0, &owner.id);
    WaitForSingleObject(owner.started, INFINITE);

    std::atomic<DWORD> ranOn{0};
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(qx::win32::PostThreadCall(owner.id, [&] {
        ranOn = GetCurrentThreadId();
        SetEvent(done);
    }));
    // The owner is not pumping yet: the call waits.
    EXPECT_EQ(WaitForSingleObject(done, 50), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(owner.pump);
    EXPECT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(ranOn.load(), owner.id);
    PostThreadMessageA(owner.id, WM_QUIT, 0, 0);
    WaitForSingleObject(thread, 5000);
    for (HANDLE h : {thread, done, owner.started, owner.pump}) {
        CloseHandle(h);
    }
}

TEST(ThreadCalls, RunBeforePostedMessagesAndInOrder) {
    std::vector<int> order;
    DWORD self = GetCurrentThreadId();
    PostMessageA(nullptr, WM_USER, 0, 0);
    qx::win32::PostThreadCall(self, [&] { order.push_back(1); });
    qx::win32::PostThreadCall(self, [&] { order.push_back(2); });
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(ThreadCalls, MsgWaitReportsAPendingCall) {
    DWORD self = GetCurrentThreadId();
    bool ran = false;
    std::thread poster([&] {
        Sleep(20);
        qx::win32::PostThreadCall(self, [&] { ran = true; });
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_SENDMESSAGE), WAIT_OBJECT_0);
    poster.join();
    EXPECT_FALSE(ran);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_TRUE(ran);
}

DWORD WINAPI EndAtOnce(LPVOID parameter) {
    WaitForSingleObject(static_cast<HANDLE>(parameter), INFINITE);
    return 0;
}

TEST(ThreadCalls, AreAbandonedWhenTheOwnerEndsWithoutPumping) {
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, EndAtOnce, go, 0, &id);
    std::atomic<int> ran{0}, abandoned{0};
    ASSERT_TRUE(qx::win32::PostThreadCall(
        id, [&] { ++ran; }, [&] { ++abandoned; }));
    SetEvent(go);
    WaitForSingleObject(thread, 5000);
    EXPECT_EQ(ran.load(), 0);
    EXPECT_EQ(abandoned.load(), 1);
    EXPECT_FALSE(qx::win32::PostThreadCall(id, [] {}));
    CloseHandle(thread);
    CloseHandle(go);
}

} // namespace
