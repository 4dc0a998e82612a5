// The grid read from the rendered table: page rectangles, metrics, the border hit test, the
// boundary arrays, the index walks and the line scans, scrolled or not.
#include "grid_fixture.h"

#include <vector>

namespace gridtest {
namespace {

using GridModel = GridFixture;

struct Rect4 {
    LONG left, top, width, height;
    bool operator==(const Rect4&) const = default;
};

Rect4 Of(const PageRect& r) {
    return {r.left, r.top, r.width, r.height};
}

TEST_F(GridModel, PageRectanglesOfTheFixture) {
    CTableEditor& editor = Load(Page(kFixtureTable));
    const struct {
        const char16_t* id;
        Rect4 rect;
    } cases[] = {{u"a", {13, 13, 54, 30}},
                 {u"b", {69, 13, 44, 30}},
                 {u"c", {13, 45, 100, 20}},
                 {u"t", {10, 10, 106, 58}}};
    for (const auto& c : cases)
        EXPECT_EQ(Of(editor.GetElementPageRect(Element(c.id).Get())), c.rect) << std::string(c.id, c.id + 1);
}

TEST_F(GridModel, TableMetricsReadAsTheLayoutDoes) {
    const struct {
        const char16_t* table;
        TableMetrics metrics;
    } cases[] = {
        {u"<table id=t>", {1, 2, 1, 0}},
        {u"<table id=t cellpadding=4 cellspacing=0 border=3>", {4, 0, 3, 0}},
        {u"<table id=t style=\"border-top-style:none\" border=2>", {1, 2, 0, 1}},
        {u"<table id=t cellspacing=-3 cellpadding=-1 border=-2>", {0, 0, 0, 0}},
        {u"<table id=t cellspacing=abc border=\"\">", {1, 2, 1, 0}},
    };
    for (const auto& c : cases) {
        Load(Page(std::u16string(c.table) + u"<tr><td id=x>x</td></tr></table>"));
        const TableMetrics m = GetTableMetrics(Element(u"t").Get());
        EXPECT_EQ(m.padding, c.metrics.padding);
        EXPECT_EQ(m.spacing, c.metrics.spacing);
        EXPECT_EQ(m.border, c.metrics.border);
        EXPECT_EQ(m.borderStyleNone, c.metrics.borderStyleNone);
    }
}

TEST_F(GridModel, TheRectangleWalkAddsAPixelForAnUnborderedNoneStyle) {
    CTableEditor& editor = Load(Page(u"<table id=t border=0 style=\"border-top-style:none\" cellspacing=2>"
                                     u"<tr><td id=x>x</td></tr></table>"));
    LONG left = 0, top = 0;
    Element(u"x")->get_offsetLeft(&left);
    Element(u"x")->get_offsetTop(&top);
    EXPECT_EQ(Of(editor.GetElementPageRect(Element(u"x").Get())).left, 10 + left + 1);
    EXPECT_EQ(Of(editor.GetElementPageRect(Element(u"x").Get())).top, 10 + top + 1);
}

TEST_F(GridModel, BorderHitBands) {
    const struct {
        unsigned short x, y;
        int hit;
    } cases[] = {
        {50, 9, kHitTop},       {50, 13, kHitTop},   {50, 14, kHitInside}, {50, 101, kHitBottom},
        {50, 97, kHitBottom},   {9, 50, kHitLeft},   {13, 50, kHitLeft},   {14, 50, kHitInside},
        {101, 50, kHitRight},   {97, 50, kHitRight}, {96, 50, kHitInside}, {10, 10, kHitTop},
        {100, 100, kHitBottom},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HitTestBorder(c.x, c.y, 10, 10, 100, 100), c.hit) << c.x << "," << c.y;
}

TEST_F(GridModel, BoundaryArrays) {
    const struct {
        std::u16string page;
        std::vector<int> y, x;
        std::vector<bool> xLive;
    } cases[] = {
        {Page(kFixtureTable), {11, 43, 65}, {12, 67, 113}, {true, true, true}},
        // Every row spans the first line: nothing ends at it.
        {Page(u"<table id=t><tr><td id=a colspan=2>aaaa</td><td>b</td></tr>"
              u"<tr><td colspan=2>cccc</td><td>d</td></tr></table>"),
         {},
         {},
         {true, false, true, true}},
        // Spacing wider than the border: the X pass probes inside the rows.
        {Page(u"<table id=t cellspacing=5 border=1><tr><td id=a>a</td><td>b</td><td>c</td></tr></table>"),
         {},
         {},
         {true, true, true, true}},
        {Page(u"<table id=t border=0 cellspacing=0><tr><td id=a>a</td></tr></table>", u"style=\"margin:0\""),
         {0, 18},
         {},
         {true, true}},
    };
    for (const auto& c : cases) {
        CTableEditor& editor = Load(c.page);
        editor.BuildBoundaryArrays(Element(u"t").Get());
        if (!c.y.empty()) {
            ASSERT_EQ(editor.m_ptYArray_len, static_cast<int>(c.y.size()));
            for (std::size_t i = 0; i < c.y.size(); ++i) {
                EXPECT_EQ(editor.m_ptYArray[i], c.y[i]) << i;
                EXPECT_TRUE(editor.m_ptYLive[i]) << i;
            }
        }
        for (std::size_t i = 0; i < c.x.size(); ++i)
            EXPECT_EQ(editor.m_ptXArray[i], c.x[i]) << i;
        ASSERT_EQ(editor.m_ptXArray_len, static_cast<int>(c.xLive.size()));
        for (std::size_t i = 0; i < c.xLive.size(); ++i)
            EXPECT_EQ(editor.m_ptXLive[i], c.xLive[i]) << i;
        EXPECT_TRUE(boxes_.Calls().empty());
    }
}

TEST_F(GridModel, ATableWithoutCellsHasEmptyArrays) {
    CTableEditor& editor = Load(Page(u"<table id=t><tr></tr></table><table id=u></table>"));
    for (const char16_t* id : {u"t", u"u"}) {
        editor.BuildBoundaryArrays(Element(id).Get());
        EXPECT_EQ(editor.m_ptXArray_len, 0);
        EXPECT_EQ(editor.m_ptYArray_len, 0);
        LONG lower = 77;
        EXPECT_EQ(editor.RowAtY(20, lower), -1);
        EXPECT_EQ(lower, 77);
    }
}

TEST_F(GridModel, RowAtYSearchesTheRowBoundaries) {
    CTableEditor& editor = Load(Page(kFixtureTable));
    editor.BuildBoundaryArrays(Element(u"t").Get());
    const struct {
        LONG y;
        int row;
        LONG lower;
    } cases[] = {{42, 0, 43}, {11, -1, 11}, {13, 0, 43}, {44, 0, 43}, {45, 1, 65}, {66, 1, 65}, {67, -1, 99}};
    for (const auto& c : cases) {
        LONG lower = 99;
        EXPECT_EQ(editor.RowAtY(c.y, lower), c.row) << c.y;
        EXPECT_EQ(lower, c.lower) << c.y;
    }
}

TEST_F(GridModel, IndexWalksCountSpansAndFailOnAMiss) {
    CTableEditor& editor = Load(Page(u"<table id=t><tr><td id=r rowspan=2 colspan=2>rr</td><td id=p>p</td>"
                                     u"<td id=q>q</td></tr><tr><td id=s>s</td><td id=u>u</td></tr>"
                                     u"<tr><td id=v colspan=4>v</td></tr></table>"
                                     u"<table id=o><tr><td id=outer><table><tr><td id=inner>i</td></tr>"
                                     u"</table></td></tr></table>"));
    const struct {
        const char16_t* id;
        int column, columnSpan, row, rowSpan;
    } cases[] = {
        {u"r", 2, 2, 2, 2}, {u"p", 3, 1, 1, 1}, {u"q", 4, 1, 1, 1},     {u"s", 3, 1, 2, 1},
        {u"u", 4, 1, 2, 1}, {u"v", 4, 4, 3, 1}, {u"inner", 1, 1, 1, 1},
    };
    for (const auto& c : cases) {
        int span = 0;
        EXPECT_EQ(editor.CellColumnIndex(Element(c.id).Get(), span), c.column) << std::string(c.id, c.id + 1);
        EXPECT_EQ(span, c.columnSpan);
        EXPECT_EQ(editor.CellRowIndex(Element(c.id).Get(), span), c.row) << std::string(c.id, c.id + 1);
        EXPECT_EQ(span, c.rowSpan);
    }
    // A cell out of the layout (display none) is met by no probe.
    Load(Page(u"<table id=t><tr><td id=a>a</td><td id=h style=\"display:none\">h</td></tr></table>"));
    int span = 0;
    EXPECT_EQ(editor_->CellColumnIndex(Element(u"h").Get(), span), -1);
}

TEST_F(GridModel, ARowLongerThanTheFirstIsReportedAndTheCellsPrepared) {
    CTableEditor& editor = Load(Page(u"<table id=t><tr><td id=a>a</td></tr>"
                                     u"<tr><td id=b>b</td><td id=c>c&lt;</td></tr></table>"));
    SetActiveWindow(window_->hwnd());
    editor.BuildBoundaryArrays(Element(u"t").Get());
    const auto calls = boxes_.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].text, "c&lt; - m_ptXArray_len == totalIdx");
    EXPECT_EQ(calls[0].caption, "problem");
    EXPECT_EQ(calls[1].text, "Fixed the space in cell(TD)");
    EXPECT_EQ(calls[1].caption, "fix");
    for (const auto& call : calls)
        EXPECT_EQ(call.owner, GetActiveWindow());
    for (const char16_t* id : {u"a", u"b", u"c"})
        EXPECT_EQ(Attribute(id, u"vAlign"), "middle");
}

