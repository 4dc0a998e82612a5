#include "dialog_fixture.h"

#include "qx/win32/dialog_template.h"
#include "qx/win32/dialog_units.h"
#include "winerror.h"
#include "winresource.h"
#include "winuser_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using namespace qx::win32;
using namespace qx::win32::testing;

constexpr DWORD kChild = 0x40000000, kVisible = 0x10000000, kTabStop = 0x10000, kSetFont = 0x40;

std::span<const std::byte> ResourceBytes(int id) {
    HMODULE module = DialogFixtureModule();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
    EXPECT_NE(found, nullptr);
    return {static_cast<const std::byte*>(LockResource(LoadResource(module, found))),
            SizeofResource(module, found)};
}

TEST(DialogTemplate, KoreanTemplateIsFoundFirstAndReadWhole) {
    std::string problem;
    auto t = LoadDialogTemplate(DialogFixtureModule(), MAKEINTRESOURCEW(kTableDialog), problem);
    ASSERT_TRUE(t) << problem;
    EXPECT_TRUE(t->extended);
    EXPECT_EQ(t->caption, u"표 만들기");
    EXPECT_TRUE(t->hasFont);
    EXPECT_EQ(t->typeface, u"굴림");
    EXPECT_EQ(t->pointSize, 9);
    EXPECT_EQ(t->style, 0x80C80080u | kSetFont);
    EXPECT_EQ(t->cx, 200);
    EXPECT_EQ(t->cy, 120);
    struct Expected {
        const char16_t* cls;
        DWORD id;
        const char16_t* text;
        short x, y, cx, cy;
        DWORD style;
    };
    const Expected expected[] = {
        {u"STATIC", 65535, u"이름:", 7, 9, 30, 8, kChild | kVisible},
        {u"EDIT", 100, u"", 40, 7, 100, 12, kChild | kVisible | kTabStop | 0x00800000 | 0x80},
        {u"BUTTON", 101, u"머리글", 7, 25, 60, 10, kChild | kVisible | kTabStop | 3},
        {u"BUTTON", 102, u"가로", 7, 40, 50, 10, kChild | kVisible | kTabStop | 0x20000 | 9},
        {u"BUTTON", 103, u"세로", 60, 40, 50, 10, kChild | kVisible | 9},
        {u"COMBOBOX", 104, u"", 7, 55, 100, 60, kChild | kVisible | kTabStop | 0x20000 | 3 | 0x00200000},
        {u"LISTBOX", 105, u"", 7, 70, 100, 40, kChild | kVisible | kTabStop | 1 | 0x00800000},
        {u"BUTTON", 1, u"확인", 143, 7, 50, 14, kChild | kVisible | kTabStop | 0x20000 | 1},
        {u"BUTTON", 2, u"취소", 143, 24, 50, 14, kChild | kVisible | kTabStop},
    };
    ASSERT_EQ(t->items.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto& item = t->items[i];
        const auto& e = expected[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(item.ClassName(), e.cls);
        EXPECT_TRUE(item.windowClass.IsOrdinal());
        EXPECT_EQ(item.id, e.id);
        EXPECT_EQ(item.text.text, e.text);
        EXPECT_EQ((std::vector<short>{item.x, item.y, item.cx, item.cy}),
                  (std::vector<short>{e.x, e.y, e.cx, e.cy}));
        EXPECT_EQ(item.style, e.style);
    }
}

TEST(DialogTemplate, NeutralTemplateNamedClassesAndHiddenControls) {
    std::string problem;
    auto t = LoadDialogTemplate(DialogFixtureModule(), MAKEINTRESOURCEA(kNeutralDialog), problem);
    ASSERT_TRUE(t) << problem;
    EXPECT_EQ(t->caption, u"Neutral only");
    EXPECT_FALSE(t->hasFont);
    ASSERT_EQ(t->items.size(), 2u);
    EXPECT_EQ(t->items[0].style & kVisible, 0u);
    EXPECT_EQ(t->items[0].style & kChild, kChild);
    EXPECT_FALSE(t->items[1].windowClass.IsOrdinal());
    EXPECT_EQ(t->items[1].ClassName(), u"QxTestPanel");
}

TEST(DialogTemplate, MissingAndDamagedTemplatesFailWithTheirErrors) {
    struct Case {
        int id;
        DWORD error;
        const char* says;
    };
    const Case cases[] = {
        {999, ERROR_RESOURCE_NAME_NOT_FOUND, "dialog 999: no such dialog resource"},
        {kDamagedDialog, ERROR_INVALID_DATA, "dialog 302: dialog template: the header runs past the end"},
    };
    for (const auto& c : cases) {
        std::string problem;
        SetLastError(0);
        EXPECT_FALSE(LoadDialogTemplate(DialogFixtureModule(), MAKEINTRESOURCEW(c.id), problem));
        EXPECT_EQ(GetLastError(), c.error) << c.id;
        EXPECT_EQ(problem.rfind(c.says, 0), 0u) << problem;
    }
}

TEST(DialogTemplate, EveryCutOfAValidTemplateFailsAndSaysWhere) {
    auto bytes = ResourceBytes(kTableDialog);
    std::string problem;
    ASSERT_TRUE(ParseDialogTemplate(bytes, problem));
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        problem.clear();
        EXPECT_FALSE(ParseDialogTemplate(bytes.first(size), problem)) << size;
        EXPECT_NE(problem.find("runs past the end of the template"), std::string::npos) << size;
    }
    problem.clear();
    std::vector<std::byte> badVersion(bytes.begin(), bytes.end());
    badVersion[0] = std::byte{2};
    EXPECT_FALSE(ParseDialogTemplate(badVersion, problem));
    EXPECT_EQ(problem, "dialog template: version 2 is not 1");
}

