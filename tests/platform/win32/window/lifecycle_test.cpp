#include <gtest/gtest.h>

#include <thread>

#include "qx/win32/window_internals.h"
#include "window_test_support.h"

using window_test::TestClass;
using window_test::TheJournal;

namespace {

using Sequence = std::vector<std::pair<HWND, UINT>>;

TEST(WindowLifecycle, CreationSendsItsMessagesInOrder) {
    TestClass frame("LifecycleFrame");
    TheJournal().Clear();
    HWND top = frame.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(TheJournal().Of({WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}),
              (Sequence{{top, WM_GETMINMAXINFO},
                        {top, WM_NCCREATE},
                        {top, WM_CREATE},
                        {top, WM_SIZE},
                        {top, WM_MOVE},
                        {top, WM_SHOWWINDOW}}));
    EXPECT_TRUE(IsWindowVisible(top));
    EXPECT_EQ(GetActiveWindow(), top);
    DestroyWindow(top);
}

TEST(WindowLifecycle, DestroyGoesParentFirstThenChildrenFirst) {
    TestClass frame("LifecycleTree");
    HWND parent = frame.Create();
    HWND child = frame.Create(WS_CHILD, parent, 1);
    HWND grandchild = frame.Create(WS_CHILD, child, 2);
    HWND sibling = frame.Create(WS_CHILD, parent, 3);
    TheJournal().Clear();
    ASSERT_TRUE(DestroyWindow(parent));
    EXPECT_EQ(TheJournal().Of({WM_DESTROY, WM_NCDESTROY}), (Sequence{{parent, WM_DESTROY},
                                                                     {child, WM_DESTROY},
                                                                     {grandchild, WM_DESTROY},
                                                                     {sibling, WM_DESTROY},
                                                                     {sibling, WM_NCDESTROY},
                                                                     {grandchild, WM_NCDESTROY},
                                                                     {child, WM_NCDESTROY},
                                                                     {parent, WM_NCDESTROY}}));
    for (HWND gone : {parent, child, grandchild, sibling}) {
        EXPECT_FALSE(IsWindow(gone));
    }
    EXPECT_FALSE(DestroyWindow(parent));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

// A procedure that refuses creation at one of its steps.
UINT g_refuseAt = 0;
LRESULT CALLBACK RefusingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TheJournal().Add({hwnd, message, wParam, lParam});
    if (message == g_refuseAt) {
        return message == WM_CREATE ? -1 : FALSE;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(WindowLifecycle, RefusedCreationReturnsNullAndLeavesNoWindow) {
    struct Case {
        UINT refuseAt;
        std::vector<UINT> after; // what the window still gets
    };
    const Case cases[] = {{WM_CREATE, {WM_DESTROY, WM_NCDESTROY}}, {WM_NCCREATE, {WM_DESTROY, WM_NCDESTROY}}};
    TestClass refusing("LifecycleRefusing", RefusingProcedure);
    for (const Case& c : cases) {
        g_refuseAt = c.refuseAt;
        TheJournal().Clear();
        EXPECT_EQ(refusing.Create(), nullptr) << c.refuseAt;
        std::vector<UINT> seen;
        HWND made = nullptr;
        for (auto& e : TheJournal().Entries()) {
            made = e.hwnd;
            if (e.message == WM_DESTROY || e.message == WM_NCDESTROY || e.message == WM_SIZE) {
                seen.push_back(e.message);
            }
        }
        EXPECT_EQ(seen, c.after) << c.refuseAt;
        EXPECT_FALSE(IsWindow(made));
    }
    g_refuseAt = 0;
}

LRESULT CALLBACK SelfDestroyingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TheJournal().Add({hwnd, message, wParam, lParam});
    if (message == WM_USER) {
        DestroyWindow(hwnd);
        return 7;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(WindowLifecycle, AWindowDestroyedInItsOwnHandlerIsNotTouchedAgain) {
    TestClass selfish("LifecycleSelfish", SelfDestroyingProcedure);
    HWND hwnd = selfish.Create();
    TheJournal().Clear();
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 7);
    EXPECT_FALSE(IsWindow(hwnd));
    // Posted to it before it went: the post fails, nothing is dispatched afterwards.
    HWND other = selfish.Create();
    ASSERT_TRUE(PostMessageA(other, WM_USER, 0, 0));
    ASSERT_TRUE(PostMessageA(other, WM_USER + 1, 0, 0));
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
    auto after = TheJournal().Of({WM_USER + 1});
    EXPECT_TRUE(after.empty());
    EXPECT_FALSE(IsWindow(other));
}

TEST(WindowLifecycle, ClassRegistrationFailuresSayWhy) {
    TestClass first("LifecycleTwice");
    ASSERT_NE(first.Atom(), 0);
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    info.lpfnWndProc = window_test::RecordingProcedure;
    info.lpszClassName = "lifecycletwice"; // names compare without case
    EXPECT_EQ(RegisterClassExA(&info), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    info.cbSize = 0;
    info.lpszClassName = "LifecycleBadSize";
    EXPECT_EQ(RegisterClassExA(&info), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    HWND window = first.Create();
    EXPECT_FALSE(UnregisterClassA("LifecycleTwice", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    DestroyWindow(window);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(first.Create(WS_CHILD, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TLW_WITH_WSCHILD));
    // The class is found by its atom too.
    HWND byAtom = CreateWindowExA(0, MAKEINTRESOURCEA(first.Atom()), "", 0, 0, 0, 1, 1, nullptr, nullptr,
                                  nullptr, nullptr);
    EXPECT_NE(byAtom, nullptr);
    DestroyWindow(byAtom);
}

TEST(WindowLifecycle, WindowsOfAThreadGoWithItAndAttachmentsAreReleased) {
    TestClass frame("LifecycleThread");
    auto attachment = std::make_shared<int>(5);
    std::weak_ptr<int> watch = attachment;
    HWND made = nullptr;
    HWND child = nullptr;
    std::thread worker([&] {
        made = frame.Create();
        child = frame.Create(WS_CHILD, made, 4);
        qx::win32::SetWindowAttachment(child, "test", std::move(attachment));
        EXPECT_EQ(qx::win32::GetThreadTopLevelWindows(GetCurrentThreadId()), std::vector<HWND>{made});
    });
    worker.join();
    EXPECT_FALSE(IsWindow(made));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_TRUE(watch.expired());
}

// Collects the windows into the vector in lParam, up to g_stopAt.
HWND g_stopAt = nullptr;
BOOL CALLBACK CollectUntilStop(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return hwnd != g_stopAt ? TRUE : FALSE;
}

TEST(WindowLifecycle, TreeAndLongsAnswerAsWindowsDoes) {
    TestClass frame("LifecycleLongs", window_test::RecordingProcedure, 0, 2 * sizeof(LONG_PTR));
    HWND owner = frame.Create();
    HWND popup = frame.Create(WS_POPUP, owner);
    HWND first = frame.Create(WS_CHILD, owner, 11);
    HWND second = frame.Create(WS_CHILD, owner, 12);
    EXPECT_EQ(GetParent(first), owner);
    EXPECT_EQ(GetParent(popup), owner); // a popup's owner
    EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
    EXPECT_EQ(GetWindow(owner, GW_CHILD), first); // children keep creation order
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
    EXPECT_EQ(GetAncestor(second, GA_ROOT), owner);
    EXPECT_EQ(GetAncestor(owner, GA_PARENT), GetDesktopWindow());
    EXPECT_TRUE(IsChild(owner, second));
    EXPECT_FALSE(IsChild(owner, popup));
    EXPECT_EQ(GetDlgCtrlID(second), 12);

    // Descendants in Z order, depth first; a callback answering FALSE stops the walk.
    HWND inner = frame.Create(WS_CHILD, first, 13);
    std::vector<HWND> walked;
    EnumChildWindows(owner, CollectUntilStop, reinterpret_cast<LPARAM>(&walked));
    EXPECT_EQ(walked, (std::vector<HWND>{first, inner, second}));
    g_stopAt = inner;
    walked.clear();
    EnumChildWindows(owner, CollectUntilStop, reinterpret_cast<LPARAM>(&walked));
    EXPECT_EQ(walked, (std::vector<HWND>{first, inner}));
    g_stopAt = nullptr;

    // A new parent keeps the position numbers; a window cannot go under its own descendant.
    EXPECT_EQ(SetParent(second, first), owner);
    EXPECT_TRUE(IsChild(first, second));
    EXPECT_EQ(SetParent(first, inner), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    struct Slot {
        int index;
        LONG_PTR value;
        LONG_PTR old;
    };
    const Slot slots[] = {
        {GWLP_USERDATA, 0x1234, 0}, {GWLP_ID, 99, 11}, {0, -5, 0}, {sizeof(LONG_PTR), 77, 0}};
    for (const Slot& s : slots) {
        EXPECT_EQ(SetWindowLongPtrA(first, s.index, s.value), s.old) << s.index;
        EXPECT_EQ(GetWindowLongPtrA(first, s.index), s.value) << s.index;
    }
    EXPECT_EQ(GetWindowLongPtrA(first, 2 * sizeof(LONG_PTR)), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(GetWindowLongPtrA(first, GWL_STYLE) & WS_CHILD, WS_CHILD);

    EXPECT_TRUE(SetPropA(first, "Tag", reinterpret_cast<HANDLE>(0x42)));
    EXPECT_EQ(GetPropW(first, u"TAG"), reinterpret_cast<HANDLE>(0x42));
    EXPECT_EQ(RemovePropA(first, "tag"), reinterpret_cast<HANDLE>(0x42));
    EXPECT_EQ(GetPropA(first, "Tag"), nullptr);
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(popup)); // owned windows go with their owner
}

} // namespace