TEST_F(GridModel, ColumnScans) {
    const struct {
        std::u16string page;
        const char16_t* current;
        int whole;
        LONG x, from, to;
        std::vector<std::string> ids;
    } cases[] = {
        {Page(kFixtureTable), u"a", 1, 67, 13, 43, {"a", "c"}},
        {Page(kFixtureTable), u"a", 1, 71, 13, 43, {"b", "c"}},
        {Page(kFixtureTable), u"a", 0, 67, 15, 43, {"a"}},
        {Page(kFixtureTable), u"a", 0, 67, 15, 50, {"a", "c"}},
        {Page(kFixtureTable), u"a", 0, 67, 15, 30, {"a"}},
        // A nested table's cells count as their outer cell, once.
        {Page(u"<table id=t><tr><td id=o><table><tr><td>1</td></tr><tr><td>2</td></tr></table></td></tr>"
              u"<tr><td id=n>n</td></tr></table>"),
         u"o",
         1,
         16,
         0,
         0,
         {"o", "n"}},
    };
    for (const auto& c : cases) {
        CTableEditor& editor = Load(c.page);
        Select(c.current);
        EXPECT_EQ(editor.ScanColumnCells(c.whole, c.x, c.from, c.to), 1);
        std::vector<std::string> ids;
        for (const CCellRecord& record : editor.ScanResult())
            ids.push_back(IdOf(record));
        EXPECT_EQ(ids, c.ids);
    }
    CTableEditor& editor = Load(Page(kFixtureTable));
    Select(u"a");
    editor.BuildBoundaryArrays(Element(u"t").Get());
    ASSERT_EQ(editor.ScanColumnCells(1, 67, 13, 43), 1);
    const auto& records = editor.ScanResult();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].columnSpan, 2);
    EXPECT_EQ(records[1].firstIndex, 0);
    EXPECT_EQ(records[1].lastIndex, 2);
    EXPECT_EQ(records[0].lastIndex, 1);
    EXPECT_EQ(records[0].nextBoundary, 2);
    EXPECT_EQ(records[0].distanceBefore, 67 - 12);
    EXPECT_EQ(records[0].distanceAfter, 113 - 67);
    EXPECT_EQ(records[0].left, 13);
    EXPECT_EQ(records[0].width, 54);
    EXPECT_EQ(records[0].overlaps, 1);
}

