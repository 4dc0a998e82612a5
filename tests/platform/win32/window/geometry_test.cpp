#include <gtest/gtest.h>

#include "qx/win32/window_internals.h"
#include "window_test_support.h"

using window_test::TestClass;
using window_test::TheJournal;

namespace {

using Sequence = std::vector<std::pair<HWND, UINT>>;

bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

TEST(WindowGeometry, PositionsAreRelativeToTheParentsClientArea) {
    TestClass frame("GeometryFrame");
    HWND top = frame.Create(WS_POPUP, nullptr, 0, {100, 50, 400, 250});
    HWND child = frame.Create(WS_CHILD, top, 1, {10, 20, 60, 50});
    RECT rect{};
    GetWindowRect(child, &rect);
    EXPECT_TRUE(SameRect(rect, RECT{110, 70, 160, 100}));
    GetClientRect(child, &rect);
    EXPECT_TRUE(SameRect(rect, RECT{0, 0, 50, 30}));
    GetWindowRect(GetDesktopWindow(), &rect);
    EXPECT_TRUE(SameRect(rect, RECT{0, 0, 1280, 1024}));

    POINT p{5, 5};
    ClientToScreen(child, &p);
    EXPECT_EQ(p.x, 115);
    EXPECT_EQ(p.y, 75);
    ScreenToClient(top, &p);
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.y, 25);
    POINT points[2] = {{0, 0}, {-3, 4}};
    int offset = MapWindowPoints(child, top, points, 2);
    EXPECT_EQ(GET_X_LPARAM(offset), 10);
    EXPECT_EQ(GET_Y_LPARAM(offset), 20);
    EXPECT_EQ(points[1].x, 7);
    EXPECT_EQ(points[1].y, 24);

    EXPECT_EQ(ChildWindowFromPoint(top, POINT{15, 25}), child);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{5, 5}), top);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{500, 5}), nullptr);
    EXPECT_EQ(WindowFromPoint(POINT{115, 75}), nullptr); // hidden windows are not found
    ShowWindow(top, SW_SHOWNA);
    ShowWindow(child, SW_SHOWNA);
    EXPECT_EQ(WindowFromPoint(POINT{115, 75}), child);
    EnableWindow(child, FALSE);
    EXPECT_EQ(WindowFromPoint(POINT{115, 75}), top);
    DestroyWindow(top);
}

TEST(WindowGeometry, MovingAndSizingTellTheWindowWhatChanged) {
    TestClass frame("GeometryMoves");
    HWND top = frame.Create(WS_POPUP, nullptr, 0, {0, 0, 100, 100});
    struct Case {
        int x, y, cx, cy;
        UINT flags;
        std::vector<UINT> expected;
        LPARAM size;
        LPARAM move;
    };
    const Case cases[] = {
        {5,
         6,
         100,
         100,
         SWP_NOZORDER,
         {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE},
         0,
         MAKELPARAM(5, 6)},
        {0,
         0,
         30,
         40,
         SWP_NOMOVE | SWP_NOZORDER,
         {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE},
         MAKELPARAM(30, 40),
         0},
        {5, 6, 30, 40, SWP_NOZORDER, {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}, 0, 0}, // nothing changed
        {-20,
         -30,
         10,
         10,
         SWP_NOZORDER | SWP_NOSENDCHANGING,
         {WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE},
         MAKELPARAM(10, 10),
         MAKELPARAM(-20, -30)},
    };
    for (const Case& c : cases) {
        TheJournal().Clear();
        ASSERT_TRUE(SetWindowPos(top, nullptr, c.x, c.y, c.cx, c.cy, c.flags | SWP_NOACTIVATE));
        std::vector<UINT> seen;
        for (auto& e : TheJournal().Entries()) {
            seen.push_back(e.message);
            if (e.message == WM_SIZE) {
                EXPECT_EQ(e.lParam, c.size);
            }
            if (e.message == WM_MOVE) {
                EXPECT_EQ(e.lParam, c.move);
            }
        }
        EXPECT_EQ(seen, c.expected) << c.x << "," << c.y;
    }
    RECT rect{};
    GetWindowRect(top, &rect);
    EXPECT_TRUE(SameRect(rect, RECT{-20, -30, -10, -20}));
    DestroyWindow(top);
}

