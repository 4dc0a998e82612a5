#include "qx/commctrl/tab_model.h"
#include "qx/commctrl/up_down_model.h"

#include <gtest/gtest.h>

namespace qx::win32::commctrl {
namespace {

TEST(UpDownModel, ArrowsMoveTowardsTheEndPressed) {
    struct Case {
        int lower, upper, position;
        bool wrap, up;
        int delta, landing;
    } cases[] = {
        // The default range runs from 100 down to 0: up moves towards 0.
        {100, 0, 50, false, true, -1, 49},
        {0, 100, 50, false, true, 1, 51},
        {0, 100, 100, false, true, 1, 100},
        {0, 100, 100, true, true, 1, 0},
        {0, 100, 0, true, false, -1, 100},
        {0, 100, 0, false, false, -1, 0},
        {-5, 5, -5, false, false, -1, -5},
        {-2147483647 - 1, 2147483647, 2147483647, false, true, 1, 2147483647},
    };
    for (const auto& c : cases) {
        UpDownModel model;
        model.SetRange(c.lower, c.upper);
        model.SetWrap(c.wrap);
        model.SetPosition(c.position);
        int delta = model.ProposedDelta(c.up);
        EXPECT_EQ(delta, c.delta);
        EXPECT_EQ(model.Landing(delta), c.landing) << c.lower << ".." << c.upper << " at " << c.position;
    }
}

TEST(UpDownModel, PositionStaysInRange) {
    UpDownModel model;
    EXPECT_EQ(model.Lower(), 100);
    EXPECT_EQ(model.Upper(), 0);
    EXPECT_EQ(model.SetPosition(150), 0);
    EXPECT_EQ(model.Position(), 100);
    model.SetRange(0, 10);
    EXPECT_EQ(model.Position(), 10);
    EXPECT_EQ(model.SetPosition(-3), 10);
    EXPECT_EQ(model.Position(), 0);
}

TEST(UpDownModel, BuddyTexts) {
    struct Case {
        int position;
        bool thousands;
        std::u16string text;
    } cases[] = {{0, true, u"0"},
                 {999, true, u"999"},
                 {1000, true, u"1,000"},
                 {-1234567, true, u"-1,234,567"},
                 {1234567, false, u"1234567"}};
    for (const auto& c : cases) {
        EXPECT_EQ(UpDownBuddyText(c.position, c.thousands), c.text);
        EXPECT_EQ(ParseUpDownBuddyText(c.text), c.position);
    }
    struct Parse {
        std::u16string text;
        std::optional<int> value;
    } parses[] = {{u" 42 ", 42},
                  {u"+7", 7},
                  {u"", std::nullopt},
                  {u"12a", std::nullopt},
                  {u"-", std::nullopt},
                  {u"99999999999", std::nullopt},
                  {u"-2147483648", -2147483647 - 1}};
    for (const auto& p : parses) {
        EXPECT_EQ(ParseUpDownBuddyText(p.text), p.value);
    }
}

TEST(TabModel, SelectionFollowsInsertAndDelete) {
    TabModel tabs;
    struct Step {
        char op; // i(nsert) d(elete) s(elect)
        int index;
        int result;
        int selected;
    } steps[] = {
        {'i', 0, 0, 0}, {'i', 5, 1, 0},  {'i', 0, 0, 1},    {'s', 2, 1, 2},  {'s', 3, -1, 2},
        {'d', 0, 1, 1}, {'d', 1, 1, -1}, {'i', -1, -1, -1}, {'s', 0, -1, 0}, {'s', -1, 0, -1},
    };
    for (const auto& s : steps) {
        int result = s.op == 'i'   ? tabs.Insert(s.index, TabItem{u"t"})
                     : s.op == 'd' ? static_cast<int>(tabs.Delete(s.index))
                                   : tabs.Select(s.index);
        EXPECT_EQ(result, s.result) << s.op << s.index;
        EXPECT_EQ(tabs.Selected(), s.selected) << s.op << s.index;
    }
}

TEST(TabModel, Geometry) {
    TabModel tabs;
    tabs.Insert(0, TabItem{u"General"});      // 7 narrow characters: 42 px
    tabs.Insert(1, TabItem{u"\uC77C\uBC18"}); // two Hangul syllables: 24 px
    RECT r{};
    ASSERT_TRUE(tabs.ItemRect(0, r));
    EXPECT_EQ(r.right, 56);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.bottom, 2 + 15 + 6);
    ASSERT_TRUE(tabs.ItemRect(1, r));
    EXPECT_EQ(r.left, 56);
    EXPECT_EQ(r.right, 56 + 36);
    EXPECT_FALSE(tabs.ItemRect(2, r));
    EXPECT_EQ(tabs.HitTest(POINT{55, 10}), 0);
    EXPECT_EQ(tabs.HitTest(POINT{56, 10}), 1);
    EXPECT_EQ(tabs.HitTest(POINT{56, 30}), -1);

    RECT window{0, 0, 300, 200};
    tabs.AdjustRect(false, window);
    EXPECT_EQ(window.left, 4);
    EXPECT_EQ(window.top, 2 + 21 + 4);
    EXPECT_EQ(window.right, 296);
    EXPECT_EQ(window.bottom, 196);
    tabs.AdjustRect(true, window);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    EXPECT_EQ(window.right, 300);
    EXPECT_EQ(window.bottom, 200);
}

} // namespace
} // namespace qx::win32::commctrl
