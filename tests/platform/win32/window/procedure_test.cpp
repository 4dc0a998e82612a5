#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "window_test_support.h"

using window_test::TestClass;
using window_test::TheJournal;

namespace {

// Three subclass procedures; each notes its number and passes the message on.
std::array<WNDPROC, 3> g_previous{};
std::vector<int> g_calls;

template <int N>
LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) {
        g_calls.push_back(N);
    }
    return CallWindowProcA(g_previous[N], hwnd, message, wParam, lParam);
}

const std::array<WNDPROC, 3> kSubclasses = {Subclass<0>, Subclass<1>, Subclass<2>};

TEST(WindowProcedures, SubclassChainsRunNewestFirstAndRestoreInAnyOrder) {
    TestClass base("ProcChain");
    std::array<int, 3> order = {0, 1, 2};
    do {
        HWND hwnd = base.Create();
        auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
        for (int i = 0; i < 3; ++i) {
            g_previous[i] = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kSubclasses[i])));
        }
        EXPECT_EQ(g_previous[0], original);
        EXPECT_EQ(g_previous[1], kSubclasses[0]);
        g_calls.clear();
        TheJournal().Clear();
        SendMessageA(hwnd, WM_USER, 0, 0);
        EXPECT_EQ(g_calls, (std::vector<int>{2, 1, 0}));
        EXPECT_EQ(TheJournal().Of({WM_USER}).size(), 1u);

        // Each restore puts back what that subclass replaced and returns what was there; the
        // window keeps the last procedure written, as on Windows.
        WNDPROC current = kSubclasses[2];
        for (int which : order) {
            auto replaced = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous[which])));
            EXPECT_EQ(replaced, current);
            current = g_previous[which];
        }
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC)), current);
        if (order == std::array<int, 3>{2, 1, 0}) {
            EXPECT_EQ(current, original);
        }
        DestroyWindow(hwnd);
    } while (std::next_permutation(order.begin(), order.end()));
}

// "한글" in code page 949 and in UTF-16.
const char kKoreanAnsi[] = "\xC7\xD1\xB1\xDB";
const char16_t kKoreanWide[] = u"\xD55C\xAE00";