TEST(WindowGeometry, ShowEnableFocusActivationAndCapture) {
    TestClass frame("GeometryStates");
    HWND top = frame.Create(WS_OVERLAPPEDWINDOW);
    HWND edit = frame.Create(WS_CHILD | WS_VISIBLE, top, 1);
    HWND other = frame.Create(WS_OVERLAPPEDWINDOW);

    TheJournal().Clear();
    EXPECT_FALSE(ShowWindow(top, SW_SHOW)); // it was hidden
    EXPECT_TRUE(ShowWindow(top, SW_SHOW));
    EXPECT_EQ(TheJournal().Of({WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS}),
              (Sequence{{top, WM_SHOWWINDOW}, {top, WM_ACTIVATE}, {top, WM_SETFOCUS}}));
    EXPECT_EQ(GetFocus(), top);

    TheJournal().Clear();
    EXPECT_EQ(SetFocus(edit), top);
    EXPECT_EQ(TheJournal().Of({WM_KILLFOCUS, WM_SETFOCUS}),
              (Sequence{{top, WM_KILLFOCUS}, {edit, WM_SETFOCUS}}));

    // Disabling the focus window takes the focus away.
    TheJournal().Clear();
    EXPECT_FALSE(EnableWindow(edit, FALSE));
    EXPECT_TRUE(EnableWindow(edit, FALSE));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(TheJournal().Of({WM_KILLFOCUS, WM_ENABLE}),
              (Sequence{{edit, WM_KILLFOCUS}, {edit, WM_ENABLE}}));
    EXPECT_TRUE(EnableWindow(edit, TRUE));
    EXPECT_FALSE(IsWindowEnabled(other) == FALSE);

    // Activating another window deactivates the first.
    TheJournal().Clear();
    EXPECT_EQ(SetActiveWindow(other), top);
    EXPECT_EQ(GetActiveWindow(), other);
    EXPECT_EQ(GetForegroundWindow(), other);
    EXPECT_EQ(TheJournal().Of({WM_ACTIVATE}), (Sequence{{top, WM_ACTIVATE}, {other, WM_ACTIVATE}}));

    // Capture moves with WM_CAPTURECHANGED to the window that loses it.
    TheJournal().Clear();
    EXPECT_EQ(SetCapture(edit), nullptr);
    EXPECT_EQ(SetCapture(top), edit);
    EXPECT_EQ(GetCapture(), top);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(TheJournal().Of({WM_CAPTURECHANGED}),
              (Sequence{{edit, WM_CAPTURECHANGED}, {top, WM_CAPTURECHANGED}}));
    SetCapture(edit);
    DestroyWindow(top);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(other);
}

class CountingObserver : public qx::win32::PaintObserver {
public:
    void WindowInvalidated(HWND, const RECT& area, bool erase) override {
        ++invalidated;
        last = area;
        lastErase = erase;
    }
    void WindowPainted(HWND) override { ++painted; }
    int invalidated = 0;
    int painted = 0;
    RECT last{};
    bool lastErase = false;
};

TEST(WindowGeometry, UpdateRegionsMakePaintsUntilValidated) {
    TestClass frame("GeometryPaint");
    CountingObserver observer;
    auto* previous = qx::win32::SetPaintObserver(&observer);
    HWND top = frame.Create(WS_POPUP, nullptr, 0, {0, 0, 100, 100});
    RECT area{90, 90, 200, 200};
    InvalidateRect(top, &area, FALSE); // hidden: nothing happens
    EXPECT_EQ(observer.invalidated, 0);
    ShowWindow(top, SW_SHOWNA); // showing invalidates all of it
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)); // still there: nobody painted
    DispatchMessageA(&msg);                                    // the default handling validates
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(observer.painted, 1);

    InvalidateRect(top, &area, TRUE);
    EXPECT_TRUE(SameRect(observer.last, RECT{90, 90, 100, 100})); // clipped to the client area
    EXPECT_TRUE(observer.lastErase);
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(top, &update, FALSE));
    EXPECT_TRUE(SameRect(update, RECT{90, 90, 100, 100}));
    RECT taken{};
    bool erase = false;
    EXPECT_TRUE(qx::win32::TakeUpdateRegion(top, &taken, &erase));
    EXPECT_TRUE(erase);
    EXPECT_FALSE(GetUpdateRect(top, &update, FALSE));

    // UpdateWindow paints at once, and only what needs it.
    InvalidateRect(top, nullptr, FALSE);
    TheJournal().Clear();
    UpdateWindow(top);
    UpdateWindow(top);
    EXPECT_EQ(TheJournal().Of({WM_PAINT}), (Sequence{{top, WM_PAINT}}));
    qx::win32::SetPaintObserver(previous);
    DestroyWindow(top);
}

TEST(WindowGeometry, CursorsAreSharedAndSetCursorGivesThePreviousOne) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR beam = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_IBEAM));
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
    EXPECT_NE(beam, arrow);
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(12345)), nullptr);
    SetCursor(arrow);
    EXPECT_EQ(SetCursor(beam), arrow);
    EXPECT_EQ(GetCursor(), beam);
    EXPECT_EQ(qx::win32::DescribeCursor(beam)->id, 32513);
    EXPECT_EQ(SetCursor(reinterpret_cast<HCURSOR>(0x77)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_CURSOR_HANDLE));
    EXPECT_EQ(GetCursor(), beam);

    // The class cursor is what WM_SETCURSOR's default sets in the client area.
    TestClass withCursor("GeometryCursor", window_test::RecordingProcedure, 0, 0, beam);
    HWND hwnd = withCursor.Create();
    SetCursor(arrow);
    SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), beam);
    DestroyWindow(hwnd);
}

} // namespace