TEST_F(GridModel, RowScans) {
    CTableEditor& editor =
        Load(Page(u"<table id=t cellspacing=2><tr><td id=n style=\"width:6px;padding:0\"></td>"
                  u"<td id=m>mmmm</td><td id=k>k</td></tr></table>"));
    Select(u"m");
    const PageRect narrow = editor.GetElementPageRect(Element(u"n").Get());
    ASSERT_LE(narrow.width, 8);
    ASSERT_EQ(editor.ScanRowCells(1, narrow.top + 5, 0, 0), 1);
    std::vector<std::string> ids;
    for (const CCellRecord& record : editor.ScanResult())
        ids.push_back(IdOf(record));
    EXPECT_EQ(ids, (std::vector<std::string>{"n", "m", "k"}));
    // Outside every cell: nothing is recorded.
    EXPECT_EQ(editor.ScanRowCells(0, narrow.top + 5, 1, 500), 0);
    EXPECT_TRUE(editor.ScanResult().empty());
}

TEST_F(GridModel, ScansWithoutArraysOfTheirTableLeaveTheDistancesAtZero) {
    CTableEditor& editor =
        Load(Page(std::u16string(kFixtureTable) + u"<table id=u><tr><td>q</td></tr></table>"));
    Select(u"a");
    EXPECT_EQ(editor.ScanColumnCells(1, 67, 13, 43), 1);
    editor.BuildBoundaryArrays(Element(u"u").Get());
    EXPECT_EQ(editor.ScanRowCells(1, 20, 13, 100), 1);
    for (const CCellRecord& record : editor.ScanResult()) {
        EXPECT_EQ(record.nextBoundary, -1);
        EXPECT_EQ(record.distanceBefore, 0);
        EXPECT_EQ(record.distanceAfter, 0);
    }
    // A fresh engine has no current table: no cell at the start.
    CTableEditor fresh(owner_);
    fresh.Attach(document_.Get());
    EXPECT_EQ(fresh.ScanColumnCells(1, 67, 13, 43), 0);
}

