#include "qx/win32/input_driver.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "qx/win32/virtual_clock.h"
#include "qx/win32/window_internals.h"
#include "sysinfoapi.h"
#include "winuser_input.h"
#include "winuser_message.h"
#include "winuser_position.h"
#include "winuser_timer.h"
#include "winuser_window.h"

namespace input = qx::win32::input;

namespace {

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Seen> g_seen;
const UINT kWatched[] = {WM_NCHITTEST, WM_MOUSEACTIVATE, WM_SETCURSOR,   WM_MOUSEMOVE,  WM_LBUTTONDOWN,
                         WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP,  WM_MOUSEWHEEL,
                         WM_KEYDOWN,   WM_KEYUP,         WM_CHAR,        WM_SYSKEYDOWN, WM_CONTEXTMENU,
                         WM_TIMER,     WM_USER};

LRESULT Watch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    for (UINT watched : kWatched) {
        if (watched == message) {
            g_seen.push_back(Seen{hwnd, message, wParam, lParam});
        }
    }
    return message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK ? 42 : 0;
}

LRESULT CALLBACK AnsiProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT own = Watch(hwnd, message, wParam, lParam);
    return own != 0 ? own : DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK WideProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT own = Watch(hwnd, message, wParam, lParam);
    return own != 0 ? own : DefWindowProcW(hwnd, message, wParam, lParam);
}

class InputDriver : public ::testing::Test {
protected:
    void SetUp() override {
        Register("InputAnsi", 0, false);
        Register("InputDouble", CS_DBLCLKS, false);
        Register(nullptr, 0, true);
        input::ResetInputState();
        left = Make("InputAnsi", WS_POPUP | WS_VISIBLE, nullptr, {100, 100, 300, 200});
        right = Make("InputAnsi", WS_POPUP | WS_VISIBLE, nullptr, {400, 100, 500, 200});
        g_seen.clear();
    }
    void TearDown() override {
        ReleaseCapture();
        DestroyWindow(left);
        DestroyWindow(right);
        UnregisterClassA("InputAnsi", nullptr);
        UnregisterClassA("InputDouble", nullptr);
        UnregisterClassA("InputWide", nullptr);
        input::ResetInputState();
    }
    static void Register(const char* name, UINT style, bool wide) {
        if (wide) {
            WNDCLASSEXW info{};
            info.cbSize = sizeof info;
            info.lpfnWndProc = WideProcedure;
            info.lpszClassName = u"InputWide";
            RegisterClassExW(&info);
            return;
        }
        WNDCLASSEXA info{};
        info.cbSize = sizeof info;
        info.style = style;
        info.lpfnWndProc = AnsiProcedure;
        info.lpszClassName = name;
        RegisterClassExA(&info);
    }
    static HWND Make(const char* className, DWORD style, HWND parent, RECT r) {
        return CreateWindowExA(0, className, "", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                               parent, nullptr, nullptr, nullptr);
    }
    static std::vector<UINT> Messages() {
        std::vector<UINT> messages;
        for (const Seen& s : g_seen) {
            messages.push_back(s.message);
        }
        return messages;
    }

    HWND left = nullptr;
    HWND right = nullptr;
};

TEST_F(InputDriver, AClickAsksHitTestActivationAndCursorFirst) {
    SetActiveWindow(right);
    g_seen.clear();
    EXPECT_EQ(input::Press(left, 5, 6), 42);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NCHITTEST, WM_MOUSEACTIVATE, WM_SETCURSOR, WM_LBUTTONDOWN}));
    EXPECT_EQ(g_seen[0].lParam, MAKELPARAM(105, 106)); // the hit test gets the screen point
    EXPECT_EQ(g_seen[2].lParam, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ(g_seen[3].wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(g_seen[3].lParam, MAKELPARAM(5, 6));
    EXPECT_EQ(GetActiveWindow(), left);
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 105);
    EXPECT_NE(GetAsyncKeyState(VK_LBUTTON), 0);

    g_seen.clear();
    input::Release(left, 5, 6, MK_SHIFT);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NCHITTEST, WM_SETCURSOR, WM_LBUTTONUP}));
    EXPECT_EQ(g_seen[2].wParam, static_cast<WPARAM>(MK_SHIFT));
    EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);
}

