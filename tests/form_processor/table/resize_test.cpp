// Column and row resizes: the border move of keys and drags, all or nothing for columns, the
// narrowest cell, row heights, and the written widths as Chromium lays them out.
#include "chromium_rects.h"
#include "grid_fixture.h"

namespace gridtest {
namespace {

using Resizes = GridFixture;

TEST_F(Resizes, BorderMovesOfTheFirstColumn) {
    const struct {
        std::vector<LONG> deltas;
        const char *table, *a, *b, *c;
        LONG boxA, boxB;
    } cases[] = {
        {{10}, "106", "60", "30", "<absent>", 64, 34},     {{1}, "106", "51", "39", "<absent>", 55, 43},
        {{1, -1}, "106", "50", "40", "<absent>", 54, 44},  {{-3}, "106", "47", "43", "<absent>", 51, 47},
        {{0}, "<absent>", "50", "40", "<absent>", 54, 44},
    };
    for (const auto& c : cases) {
        CTableEditor& editor = Load(Page(kFixtureTable));
        Select(u"a");
        for (LONG delta : c.deltas)
            editor.ApplyBorderDrag(kHitRight, delta);
        EXPECT_EQ(Attribute(u"t", u"width"), c.table);
        EXPECT_EQ(Attribute(u"a", u"width"), c.a);
        EXPECT_EQ(Attribute(u"b", u"width"), c.b);
        EXPECT_EQ(Attribute(u"c", u"width"), c.c);
        EXPECT_EQ(Offset(u"a", &IHTMLElement::get_offsetWidth), c.boxA);
        EXPECT_EQ(Offset(u"b", &IHTMLElement::get_offsetWidth), c.boxB);
        EXPECT_EQ(Offset(u"t", &IHTMLElement::get_offsetWidth), 106);
    }
}

TEST_F(Resizes, ChromiumLaysOutTheWrittenWidthsAlike) {
    CTableEditor& editor = Load(Page(kFixtureTable));
    Select(u"a");
    editor.ApplyBorderDrag(kHitRight, 10);
    Bstr html;
    auto root = ComPtr<IHTMLDocument3>::QueryFrom(document_.Get());
    ComPtr<IDispatch> rootObject;
    root->get_documentElement(&rootObject);
    ComPtr<IHTMLElement>::QueryFrom(rootObject.Get())->get_outerHTML(&html);
    const ChromiumRects rects = ChromiumPageRects(Utf8(html));
    if (rects.empty())
        GTEST_SKIP() << "chromium is not installed";
    for (const char16_t* id : {u"a", u"b", u"c", u"t"}) {
        const PageRect ours = editor.GetElementPageRect(Element(id).Get());
        const auto& theirs = rects.at(Utf8(Bstr(id)));
        // Text heights follow each browser's font; places and widths must agree.
        EXPECT_EQ((std::array<long, 3>{ours.left, ours.top, ours.width}),
                  (std::array<long, 3>{theirs[0], theirs[1], theirs[2]}))
            << Utf8(Bstr(id));
    }
}

TEST_F(Resizes, ARefusedStepWritesNothing) {
    // 15-px boxes with padding 1: 15 - 4 - 10 < 8.
    CTableEditor& editor = Load(Page(u"<table id=t border=1><tr><td id=p width=11>p</td>"
                                     u"<td id=q width=11>q</td></tr></table>"));
    Select(u"p");
    ASSERT_EQ(Offset(u"p", &IHTMLElement::get_offsetWidth), 15);
    ASSERT_EQ(editor.ScanColumnCells(1, 28, 13, 28), 1);
    const std::string before = BodyHtml();
    EXPECT_EQ(editor.ChangeColumnWidth(-10), 0);
    EXPECT_EQ(BodyHtml(), before);
}

TEST_F(Resizes, NarrowingBelowTheNarrowestContentChangesNothing) {
    CTableEditor& editor = Load(Page(
        u"<table id=t border=1><tr><td id=p width=8><img width=8 height=8></td><td id=q width=30>q</td></tr>"
        u"<tr><td id=r colspan=2>r</td></tr></table>"));
    Select(u"p");
    const std::string before = BodyHtml();
    for (int i = 0; i < 5; ++i)
        editor.ApplyBorderDrag(kHitRight, -1);
    EXPECT_EQ(BodyHtml(), before);
    // Growing the last column: the right side refuses nothing, so the table grows.
    Select(u"q");
    editor.ApplyBorderDrag(kHitRight, 2);
    EXPECT_EQ(Attribute(u"q", u"width"), "32");
    EXPECT_EQ(Attribute(u"t", u"width"), "56"); // 54 + 2
}

TEST_F(Resizes, RowHeights) {
    const struct {
        const char16_t* table;
        LONG delta;
        LONG expected; // height written, from the measured box height
    } cases[] = {
        {u"<table id=t cellpadding=0 cellspacing=0>", 1, 1},
        {u"<table id=t cellpadding=0 cellspacing=0>", -1, -1},
        {u"<table id=t cellpadding=1 cellspacing=2>", 1, 1 - 1 + 2},
    };
    for (const auto& c : cases) {
        CTableEditor& editor = Load(
            Page(std::u16string(c.table) + u"<tr><td id=p height=20>p</td><td id=q>q</td></tr></table>"));
        Select(u"p");
        const LONG measured = Offset(u"p", &IHTMLElement::get_offsetHeight);
        editor.ApplyBorderDrag(kHitBottom, c.delta);
        EXPECT_EQ(Attribute(u"p", u"height"), std::to_string(measured + c.expected));
        EXPECT_EQ(Attribute(u"q", u"height"), std::to_string(measured + c.expected));
    }
    // Never below 8.
    CTableEditor& editor =
        Load(Page(u"<table id=t cellpadding=0 cellspacing=0><tr><td id=p height=9>p</td></tr></table>"));
    Select(u"p");
    editor.ScanRowCells(1, 13, 0, 0);
    editor.ChangeRowHeight(-50);
    EXPECT_EQ(Attribute(u"p", u"height"), "8");
}

TEST_F(Resizes, NoCurrentCellNoChange) {
    CTableEditor& editor = Load(Page(kFixtureTable));
    const std::string before = BodyHtml();
    editor.ApplyBorderDrag(kHitRight, 5);
    editor.ApplyBorderDrag(kHitBottom, 5);
    Select(u"a");
    editor.ApplyBorderDrag(kHitLeft, 5);
    editor.ApplyBorderDrag(kHitTop, 5);
    EXPECT_EQ(BodyHtml(), before);
}

} // namespace
} // namespace gridtest
