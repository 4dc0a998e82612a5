// elementFromPoint and componentFromPoint: cells own their closed box, spacing and holes answer the
// table, positioned boxes lie over content, and scrolling moves nothing but the point.
#include "layout_fixture.h"

namespace qx::html::layout::testing {
namespace {

// Body margin 10; table at (10, 10): border 1, spacing 2, padding 1. Cells a (50 wide) at x 13..67
// and b (40 wide) at x 69..113, both y 13..43; row 2: c under a, a hole under b, y 45..65. A nested
// table inside b; an absolute box over the text of the div below.
constexpr const char16_t* kPage =
    u"<html><body leftmargin=10 topmargin=10>"
    u"<table id=t border=1 cellpadding=1 cellspacing=2><tr><td id=a width=50 height=30></td>"
    u"<td id=b width=40><table id=n border=0 cellpadding=0 cellspacing=0><tr><td id=i width=10 height=4>"
    u"</td></tr></table></td></tr><tr><td id=c height=20></td></tr></table>"
    u"<div id=d style=\"height: 2000px\"><span id=s>text</span></div>"
    u"<div id=p style=\"position: absolute; left: 12px; top: 80px; width: 10px; height: 10px\"></div>"
    u"</body></html>";

struct Probe {
    const char* name;
    int x, y;             // client point
    const char16_t* want; // id; u"" for BODY; null for none
};

TEST(HitTest, Points) {
    const Probe probes[] = {
        {"inside a", 20, 20, u"a"},
        {"a's left edge", 13, 20, u"a"},
        {"the pixel right of a answers a", 67, 20, u"a"},
        {"spacing between cells", 68, 20, u"t"},
        {"b's left edge", 69, 20, u"b"},
        {"the table border", 10, 20, u"t"},
        {"the top spacing", 20, 12, u"t"},
        {"c", 20, 50, u"c"},
        {"the hole under b", 90, 50, u"t"},
        {"the nested cell", 71, 27, u"i"},
        {"b's own content area beside the nested table", 100, 27, u"b"},
        {"text answers its element", 14, 70, u"s"},
        {"the block beside the text", 200, 70, u"d"},
        {"deep in the tall block", 300, 1500, u"d"},
        {"below the tall block", 300, 2072, u""},
        {"the absolute box over the text", 15, 85, u"p"},
        {"outside every box", 500, 20, u""},
        {"the vertical scroll bar", 1015, 100, u""},
        {"left of the window", -1, 10, nullptr},
        {"below the window", 10, 768, nullptr},
    };
    Page page(kPage);
    for (int put : {0, 1, 7, 64, 500, 1300, 5000}) {
        page.layout->SetScroll(page.tree.Body(), 0, put);
        const int scroll = page.layout->Metrics(page.tree.Body()).scrollTop; // clamped
        if (put == 5000) {
            ASSERT_GT(scroll, 2072 - 768) << "the page's bottom comes into view";
        }
        for (const Probe& p : probes) {
            SCOPED_TRACE(p.name);
            bool onBar = p.x >= 1008;
            bool clientPoint = !p.want || onBar;      // probes outside the window and on the bar
            int y = clientPoint ? p.y : p.y - scroll; // else the same page point
            if (!clientPoint && (y < 0 || y >= 768))
                continue; // that page point is out of view at this scroll
            const dom::Node* want = !p.want ? nullptr : *p.want ? page.Element(p.want) : page.tree.Body();
            EXPECT_EQ(page.layout->ElementFromPoint(p.x, y), want) << "scroll " << scroll;
        }
    }
}

TEST(HitTest, TiesGoToTheSmallerLeftThenTop) {
    // Without spacing the right edge of a is b's left edge; the bottom edge of a is c's top edge.
    Page page(u"<html><body leftmargin=0 topmargin=0><table border=0 cellpadding=0 cellspacing=0><tr>"
              u"<td id=a width=20 height=10></td><td id=b width=20></td></tr><tr><td id=c height=10></td>"
              u"</tr></table></body></html>");
    EXPECT_EQ(page.layout->ElementFromPoint(20, 5), page.Element(u"a"));
    EXPECT_EQ(page.layout->ElementFromPoint(21, 5), page.Element(u"b"));
    EXPECT_EQ(page.layout->ElementFromPoint(5, 10), page.Element(u"a"));
    EXPECT_EQ(page.layout->ElementFromPoint(5, 11), page.Element(u"c"));
}

TEST(HitTest, Components) {
    Page page(kPage);
    struct {
        int x, y;
        const char16_t* want;
    } cases[] = {{5, 5, u""},
                 {1010, 5, u"scrollbarUp"},
                 {1010, 760, u"scrollbarDown"},
                 {1010, 30, u"scrollbarVThumb"},
                 {1010, 700, u"scrollbarPageDown"},
                 {-1, 5, u"outside"},
                 {1024, 5, u"outside"}};
    for (const auto& c : cases)
        EXPECT_EQ(page.layout->ComponentFromPoint(c.x, c.y), c.want) << c.x << "," << c.y;
}

} // namespace
} // namespace qx::html::layout::testing