TEST_F(InputDriver, WhileCapturedEveryMouseMessageGoesToTheCaptureWindow) {
    SetCapture(left);
    struct Case {
        LRESULT (*act)(HWND, int, int, WPARAM);
        HWND window;
        int x, y;
        UINT message;
        int expectedX, expectedY; // in the capture window's client area
    };
    const Case cases[] = {
        {input::Press, right, 10, 10, WM_LBUTTONDOWN, 310, 10},
        {input::Move, left, -20, -5, WM_MOUSEMOVE, -20, -5},
        {input::Move, right, -450, -150, WM_MOUSEMOVE, -150, -150},
        {input::Release, right, 0, 0, WM_LBUTTONUP, 300, 0},
        {input::RightPress, left, 1, 2, WM_RBUTTONDOWN, 1, 2},
        {input::RightRelease, right, 1, 2, WM_RBUTTONUP, 301, 2},
    };
    for (const Case& c : cases) {
        g_seen.clear();
        c.act(c.window, c.x, c.y, 0);
        ASSERT_FALSE(g_seen.empty());
        const Seen& last = g_seen.front();
        EXPECT_EQ(last.hwnd, left);
        EXPECT_EQ(last.message, c.message);
        EXPECT_EQ(GET_X_LPARAM(last.lParam), c.expectedX);
        EXPECT_EQ(GET_Y_LPARAM(last.lParam), c.expectedY);
        for (const Seen& s : g_seen) {
            EXPECT_NE(s.message, static_cast<UINT>(WM_SETCURSOR)); // no cursor questions while captured
            EXPECT_NE(s.hwnd, right);
        }
    }
    g_seen.clear();
    input::Wheel(right, 0, 0, -WHEEL_DELTA);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].hwnd, left);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(g_seen[0].wParam), -WHEEL_DELTA);
    EXPECT_EQ(GET_X_LPARAM(g_seen[0].lParam), 400);
}

TEST_F(InputDriver, DoubleClicksNeedTheClassStyle) {
    HWND plain = Make("InputAnsi", WS_POPUP | WS_VISIBLE, nullptr, {0, 0, 50, 50});
    HWND doubled = Make("InputDouble", WS_POPUP | WS_VISIBLE, nullptr, {0, 0, 50, 50});
    struct Case {
        HWND hwnd;
        UINT second;
    };
    for (const Case& c : {Case{plain, WM_LBUTTONDOWN}, Case{doubled, WM_LBUTTONDBLCLK}}) {
        g_seen.clear();
        EXPECT_EQ(input::DoubleClick(c.hwnd, 3, 3), 42);
        std::vector<UINT> buttons;
        for (const Seen& s : g_seen) {
            if (s.message >= WM_LBUTTONDOWN && s.message <= WM_LBUTTONDBLCLK) {
                buttons.push_back(s.message);
            }
        }
        EXPECT_EQ(buttons, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, c.second, WM_LBUTTONUP}));
    }
    DestroyWindow(plain);
    DestroyWindow(doubled);
}