LRESULT CALLBACK WideDefault(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TheJournal().Add({hwnd, message, wParam, lParam});
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class WideClass {
public:
    WideClass() {
        WNDCLASSEXW info{};
        info.cbSize = sizeof info;
        info.lpfnWndProc = WideDefault;
        info.lpszClassName = u"ProcWide";
        RegisterClassExW(&info);
    }
    ~WideClass() { UnregisterClassW(u"ProcWide", nullptr); }
    HWND Create(const char16_t* text) const {
        return CreateWindowExW(0, u"ProcWide", text, WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                               nullptr);
    }
};

TEST(WindowProcedures, TextCrossesBetweenCodePageAndUnicode) {
    WideClass wideClass;
    TestClass ansiClass("ProcAnsi");
    HWND wide = wideClass.Create(kKoreanWide);
    HWND ansi = ansiClass.Create(WS_OVERLAPPED, nullptr, 0, {0, 0, 10, 10}, kKoreanAnsi);
    ASSERT_TRUE(IsWindowUnicode(wide));
    ASSERT_FALSE(IsWindowUnicode(ansi));

    struct Case {
        HWND hwnd;
        int bufferBytes;
        std::string ansi; // what GetWindowTextA gives
        int ansiLength;
    };
    const Case cases[] = {{wide, 16, kKoreanAnsi, 4},
                          {ansi, 16, kKoreanAnsi, 4},
                          {wide, 4, "\xC7\xD1", 4}, // no half characters
                          {ansi, 4, "\xC7\xD1", 4},
                          {wide, 1, "", 4}};
    for (const Case& c : cases) {
        char buffer[16] = "xxxxxxxxxxxxxxx";
        EXPECT_EQ(GetWindowTextA(c.hwnd, buffer, c.bufferBytes), static_cast<int>(c.ansi.size()));
        EXPECT_EQ(std::string(buffer), c.ansi);
        EXPECT_EQ(GetWindowTextLengthA(c.hwnd), c.ansiLength);
        WCHAR wideBuffer[8] = {};
        EXPECT_EQ(GetWindowTextW(c.hwnd, wideBuffer, 8), 2);
        EXPECT_EQ(std::u16string(wideBuffer), kKoreanWide);
        EXPECT_EQ(GetWindowTextLengthW(c.hwnd), 2);
    }
    EXPECT_TRUE(SetWindowTextA(wide, "abc"));
    WCHAR back[8] = {};
    GetWindowTextW(wide, back, 8);
    EXPECT_EQ(std::u16string(back), u"abc");
    DestroyWindow(wide);
    DestroyWindow(ansi);
}

std::vector<WPARAM> g_characters;
LRESULT CALLBACK CharacterProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR) {
        g_characters.push_back(wParam);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(WindowProcedures, CharactersArriveWholeInTheProceduresCharacterSet) {
    WideClass wideClass;
    TestClass ansiClass("ProcChars", CharacterProcedure);
    HWND wide = wideClass.Create(u"");
    HWND ansi = ansiClass.Create();

    // An ANSI procedure subclassing a Unicode window gets the bytes, one WM_CHAR each.
    auto standIn = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wide, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CharacterProcedure)));
    EXPECT_NE(standIn, WideDefault); // an ANSI caller never sees the Unicode procedure itself
    g_characters.clear();
    SendMessageW(wide, WM_CHAR, 0xD55C, 0);
    SendMessageW(ansi, WM_CHAR, u'A', 0);
    EXPECT_EQ(g_characters, (std::vector<WPARAM>{0xC7, 0xD1, 'A'}));

    // Back to the Unicode procedure through the stand-in: the two bytes become one unit.
    SetWindowLongPtrA(wide, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(standIn));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wide, GWLP_WNDPROC)), WideDefault);
    TheJournal().Clear();
    SendMessageA(wide, WM_CHAR, 0xC7, 0);
    SendMessageA(wide, WM_CHAR, 0xD1, 0);
    auto seen = TheJournal().Entries();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].wParam, 0xD55Cu);

    // The stand-in calls through with conversion.
    char text[8] = {};
    SetWindowTextW(wide, kKoreanWide);
    EXPECT_EQ(CallWindowProcA(standIn, wide, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 4);
    EXPECT_EQ(std::string(text), kKoreanAnsi);
    DestroyWindow(wide);
    DestroyWindow(ansi);
}

TEST(WindowProcedures, DefaultAnswers) {
    TestClass frame("ProcDefaults");
    HWND parent = frame.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, {100, 100, 300, 200});
    HWND child = frame.Create(WS_CHILD | WS_VISIBLE, parent, 5, {10, 10, 50, 50});
    struct Case {
        HWND hwnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT expected;
    };
    const Case cases[] = {
        {child, WM_NCHITTEST, 0, MAKELPARAM(115, 115), HTCLIENT},
        {child, WM_NCHITTEST, 0, MAKELPARAM(99, 99), HTNOWHERE},
        {child, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(parent), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN),
         MA_ACTIVATE},
        {parent, WM_ERASEBKGND, 0, 0, 0},
        {parent, WM_GETTEXTLENGTH, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SendMessageA(c.hwnd, c.message, c.wParam, c.lParam), c.expected) << c.message;
    }
    // The parent is asked about the cursor first.
    TheJournal().Clear();
    SendMessageA(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(TheJournal().Of({WM_SETCURSOR}),
              (std::vector<std::pair<HWND, UINT>>{{child, WM_SETCURSOR}, {parent, WM_SETCURSOR}}));
    // WM_CLOSE destroys.
    SendMessageA(parent, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(parent));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(RegisterWindowMessageA("ProcMessage"), RegisterWindowMessageW(u"PROCMESSAGE"));
    EXPECT_GE(RegisterWindowMessageA("ProcMessage"), 0xC000u);
}

} // namespace
