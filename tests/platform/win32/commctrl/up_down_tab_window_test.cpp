#include <gtest/gtest.h>

#include "control_test_support.h"

namespace qx::win32::commctrl {
namespace {

using testing::ParentWindow;

std::u16string TextOf(HWND hwnd) {
    char16_t buffer[64] = {};
    GetWindowTextW(hwnd, reinterpret_cast<LPWSTR>(buffer), 64);
    return buffer;
}

TEST(UpDownWindow, RangeAndPositionMessages) {
    ParentWindow parent;
    HWND upDown = parent.CreateChild(UPDOWN_CLASSW, 0, 3, 16, 40);
    ASSERT_NE(upDown, nullptr);
    // The default range runs from 100 down to 0.
    EXPECT_EQ(SendMessageW(upDown, UDM_GETRANGE, 0, 0), MAKELONG(0, 100));
    struct Step {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT result;
        int position;
    } steps[] = {
        {UDM_SETRANGE, 0, MAKELONG(10, static_cast<WORD>(-10)), 0, 0},
        {UDM_SETPOS, 0, MAKELONG(static_cast<WORD>(-4), 0), 0, -4},
        {UDM_SETPOS, 0, 50, static_cast<WORD>(-4), 10},
        {UDM_SETRANGE32, 0, 100000, 0, 10},
        {UDM_SETPOS32, 0, 70000, 10, 70000},
        {UDM_SETPOS32, 0, -1, 70000, 0},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(SendMessageW(upDown, s.message, s.wParam, s.lParam), s.result) << s.message;
        BOOL error = TRUE;
        EXPECT_EQ(SendMessageW(upDown, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)), s.position);
        EXPECT_FALSE(error);
    }
    int lower = 1;
    int upper = 1;
    SendMessageW(upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 100000);
}

TEST(UpDownWindow, ArrowPressesTellTheParentAndTheBuddy) {
    ParentWindow parent;
    HWND buddy = parent.CreateChild(u"CommctrlTestParent", 0, 4, 60, 20);
    HWND upDown = parent.CreateChild(UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_WRAP, 5, 16, 40);
    EXPECT_EQ(SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0), 0);
    EXPECT_EQ(SendMessageW(upDown, UDM_GETBUDDY, 0, 0), reinterpret_cast<LRESULT>(buddy));
    SendMessageW(upDown, UDM_SETRANGE32, 998, 1001);
    SendMessageW(upDown, UDM_SETPOS32, 0, 1000);
    EXPECT_EQ(TextOf(buddy), u"1,000");

    struct Press {
        int y;       // upper half: up
        bool refuse; // the parent answers UDN_DELTAPOS with TRUE
        int delta;   // proposed in the notice
        std::u16string buddyText;
        std::vector<UINT> scrolls;
    } presses[] = {
        {5, false, 1, u"1,001", {SB_THUMBPOSITION, SB_ENDSCROLL}},
        {5, false, 1, u"998", {SB_THUMBPOSITION, SB_ENDSCROLL}}, // wraps round
        {30, true, -1, u"998", {}},
        {30, false, -1, u"1,001", {SB_THUMBPOSITION, SB_ENDSCROLL}},
    };
    for (const auto& p : presses) {
        parent.events.clear();
        parent.answer = [&p](const testing::ParentEvent& e) {
            return e.code == UDN_DELTAPOS && p.refuse ? 1 : 0;
        };
        SendMessageW(upDown, WM_LBUTTONDOWN, MK_LBUTTON, testing::PointParam(8, p.y));
        SendMessageW(upDown, WM_LBUTTONUP, 0, testing::PointParam(8, p.y));
        ASSERT_EQ(parent.Codes(), (std::vector<UINT>{UDN_DELTAPOS}));
        EXPECT_EQ(parent.events[0].upDown.iDelta, p.delta);
        EXPECT_EQ(parent.events[0].id, 5u);
        EXPECT_EQ(TextOf(buddy), p.buddyText);
        std::vector<UINT> scrolls = parent.Codes(WM_VSCROLL);
        if (p.refuse) {
            // A refused press still ends the scroll.
            EXPECT_EQ(scrolls, (std::vector<UINT>{SB_ENDSCROLL}));
        } else {
            EXPECT_EQ(scrolls, p.scrolls);
            EXPECT_EQ(HIWORD(parent.events[1].wParam),
                      static_cast<WORD>(SendMessageW(upDown, UDM_GETPOS32, 0, 0)));
        }
    }
    // What the user typed in the buddy is the position; text that is no number is an error.
    SetWindowTextW(buddy, reinterpret_cast<LPCWSTR>(u"999"));
    EXPECT_EQ(SendMessageW(upDown, UDM_GETPOS, 0, 0), MAKELONG(999, 0));
    SetWindowTextW(buddy, reinterpret_cast<LPCWSTR>(u"nine"));
    EXPECT_NE(HIWORD(SendMessageW(upDown, UDM_GETPOS, 0, 0)), 0);
}

TEST(TabWindow, UserSelectionAsksTheParent) {
    ParentWindow parent;
    HWND tab = parent.CreateChild(WC_TABCONTROLW, 0, 6, 300, 200);
    ASSERT_NE(tab, nullptr);
    const char* labels[] = {"General", "\xC0\xCF\xB9\xDD", "More"}; // "일반"
    for (int i = 0; i < 3; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = const_cast<char*>(labels[i]);
        item.lParam = i * 10;
        ASSERT_EQ(SendMessageA(tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item)), i);
    }
    EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 0);
    char16_t text[16] = {};
    TCITEMW read{};
    read.mask = TCIF_TEXT | TCIF_PARAM;
    read.pszText = reinterpret_cast<LPWSTR>(text);
    read.cchTextMax = 16;
    ASSERT_TRUE(SendMessageW(tab, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&read)));
    EXPECT_EQ(std::u16string(text), u"\uC77C\uBC18");
    EXPECT_EQ(read.lParam, 10);

    RECT second{};
    ASSERT_TRUE(SendMessageA(tab, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second)));
    struct Click {
        int item;
        bool refuse;
        std::vector<UINT> codes;
        int selected;
    } clicks[] = {
        {1, false, {TCN_SELCHANGING, TCN_SELCHANGE}, 1},
        {1, false, {}, 1},
        {2, true, {TCN_SELCHANGING}, 1},
        {0, false, {TCN_SELCHANGING, TCN_SELCHANGE}, 0},
    };
    for (const auto& c : clicks) {
        RECT r{};
        SendMessageA(tab, TCM_GETITEMRECT, c.item, reinterpret_cast<LPARAM>(&r));
        parent.events.clear();
        parent.answer = [&c](const testing::ParentEvent& e) {
            return e.code == TCN_SELCHANGING && c.refuse ? 1 : 0;
        };
        SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, testing::PointParam(r.left + 1, r.top + 1));
        EXPECT_EQ(parent.Codes(), c.codes) << c.item;
        EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), c.selected);
    }
    // TCM_SETCURSEL is silent and answers the previous selection.
    parent.events.clear();
    EXPECT_EQ(SendMessageA(tab, TCM_SETCURSEL, 2, 0), 0);
    EXPECT_EQ(SendMessageA(tab, TCM_SETCURSEL, 7, 0), -1);
    EXPECT_TRUE(parent.events.empty());
    RECT page{0, 0, 300, 200};
    SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    EXPECT_EQ(page.top, second.bottom + 4);
}

} // namespace
} // namespace qx::win32::commctrl