TEST_F(InputDriver, KeysGoToTheFocusWindowAndTypeCharacters) {
    HWND wide = Make("InputWide", WS_POPUP | WS_VISIBLE, nullptr, {0, 0, 50, 50});
    SetActiveWindow(left);
    SetFocus(left);
    struct Case {
        std::vector<std::pair<int, bool>> keys;
        std::vector<std::pair<UINT, WPARAM>> expected;
    };
    const Case cases[] = {
        {{{'A', true}, {'A', false}}, {{WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}, {WM_KEYUP, 'A'}}},
        {{{VK_SHIFT, true}, {'A', true}},
         {{WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, 'A'}, {WM_CHAR, 'A'}}}, // shift is still down afterwards
        {{{VK_SHIFT, false}, {VK_CONTROL, true}, {'C', true}, {VK_CONTROL, false}},
         {{WM_KEYUP, VK_SHIFT},
          {WM_KEYDOWN, VK_CONTROL},
          {WM_KEYDOWN, 'C'},
          {WM_CHAR, 3},
          {WM_KEYUP, VK_CONTROL}}},
        {{{VK_RETURN, true}}, {{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, 0x0D}}},
        {{{VK_F5, true}, {VK_F5, false}}, {{WM_KEYDOWN, VK_F5}, {WM_KEYUP, VK_F5}}},
    };
    for (const Case& c : cases) {
        g_seen.clear();
        for (auto [vk, down] : c.keys) {
            input::Key(vk, down);
        }
        std::vector<std::pair<UINT, WPARAM>> got;
        for (const Seen& s : g_seen) {
            EXPECT_EQ(s.hwnd, left);
            got.emplace_back(s.message, s.wParam);
        }
        EXPECT_EQ(got, c.expected);
    }
    EXPECT_NE(GetKeyState('A') & 0x8000, 0); // still held from the second case
    input::Key('A', false);
    EXPECT_EQ(GetKeyState('A') & 0x8000, 0);

    // Typed text: a Unicode window gets the UTF-16 unit, an ANSI one the code page bytes.
    struct Typed {
        HWND hwnd;
        std::vector<WPARAM> characters;
    };
    for (const Typed& t : {Typed{wide, {'a', 0xD55C}}, Typed{left, {'a', 0xC7, 0xD1}}}) {
        SetActiveWindow(t.hwnd);
        SetFocus(t.hwnd);
        g_seen.clear();
        input::Type("a\xED\x95\x9C");
        std::vector<WPARAM> characters;
        std::vector<UINT> keys;
        for (const Seen& s : g_seen) {
            if (s.message == WM_CHAR) {
                characters.push_back(s.wParam);
            } else if (s.message == WM_KEYDOWN || s.message == WM_KEYUP) {
                keys.push_back(s.message);
            }
        }
        EXPECT_EQ(characters, t.characters);
        EXPECT_EQ(keys, (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP})); // only 'a' has a key
    }
    DestroyWindow(wide);
}

TEST_F(InputDriver, WheelOfAChildReachesTheParentByDefault) {
    HWND child = Make("InputWide", WS_CHILD | WS_VISIBLE, left, {10, 10, 60, 60});
    g_seen.clear();
    input::Wheel(child, 5, 5, WHEEL_DELTA, MK_CONTROL);
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].hwnd, child);
    EXPECT_EQ(g_seen[1].hwnd, left);
    EXPECT_EQ(GET_KEYSTATE_WPARAM(g_seen[1].wParam), MK_CONTROL);
    EXPECT_EQ(g_seen[1].lParam, MAKELPARAM(115, 115));
    // A right click's release asks for the context menu, which climbs the same way.
    g_seen.clear();
    input::RightRelease(child, 1, 1);
    std::vector<std::pair<HWND, UINT>> menus;
    for (const Seen& s : g_seen) {
        if (s.message == WM_CONTEXTMENU) {
            menus.emplace_back(s.hwnd, s.message);
            EXPECT_EQ(s.lParam, MAKELPARAM(111, 111));
        }
    }
    EXPECT_EQ(menus, (std::vector<std::pair<HWND, UINT>>{{child, WM_CONTEXTMENU}, {left, WM_CONTEXTMENU}}));
}

int g_ticks = 0;
void CALLBACK Tick(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    if (++g_ticks == 3) {
        KillTimer(hwnd, id);
    }
}

TEST_F(InputDriver, PumpUntilIdleRunsQueuedWorkAndTimersUpToTheLimit) {
    qx::win32::InstallVirtualClock(1000);
    g_ticks = 0;
    SetTimer(left, 9, 100, Tick);
    PostMessageA(left, WM_USER, 0, 0);
    PostMessageA(left, WM_KEYDOWN, 'B', 0);
    g_seen.clear();
    input::PumpUntilIdle(1250);
    EXPECT_EQ(g_ticks, 2);
    EXPECT_EQ(GetTickCount(), 1200u); // the clock stops at the last timer within the limit
    std::vector<std::pair<UINT, WPARAM>> got;
    for (const Seen& s : g_seen) {
        got.emplace_back(s.message, s.wParam);
    }
    EXPECT_EQ(got, (std::vector<std::pair<UINT, WPARAM>>{{WM_USER, 0}, {WM_KEYDOWN, 'B'}, {WM_CHAR, 'b'}}));
    input::PumpUntilIdle(5000);
    EXPECT_EQ(g_ticks, 3);
    EXPECT_EQ(GetTickCount(), 1300u); // the timer is gone: nothing moves the clock further
    qx::win32::RemoveVirtualClock();
}

} // namespace
