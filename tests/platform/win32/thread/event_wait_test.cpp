// Events, waits with time limits, handles and interlocked operations.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "errhandlingapi.h"
#include "handleapi.h"
#include "synchapi.h"
#include "winerror.h"
#include "winnt_interlocked.h"

namespace {

using namespace std::chrono_literals;

struct EventCase {
    BOOL manual;
    BOOL initial;
    DWORD firstWait;
    DWORD secondWait;
};

class EventStates : public ::testing::TestWithParam<EventCase> {};

TEST_P(EventStates, SignalIsKeptOrTakenByAWait) {
    const EventCase& c = GetParam();
    HANDLE event = CreateEventA(nullptr, c.manual, c.initial, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), c.firstWait);
    EXPECT_EQ(WaitForSingleObject(event, 0), c.secondWait);
    EXPECT_TRUE(CloseHandle(event));
}

INSTANTIATE_TEST_SUITE_P(Events, EventStates,
                         ::testing::Values(EventCase{TRUE, TRUE, WAIT_OBJECT_0, WAIT_OBJECT_0},
                                           EventCase{FALSE, TRUE, WAIT_OBJECT_0, WAIT_TIMEOUT},
                                           EventCase{TRUE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
                                           EventCase{FALSE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT}));

TEST(Events, SetAndResetChangeTheState) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(Events, NamedEventsAreRefused) {
    EXPECT_EQ(CreateEventA(nullptr, TRUE, FALSE, "shared"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST(Waits, TimeoutElapsesWithoutSignal) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(event, 50), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    CloseHandle(event);
}

TEST(Waits, AnotherThreadsSignalEndsAnInfiniteWait) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::thread setter([event] {
        std::this_thread::sleep_for(20ms);
        SetEvent(event);
    });
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    setter.join();
    CloseHandle(event);
}

TEST(Waits, AutoResetEventReleasesExactlyOneWaiterPerSignal) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            if (WaitForSingleObject(event, 1000) == WAIT_OBJECT_0) {
                ++released;
            }
        });
    }
    std::this_thread::sleep_for(30ms);
    for (int signal = 1; signal <= 2; ++signal) {
        SetEvent(event);
        while (released.load() < signal) {
            std::this_thread::sleep_for(1ms);
        }
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(released.load(), signal);
    }
    for (auto& t : waiters) {
        t.join();
    }
    EXPECT_EQ(released.load(), 2);
    CloseHandle(event);
}

TEST(Waits, SettingASetAutoResetEventCountsOnce) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    SetEvent(event);
    SetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(event);
}

TEST(Waits, AnyReportsTheFirstSignalledIndex) {
    HANDLE events[3] = {CreateEventA(nullptr, TRUE, FALSE, nullptr),
                        CreateEventA(nullptr, TRUE, TRUE, nullptr),
                        CreateEventA(nullptr, TRUE, TRUE, nullptr)};
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 1);
    for (HANDLE h : events) {
        CloseHandle(h);
    }
}

TEST(Waits, AllNeedsEveryObjectAndTakesEverySignal) {
    HANDLE events[2] = {CreateEventA(nullptr, FALSE, TRUE, nullptr),
                        CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    // The failed wait on all of them took nothing.
    EXPECT_EQ(WaitForSingleObject(events[0], 0), WAIT_OBJECT_0);
    SetEvent(events[0]);
    SetEvent(events[1]);
    EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, events, FALSE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    for (HANDLE h : events) {
        CloseHandle(h);
    }
}

TEST(Waits, BadArgumentsFail) {
    HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    HANDLE twice[2] = {event, event};
    EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WaitForMultipleObjects(0, twice, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS + 1, twice, FALSE, 0), WAIT_FAILED);
    CloseHandle(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Handles, CloseTwiceAndInvalidValuesFail) {
    HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    EXPECT_TRUE(CloseHandle(event));
    EXPECT_FALSE(CloseHandle(event));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(nullptr));
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(SetEvent(event));
}

TEST(Handles, ValuesAreNotReusedAtOnce) {
    HANDLE first = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    CloseHandle(first);
    HANDLE second = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(second) % 4, 0u);
    CloseHandle(second);
}

TEST(LastError, IsKeptPerThread) {
    SetLastError(1234);
    std::thread other([] {
        EXPECT_EQ(GetLastError(), 0u);
        SetLastError(5);
    });
    other.join();
    EXPECT_EQ(GetLastError(), 1234u);
}

TEST(Interlocked, OperationsReturnDocumentedValues) {
    LONG volatile value = 5;
    EXPECT_EQ(InterlockedIncrement(&value), 6);
    EXPECT_EQ(InterlockedDecrement(&value), 5);
    EXPECT_EQ(InterlockedExchange(&value, 9), 5);
    EXPECT_EQ(InterlockedExchangeAdd(&value, 3), 9);
    EXPECT_EQ(InterlockedCompareExchange(&value, 1, 7), 12); // no match: unchanged
    EXPECT_EQ(value, 12);
    EXPECT_EQ(InterlockedCompareExchange(&value, 1, 12), 12);
    EXPECT_EQ(value, 1);
    int a = 0, b = 0;
    PVOID volatile p = &a;
    EXPECT_EQ(InterlockedExchangePointer(&p, &b), &a);
    EXPECT_EQ(InterlockedCompareExchangePointer(&p, &a, &b), &b);
    EXPECT_EQ(p, &a);
}

TEST(Interlocked, CountersAreExactUnderContention) {
    LONG volatile counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                InterlockedIncrement(&counter);
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(counter, 80000);
}

} // namespace