TEST_F(GridModel, ScansAndArraysDoNotDependOnTheScroll) {
    const std::u16string page =
        Page(std::u16string(kFixtureTable) + u"<img width=1200 height=1200>", u"leftmargin=60 topmargin=200");
    auto snapshot = [&](CTableEditor& editor) {
        std::vector<int> out;
        Select(u"a");
        const PageRect a = editor.GetElementPageRect(Element(u"a").Get());
        editor.BuildBoundaryArrays(Element(u"t").Get());
        out.insert(out.end(), editor.m_ptXArray.begin(), editor.m_ptXArray.end());
        out.insert(out.end(), editor.m_ptYArray.begin(), editor.m_ptYArray.end());
        for (int pass = 0; pass < 3; ++pass) {
            if (pass == 0)
                editor.ScanColumnCells(1, a.Right(), a.top, a.Bottom());
            else if (pass == 1)
                editor.ScanRowCells(1, a.top + 5, 0, 0);
            else
                editor.ScanRowCells(0, a.top + 5, a.left, a.Right() + 10);
            for (const CCellRecord& r : editor.ScanResult())
                out.insert(out.end(), {r.left, r.top, r.width, r.height, r.firstIndex, r.lastIndex,
                                       r.nextBoundary, r.distanceBefore, r.distanceAfter, r.overlaps});
            out.push_back(-9);
        }
        return out;
    };
    CTableEditor& editor = Load(page);
    const std::vector<int> expected = snapshot(editor);
    EXPECT_EQ(expected[0], 62); // X[0] = 60 + border + 1
    for (auto [left, top] : {std::pair<LONG, LONG>{25, 40}, {0, 150}, {0, 900}}) {
        Scroll(left, top);
        const auto before = ScrollNow();
        EXPECT_EQ(snapshot(editor), expected) << left << "," << top;
        EXPECT_EQ(ScrollNow(), before);
    }
}

} // namespace
} // namespace gridtest
