// Layout fixing: the COLGROUP of a fixed table and its removal, the pixel sizes of FixTableSizes
// (idempotent here and in Chromium), dead column lines, tables below the first screen, and the
// cell preparation.
#include "chromium_rects.h"
#include "grid_dom.h"
#include "grid_fixture.h"

#include <mshtml_style.h>

#include <numeric>

namespace gridtest {
namespace {

using LayoutFixing = GridFixture;

constexpr char16_t kThreeColumns[] =
    u"<table id=t><tr><td id=a>aaa</td><td id=b>b</td><td id=c>cccccc</td></tr>"
    u"<tr><td>1</td><td>2</td><td>3</td></tr></table>";

std::vector<ComPtr<IHTMLElement>> Children(IHTMLElement* element) {
    ComPtr<IDispatch> children;
    element->get_children(&children);
    return CollectionElements(children.Get());
}

std::vector<LONG> ColWidths(IHTMLElement* group) {
    std::vector<LONG> widths;
    for (const auto& col : Children(group)) {
        Variant width;
        ComPtr<IHTMLTableCol>::QueryFrom(col.Get())->get_width(&width);
        Variant number;
        VariantChangeType(&number, &width, 0, VT_I4);
        widths.push_back(number.lVal);
    }
    return widths;
}

TEST_F(LayoutFixing, FixingPinsTheColumns) {
    CTableEditor& editor = Load(Page(kThreeColumns));
    ComPtr<IHTMLElement> table = Element(u"t");
    editor.FixTableLayout(table.Get(), 1);
    const auto children = Children(table.Get());
    ASSERT_FALSE(children.empty());
    EXPECT_TRUE(TagNameIs(children[0].Get(), u"COLGROUP", false));
    int groups = 0;
    for (const auto& child : children)
        groups += TagNameIs(child.Get(), u"COLGROUP", false) ? 1 : 0;
    EXPECT_EQ(groups, 1);
    const std::vector<LONG> widths = ColWidths(children[0].Get());
    ASSERT_EQ(widths.size(), 3u);
    EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0L), editor.m_ptXArray[3] - editor.m_ptXArray[0]);
    EXPECT_EQ(HasTableLayoutStyle(table.Get()), 1);
    const std::string html = BodyHtml();
    EXPECT_NE(html.find("TABLE-LAYOUT: fixed"), std::string::npos) << html;
    EXPECT_NE(html.find("Design_Time_Lock: true"), std::string::npos) << html;

    // Serialised and parsed again, the marks stay.
    Bstr outer;
    table->get_outerHTML(&outer);
    Load(Page(std::u16string(outer.View())));
    EXPECT_EQ(HasTableLayoutStyle(Element(u"t").Get()), 1);
    Variant lock;
    auto style = ComPtr<IHTMLStyle>::QueryFrom([&] {
        ComPtr<IDispatch> s;
        Element(u"t")->get_style(&s);
        return s;
    }()
                                                   .Get());
    style->getAttribute(Bstr(u"Design_Time_Lock"), 0, &lock);
    ASSERT_EQ(lock.vt, VT_BSTR);
    EXPECT_EQ(Utf8(lock.bstrVal), "true");
}

TEST_F(LayoutFixing, UnfixingUndoesTheFix) {
    CTableEditor& editor =
        Load(Page(u"<table id=t><colgroup id=g1><col width=40></colgroup>"
                  u"<colgroup id=g2><col width=50></colgroup>"
                  u"<tr id=r0 height=30><td>a</td><td>b</td></tr><tr id=r1><td>c</td><td>d</td></tr>"
                  u"</table>"));
    ComPtr<IHTMLElement> table = Element(u"t");
    table->setAttribute(Bstr(u"height"), Variant(u"90"), 0);
    editor.FixTableLayout(table.Get(), 1);
    const LONG width = Offset(u"t", &IHTMLElement::get_offsetWidth);
    editor.FixTableLayout(table.Get(), 0);
    std::vector<std::string> groups;
    for (const auto& child : Children(table.Get())) {
        Bstr id;
        if (TagNameIs(child.Get(), u"COLGROUP", false))
            child->get_id(&id), groups.push_back(Utf8(id));
    }
    // The fix put its group first; unfixing takes only that one.
    EXPECT_EQ(groups, (std::vector<std::string>{"g1", "g2"}));
    EXPECT_EQ(Attribute(u"t", u"width"), std::to_string(width));
    EXPECT_EQ(Attribute(u"t", u"height"), "<absent>");
    for (const char16_t* row : {u"r0", u"r1"}) {
        Variant height;
        ComPtr<IHTMLTableRow2>::QueryFrom(Element(row).Get())->get_height(&height);
        EXPECT_TRUE(height.vt == VT_BSTR && SysStringLen(height.bstrVal) == 0) << Utf8(Bstr(row));
    }
    EXPECT_EQ(HasTableLayoutStyle(table.Get()), 0);
    EXPECT_EQ(BodyHtml().find("Design_Time_Lock"), std::string::npos);
}

