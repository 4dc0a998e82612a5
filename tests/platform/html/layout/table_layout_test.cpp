// Table geometry against the reference numbers the old browser's table model gives (quirks mode,
// body margin 10).
#include "layout_fixture.h"

namespace qx::html::layout::testing {
namespace {

struct Expected {
    const char16_t* id;
    int left, top, width, height;
};

struct TableCase {
    const char* name;
    std::u16string html;
    std::vector<Expected> boxes; // offsetLeft, offsetTop, offsetWidth, offsetHeight
    int tableClientLeft;
};

constexpr const char16_t* kRow = u"<tr><td id=a width=50 height=30></td><td id=b width=40></td></tr>";

std::u16string Body(std::u16string_view table) {
    return u"<html><body leftmargin=10 topmargin=10>" + std::u16string(table) + u"</body></html>";
}

std::vector<TableCase> ReferenceTables() {
    return {
        {"separated border 1 with a spanning row",
         u"<table id=t border=1 cellpadding=1 cellspacing=2><tr><td id=a width=50 height=30></td>"
         u"<td id=b width=40></td></tr><tr><td id=c colspan=2 height=20></td></tr></table>",
         {{u"a", 2, 2, 54, 30}, {u"b", 58, 2, 44, 30}, {u"c", 2, 34, 100, 20}, {u"t", 10, 10, 106, 58}},
         1},
        {"border 1 without padding or spacing",
         u"<table id=t border=1 cellpadding=0 cellspacing=0>" + std::u16string(kRow) + u"</table>",
         {{u"a", 0, 0, 52, 30}, {u"b", 52, 0, 42, 30}, {u"t", 10, 10, 96, 32}},
         1},
        {"no border",
         u"<table id=t border=0 cellpadding=1 cellspacing=2>" + std::u16string(kRow) + u"</table>",
         {{u"a", 2, 2, 52, 30}, {u"b", 56, 2, 42, 30}, {u"t", 10, 10, 100, 34}},
         0},
        {"collapsed borders, two rows",
         u"<table id=t border=1 cellpadding=1 cellspacing=2 style=\"border-collapse: collapse\">" +
             std::u16string(kRow) +
             u"<tr><td id=c width=50 height=30></td><td id=d width=40></td></tr></table>",
         {{u"a", 0, 0, 53, 30}, {u"b", 53, 0, 43, 30}, {u"c", 0, 30, 53, 30}, {u"t", 10, 10, 97, 61}},
         1},
        {"border 3, padding 2",
         u"<table id=t border=3 cellpadding=2 cellspacing=2>" + std::u16string(kRow) + u"</table>",
         {{u"a", 2, 2, 56, 30}, {u"b", 60, 2, 46, 30}, {u"t", 10, 10, 114, 40}},
         3},
        {"fixed layout, COL widths spread over a wider table",
         u"<table id=t border=1 width=200 style=\"table-layout: fixed\"><colgroup><col width=60><col "
         u"width=50>"
         u"</colgroup><tr><td id=a></td><td id=b></td></tr></table>",
         {{u"a", 2, 2, 105, 4}, {u"b", 109, 2, 87, 4}, {u"t", 10, 10, 200, 10}},
         1},
        {"fixed layout, COL widths wider than the table",
         u"<table id=t border=1 width=100 style=\"table-layout: fixed\"><colgroup><col width=60><col "
         u"width=50>"
         u"</colgroup><tr><td id=a></td><td id=b></td></tr></table>",
         {{u"a", 2, 2, 60, 4}, {u"b", 64, 2, 50, 4}, {u"t", 10, 10, 118, 10}},
         1},
        {"fixed layout from the first row's cells, a spanning cell divided equally",
         u"<table id=t border=0 cellpadding=0 cellspacing=0 style=\"table-layout: fixed\"><tr>"
         u"<td id=a colspan=2 width=80><img width=300 height=5></td><td id=b width=30></td></tr>"
         u"<tr><td id=c></td><td id=d></td><td></td></tr></table>",
         {{u"a", 0, 0, 80, 5},
          {u"c", 0, 5, 40, 0},
          {u"d", 40, 5, 40, 0},
          {u"b", 80, 0, 30, 5},
          {u"t", 10, 10, 110, 5}},
         0},
        {"automatic layout, fixed columns share a wider table by their widths",
         u"<table id=t border=1 width=300>" + std::u16string(kRow) + u"</table>",
         {{u"a", 2, 2, 161, 30}, {u"b", 165, 2, 131, 30}, {u"t", 10, 10, 300, 36}},
         1},
        {"automatic layout, the auto column takes the extra",
         u"<table id=t border=0 cellpadding=0 cellspacing=0 width=200><tr><td id=a width=50></td>"
         u"<td id=b><img width=20 height=10></td></tr></table>",
         {{u"a", 0, 0, 50, 10}, {u"b", 50, 0, 150, 10}},
         0},
        {"automatic layout, too narrow: columns between min and preferred",
         u"<table id=t border=0 cellpadding=0 cellspacing=0 width=50><tr><td id=a>aaaa bbbb</td>"
         u"<td id=b>cc dd</td></tr></table>",
         {{u"a", 0, 0, 33, 32}, {u"b", 33, 0, 17, 32}},
         0},
        {"automatic layout, narrower than the minimum: the table grows",
         u"<table id=t border=0 cellpadding=0 cellspacing=0 width=10><tr><td id=a><img width=40 height=1>"
         u"</td><td id=b><img width=30 height=1></td></tr></table>",
         {{u"a", 0, 0, 40, 1}, {u"b", 40, 0, 30, 1}, {u"t", 10, 10, 70, 1}},
         0},
        {"a rowspan-2 cell over two empty rows puts its need on the last",
         u"<table id=t border=0 cellpadding=0 cellspacing=2><tr><td id=a rowspan=2 height=100></td>"
         u"<td id=b></td></tr><tr><td id=c></td></tr></table>",
         {{u"a", 2, 2, 0, 100}, {u"b", 4, 2, 0, 0}, {u"c", 4, 4, 0, 98}},
         0},
        {"a rowspan-2 cell's need goes to its rows in proportion to their heights, snapped",
         u"<table id=t border=0 cellpadding=0 cellspacing=5><tr><td id=a rowspan=2><img width=10 "
         u"height=100></td><td id=b><img width=10 height=10></td></tr><tr><td id=c><img width=10 "
         u"height=30></td></tr></table>",
         {{u"a", 5, 5, 10, 100}, {u"b", 20, 5, 10, 24}, {u"c", 20, 34, 10, 71}, {u"t", 10, 10, 35, 110}},
         0},
        {"rows with a height of their own grow only when no other row has height",
         u"<table id=t border=0 cellpadding=0 cellspacing=0><tr><td id=a rowspan=3><img width=10 "
         u"height=100></td><td id=b></td></tr><tr><td id=c height=20></td></tr><tr><td id=d><img "
         u"width=10 height=10></td></tr><tr><td id=e rowspan=3><img width=10 height=100></td><td "
         u"id=f height=10></td></tr><tr><td id=g height=20></td></tr><tr><td id=h></td></tr></table>",
         {{u"b", 10, 0, 10, 0},
          {u"c", 10, 0, 10, 20},
          {u"d", 10, 20, 10, 80},
          {u"f", 10, 100, 10, 33},
          {u"g", 10, 133, 10, 67},
          {u"h", 10, 200, 10, 0}},
         0},
        {"a spanning cell's minimum grows fixed columns first, then the others",
         u"<table id=t border=0 cellpadding=0 cellspacing=0 width=1><tr><td id=a colspan=2><img width=100 "
         u"height=10></td></tr><tr><td id=b width=50><img width=10 height=10></td><td id=c><img width=30 "
         u"height=10></td></tr><tr><td id=d colspan=2><img width=100 height=10></td></tr></table>"
         u"<table id=u border=0 cellpadding=0 cellspacing=0 width=1><tr><td colspan=2><img width=100 "
         u"height=10></td></tr><tr><td id=e width=50><img width=10 height=10></td><td id=f width=70><img "
         u"width=30 height=10></td></tr></table>",
         {{u"b", 0, 10, 50, 10}, {u"c", 50, 10, 50, 10}, {u"e", 0, 10, 40, 10}, {u"f", 40, 10, 60, 10}},
         0},
        {"a spanning cell's preferred width goes to the columns without a pixel width",
         u"<table id=t border=0 cellpadding=0 cellspacing=0><tr><td colspan=3><img width=100 "
         u"height=10></td></tr><tr><td id=a width=20><img width=10 height=10></td><td id=b></td><td "
         u"id=c></td></tr></table>",
         {{u"a", 0, 10, 20, 10}, {u"b", 20, 10, 40, 10}, {u"c", 60, 10, 40, 10}},
         0},
        {"shares of a spanning cell keep their fractions; a box starts at its rounded place",
         u"<table id=t border=0 cellpadding=0 cellspacing=0><tr><td colspan=2 width=100><img width=10 "
         u"height=10></td></tr><tr><td id=a width=20><img width=10 height=10></td><td id=b "
         u"width=10></td></tr></table>",
         {{u"a", 0, 10, 67, 10}, {u"b", 67, 10, 33, 10}},
         0},
        {"two boxes of one fractional width are equally wide wherever they start",
         u"<table id=t border=0 cellpadding=3 cellspacing=1><tr><td colspan=2 width=46><img width=48 "
         u"height=15></td></tr><tr><td id=a></td><td id=b rowspan=2></td></tr></table>",
         {{u"a", 1, 23, 27, 6}, {u"b", 29, 23, 27, 6}, {u"t", 10, 10, 56, 30}},
         0},
        {"row-spanning cells ending in an earlier row share out their need first",
         u"<table id=t border=1 cellpadding=1 cellspacing=1><tr><td colspan=2 width=22></td><td><img "
         u"width=9 height=16></td><td id=a colspan=2 rowspan=3 width=35><img width=33 height=30></td><td "
         u"colspan=2 rowspan=3></td></tr><tr><td></td></tr><tr><td id=b></td><td colspan=3 rowspan=3 "
         u"width=20><img width=29 height=31></td></tr><tr><td id=c></td></tr></table>",
         {{u"a", 42, 1, 39, 49}, {u"b", 1, 27, 25, 23}, {u"c", 1, 51, 25, 11}, {u"t", 10, 10, 89, 65}},
         1},
        {"of row-spanning cells ending in one row the shorter span shares out its need first",
         u"<table id=t border=0 cellpadding=2 cellspacing=0><tr><td></td><td rowspan=3><img width=47 "
         u"height=11></td></tr><tr><td id=a width=59></td><td colspan=2 rowspan=3 width=12><img width=51 "
         u"height=11></td></tr><tr><td id=b colspan=3 width=67></td><td width=24></td></tr></table>",
         {{u"a", 0, 4, 63, 8}, {u"b", 0, 12, 169, 8}, {u"t", 10, 10, 197, 19}},
         0},
        {"a cell over a column no cell starts in shares out its widths after the single-column cells",
         u"<table id=t border=0 cellpadding=3 cellspacing=0><tr><td></td><td id=a><img width=27 "
         u"height=18></td><td id=b colspan=2></td><td id=c></td></tr><tr><td><img width=11 height=10>"
         u"</td><td id=d colspan=2 width=35><img width=35 height=20></td></tr></table>",
         {{u"a", 17, 0, 41, 24},
          {u"b", 58, 0, 6, 24},
          {u"c", 64, 0, 6, 24},
          {u"d", 17, 24, 47, 26},
          {u"t", 10, 10, 70, 50}},
         0},
        {"a row-spanning cell's need goes to the later rows where other row-spanning cells start",
         u"<table id=t border=0 cellpadding=0 cellspacing=0><tr><td rowspan=3><img width=10 height=100>"
         u"</td><td id=a><img width=10 height=10></td></tr><tr><td id=b rowspan=2><img width=10 height=5>"
         u"</td><td id=c><img width=10 height=10></td></tr><tr><td id=d rowspan=2><img width=10 height=5>"
         u"</td><td id=e><img width=10 height=30></td></tr><tr><td><img width=10 height=10></td><td "
         u"id=f><img width=10 height=10></td></tr></table>",
         {{u"a", 10, 0, 10, 10},
          {u"b", 10, 10, 10, 90},
          {u"c", 20, 10, 10, 35},
          {u"d", 20, 45, 10, 65},
          {u"e", 30, 45, 10, 55},
          {u"f", 10, 100, 10, 10}},
         0},
        {"holes answer no cell; rowspan cut at the last row",
         u"<table id=t border=0 cellpadding=0 cellspacing=0><tr><td id=a rowspan=5 width=10></td>"
         u"<td id=b width=20></td><td id=c width=30></td></tr><tr><td id=d width=20></td></tr></table>",
         {{u"a", 0, 0, 10, 0}, {u"c", 30, 0, 30, 0}, {u"d", 10, 0, 20, 0}, {u"t", 10, 10, 60, 0}},
         0},
        {"a table height spreads over the rows equally",
         u"<table id=t border=0 cellpadding=0 cellspacing=0 height=101><tr id=r1><td id=a "
         u"height=10></td></tr>"
         u"<tr><td id=b height=20></td></tr></table>",
         {{u"a", 0, 0, 0, 45}, {u"b", 0, 45, 0, 56}, {u"r1", 0, 0, 0, 45}},
         0},
        {"a nested table sits in its cell; its offsetParent is that cell",
         u"<table id=t border=0 cellpadding=3 cellspacing=0><tr><td id=a>"
         u"<table id=n border=0 cellpadding=0 cellspacing=0><tr><td id=i width=20 "
         u"height=10></td></tr></table>"
         u"</td></tr></table>",
         {{u"n", 3, 3, 20, 10}, {u"i", 0, 0, 20, 10}, {u"a", 0, 0, 26, 16}},
         0},
        {"vAlign top and bottom place the content",
         u"<table id=t border=0 cellpadding=0 cellspacing=0><tr><td height=40></td>"
         u"<td valign=top><img id=top width=5 height=10></td><td valign=bottom><img id=bot width=5 height=10>"
         u"</td><td><img id=mid width=5 height=10></td></tr></table>",
         {{u"top", 0, 0, 5, 10}, {u"bot", 0, 30, 5, 10}, {u"mid", 0, 15, 5, 10}},
         0},
    };
}

TEST(TableLayout, ReferenceTables) {
    for (const TableCase& c : ReferenceTables()) {
        SCOPED_TRACE(c.name);
        Page page(Body(c.html));
        for (const Expected& e : c.boxes) {
            ElementMetrics m = page.Metrics(e.id);
            SCOPED_TRACE(std::string(e.id, e.id + std::char_traits<char16_t>::length(e.id)));
            EXPECT_TRUE(m.rendered);
            EXPECT_EQ(m.offsetLeft, e.left);
            EXPECT_EQ(m.offsetTop, e.top);
            EXPECT_EQ(m.offsetWidth, e.width);
            EXPECT_EQ(m.offsetHeight, e.height);
        }
        EXPECT_EQ(page.Metrics(u"t").clientLeft, c.tableClientLeft);
    }
}

struct ParentCase {
    const char16_t* id;
    const char16_t* parent; // null: none
};

TEST(TableLayout, OffsetParents) {
    Page page(
        Body(u"<table id=t><tbody id=g><tr id=r><td id=d><table id=n><tr><td id=e><span id=s>x</span>"
             u"</td></tr></table><div id=p style=\"position: relative\"><div id=q></div></div></td></tr>"
             u"</tbody></table>"));
    ParentCase cases[] = {{u"d", u"t"}, {u"r", u"t"}, {u"g", u"t"},    {u"t", nullptr},
                          {u"n", u"d"}, {u"s", u"e"}, {u"p", nullptr}, {u"q", u"p"}};
    for (const ParentCase& c : cases) {
        const dom::Node* expected = c.parent ? page.Element(c.parent) : page.tree.Body();
        EXPECT_EQ(page.Metrics(c.id).offsetParent, expected) << static_cast<int>(c.id[0]);
    }
    EXPECT_EQ(page.layout->Metrics(page.tree.Body()).offsetParent, nullptr);
}

TEST(TableLayout, RelayoutFollowsEachMutation) {
    Page page(
        Body(u"<table id=t border=0 cellpadding=0 cellspacing=0><tr id=r><td id=a width=50 height=20></td>"
             u"<td id=b width=40></td></tr></table>"));
    dom::Node* a = page.tree.ElementById(u"a");
    ASSERT_EQ(page.Metrics(u"t").offsetWidth, 90);
    a->SetAttribute(u"width", u"70");
    EXPECT_EQ(page.Metrics(u"t").offsetWidth, 110);
    EXPECT_EQ(page.Metrics(u"b").offsetLeft, 70);
    a->SetAttribute(u"width", u"");
    EXPECT_EQ(page.Metrics(u"a").offsetWidth, 0);
    a->SetAttribute(u"style", u"height: 44px");
    EXPECT_EQ(page.Metrics(u"t").offsetHeight, 44);
    a->SetAttribute(u"colspan", u"2");
    EXPECT_EQ(page.Metrics(u"b").offsetLeft, 0); // b moves past a's second column
    dom::Node* cell = page.tree.CreateElement(u"td");
    cell->SetAttribute(u"width", u"15");
    page.tree.Insert(page.tree.ElementById(u"r"), cell, nullptr);
    EXPECT_EQ(page.Metrics(u"t").offsetWidth, 55);
    page.tree.ElementById(u"t")->SetAttribute(u"style", u"table-layout: fixed");
    EXPECT_EQ(page.Metrics(u"t").offsetWidth, 55);
    page.tree.Remove(cell);
    EXPECT_EQ(page.Metrics(u"t").offsetWidth, 40);
    dom::Node* table = page.tree.ElementById(u"t");
    dom::Node* group = page.tree.CreateElement(u"colgroup");
    for (const char16_t* width : {u"25", u"25", u"40"}) {
        dom::Node* col = page.tree.CreateElement(u"col");
        col->SetAttribute(u"width", width);
        page.tree.Insert(group, col, nullptr);
    }
    page.tree.Insert(table, group, table->firstChild);
    EXPECT_EQ(page.Metrics(u"t").offsetWidth, 90); // COL widths now rule the fixed layout
    EXPECT_EQ(page.Metrics(u"b").offsetLeft, 50);
    table->SetAttribute(u"style", u"");
    page.tree.Insert(page.tree.ElementById(u"b"), page.tree.CreateText(u"abcdefgh"), nullptr);
    EXPECT_EQ(page.Metrics(u"b").offsetWidth, 56); // back to automatic: the text widens b
}

} // namespace
} // namespace qx::html::layout::testing