// An old-style template built in memory, as a program hands it to DialogBoxIndirectParam.
TEST(DialogTemplate, OldLayoutFromMemory) {
    const WORD words[] = {
        0x0040, 0x80C0, 0,    0,        // style (DS_SETFONT | WS_POPUP | WS_CAPTION), extended style
        1,      5,      6,    100,  40, // one control, x y cx cy
        0,      0,      u'H', u'i', 0,  // no menu, the dialog class, caption "Hi"
        8,      u'A',   0,              // 8 pt "A"
        0,                              // pad to a DWORD
        0x0001, 0x5001, 0,    0,        // control style, extended style
        2,      3,      30,   10,   7,  // x y cx cy id
        0xFFFF, 0x0080, u'G', u'o', 0,  0};
    std::string problem;
    auto t = ParseDialogTemplateAt(words, problem);
    ASSERT_TRUE(t) << problem;
    EXPECT_FALSE(t->extended);
    EXPECT_EQ(t->caption, u"Hi");
    EXPECT_EQ(t->typeface, u"A");
    ASSERT_EQ(t->items.size(), 1u);
    EXPECT_EQ(t->items[0].ClassName(), u"BUTTON");
    EXPECT_EQ(t->items[0].text.text, u"Go");
    EXPECT_EQ(t->items[0].id, 7u);
    EXPECT_EQ(t->items[0].style, 0x50010001u);
}

TEST(DialogUnits, FollowTheFixedTextMetrics) {
    struct Case {
        WORD points;
        int cx, cy;
        int x4, y8, x7, y13;
    };
    const Case cases[] = {
        {9, 6, 15, 6, 15, 11, 24},  // 12 px
        {10, 7, 16, 7, 16, 12, 26}, // 13 px, the system font
        {0, 7, 16, 7, 16, 12, 26},  // no font: the system font
        {12, 8, 19, 8, 19, 14, 31}, // 16 px
    };
    for (const auto& c : cases) {
        auto base = BaseUnitsForFont(c.points);
        EXPECT_EQ(base.cx, c.cx) << c.points;
        EXPECT_EQ(base.cy, c.cy) << c.points;
        EXPECT_EQ(DialogUnitsToPixelsX(4, base), c.x4);
        EXPECT_EQ(DialogUnitsToPixelsY(8, base), c.y8);
        EXPECT_EQ(DialogUnitsToPixelsX(7, base), c.x7);
        EXPECT_EQ(DialogUnitsToPixelsY(13, base), c.y13);
    }
    EXPECT_EQ(GetDialogBaseUnits(), (16 << 16) | 7);
}

} // namespace