TEST_F(LayoutFixing, ColumnWidthsShareDeadLines) {
    const struct {
        std::vector<int> lines;
        std::vector<bool> live;
        std::vector<LONG> widths;
    } cases[] = {
        {{12, 67, 113}, {true, true, true}, {55, 46}},
        {{12, 0, 113}, {true, false, true}, {50, 51}},
        {{0, 0, 0, 30}, {true, false, false, true}, {10, 10, 10}},
        {{10, 0, 0, 21}, {true, false, false, true}, {3, 3, 5}},
        {{10}, {true}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColumnWidths(c.lines, c.live, static_cast<int>(c.lines.size())), c.widths);
}

TEST_F(LayoutFixing, ADeadColumnLineGivesNoNegativeCol) {
    CTableEditor& editor = Load(Page(u"<table id=t><tr><td colspan=2>aaaa</td><td>b</td></tr>"
                                     u"<tr><td colspan=2>cccc</td><td>d</td></tr></table>"));
    ComPtr<IHTMLElement> table = Element(u"t");
    editor.FixTableLayout(table.Get(), 1);
    const std::vector<LONG> widths = ColWidths(Children(table.Get())[0].Get());
    ASSERT_EQ(widths.size(), 3u);
    for (LONG width : widths)
        EXPECT_GE(width, 0);
    EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0L), editor.m_ptXArray[3] - editor.m_ptXArray[0]);
}

// Border 1, border 0 and collapsed tables of empty and IMG cells, one of them spanning two columns;
// the cells of table k are a<k> to e<k>.
constexpr const char16_t* kSizeTables[] = {
    u"border=1", u"border=0", u"border=1 cellspacing=0 style=\"border-collapse:collapse\"",
    u"border=0 cellpadding=3 cellspacing=0 style=\"border-collapse:collapse\""};

std::u16string SizesTable(std::size_t k) {
    const std::u16string n(1, static_cast<char16_t>(u'0' + k));
    return u"<table id=t" + n + u" " + kSizeTables[k] + u"><tr><td id=a" + n + u"></td><td id=b" + n +
           u"><img width=30 height=12></td><td id=c" + n + u"><img width=7 height=25></td></tr><tr><td id=d" +
           n + u" colspan=2><img width=20 height=5></td><td id=e" + n + u"></td></tr></table>";
}

TEST_F(LayoutFixing, FixTableSizesIsIdempotent) {
    std::u16string tables;
    for (std::size_t k = 0; k < std::size(kSizeTables); ++k)
        tables += SizesTable(k);
    const std::u16string page = Page(tables);
    CTableEditor& editor = Load(page);
    std::vector<std::u16string> ids;
    for (std::size_t k = 0; k < std::size(kSizeTables); ++k)
        for (char16_t letter : std::u16string(u"abcdet"))
            ids.push_back(std::u16string(1, letter) + static_cast<char16_t>(u'0' + k));
    auto rects = [&] {
        std::vector<std::array<LONG, 4>> out;
        for (const auto& id : ids) {
            const PageRect r = editor.GetElementPageRect(Element(id).Get());
            out.push_back({r.left, r.top, r.width, r.height});
        }
        return out;
    };
    const auto before = rects();
    for (std::size_t k = 0; k < std::size(kSizeTables); ++k)
        editor.FixTableSizes(Element(u"t" + std::u16string(1, static_cast<char16_t>(u'0' + k))).Get());
    const std::string first = BodyHtml();
    for (std::size_t k = 0; k < std::size(kSizeTables); ++k) {
        const std::u16string d = u"d" + std::u16string(1, static_cast<char16_t>(u'0' + k));
        EXPECT_EQ(Attribute(d, u"width"), "<absent>");
        EXPECT_NE(Attribute(d, u"height"), "<absent>");
        editor.FixTableSizes(Element(u"t" + std::u16string(1, static_cast<char16_t>(u'0' + k))).Get());
    }
    EXPECT_EQ(BodyHtml(), first);
    const auto after = rects();
    for (std::size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(after[i], before[i]) << Utf8(Bstr(ids[i]));

    // Chromium lays the fixed tables out as it laid out the originals.
    const ChromiumRects theirsBefore = ChromiumPageRects(Utf8(Bstr(page)));
    if (theirsBefore.empty())
        GTEST_SKIP() << "chromium is not installed";
    const ChromiumRects theirsAfter = ChromiumPageRects("<html>" + first + "</html>");
    for (const auto& id : ids)
        EXPECT_EQ(theirsAfter.at(Utf8(Bstr(id))), theirsBefore.at(Utf8(Bstr(id)))) << Utf8(Bstr(id));
}

TEST_F(LayoutFixing, TablesBelowTheFirstScreenAreFixedAlike) {
    const std::u16string table =
        u"<tr><td>aaaa</td><td>bb</td><td>c</td></tr><tr><td colspan=2>x</td><td>y</td></tr>";
    CTableEditor& editor = Load(Page(u"<table id=t>" + table +
                                     u"</table><div style=\"height:2000px\"></div>"
                                     u"<table id=u>" +
                                     table + u"</table>"));
    Scroll(0, 30);
    const auto scroll = ScrollNow();
    editor.FixTableLayout(Element(u"t").Get(), 1);
    editor.FixTableLayout(Element(u"u").Get(), 1);
    const std::vector<LONG> first = ColWidths(Children(Element(u"t").Get())[0].Get());
    const std::vector<LONG> second = ColWidths(Children(Element(u"u").Get())[0].Get());
    EXPECT_EQ(first.size(), 3u);
    EXPECT_EQ(first, second);
    EXPECT_EQ(ScrollNow(), scroll);
    EXPECT_TRUE(boxes_.Calls().empty());
}

TEST_F(LayoutFixing, FillEmptyCells) {
    CTableEditor& editor = Load(Page(u"<table><tr><td id=e></td><td id=i><img src=x></td>"
                                     u"<td id=v valign=top></td></tr></table>"));
    editor.FillEmptyCells();
    const struct {
        const char16_t* id;
        const char* vAlign;
        const char* html;
    } cases[] = {{u"e", "middle", " "}, {u"i", "middle", "<IMG src=x>"}, {u"v", "top", " "}};
    for (const auto& c : cases) {
        EXPECT_EQ(Attribute(c.id, u"vAlign"), c.vAlign);
        Bstr html;
        Element(c.id)->get_innerHTML(&html);
        EXPECT_EQ(Utf8(html), c.html);
    }
}

TEST_F(LayoutFixing, TableLayoutStyleAndCollapse) {
    Load(Page(
        u"<table id=t style=\"table-layout:fixed; border-collapse:COLLAPSE\"><tr><td id=x>x</td></tr></table>"
        u"<table id=u><tr><td>y</td></tr></table><div id=d style=\"table-layout:fixed\"></div>"));
    const struct {
        const char16_t* id;
        int layout, collapsed;
    } cases[] = {{u"t", 1, 1}, {u"u", 0, 0}, {u"d", 0, 0}, {u"x", 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(HasTableLayoutStyle(Element(c.id).Get()), c.layout);
        EXPECT_EQ(IsBorderCollapsed(Element(c.id).Get()), c.collapsed);
    }
}

} // namespace
} // namespace gridtest
