// Style sheets: reading a <style> text, the text the browser writes back, rules added and removed by
// index, and selectors.
#include "fake_element.h"
#include "qx/html/css/selectors.h"
#include "qx/html/css/style_sheet.h"

#include <gtest/gtest.h>

namespace {

using namespace qx::html::css;
using csstest::FakeDocument;
using csstest::FakeElement;
using csstest::U8;

struct SheetRow {
    const char16_t* text;
    const char* written;
};

const SheetRow kSheets[] = {
    {u"P { margin-top:0mm;margin-bottom:0mm; }", "P {\r\n\tMARGIN-TOP: 0mm; MARGIN-BOTTOM: 0mm\r\n}\r\n"},
    {u"h1, .Field { color: Red }", "H1 {\r\n\tCOLOR: red\r\n}\r\n.Field {\r\n\tCOLOR: red\r\n}\r\n"},
    {u"<!-- td#x.a.b{} -->", "TD#x.a.b {\r\n}\r\n"},
    {u"/* c { color: red } */ div  p{width:1}", "DIV P {\r\n\tWIDTH: 1px\r\n}\r\n"},
    {u"@import url(\"a.css\"); @import 'b.css'; * {color:red}",
     "@import url( a.css );\r\n@import url( b.css );\r\n* {\r\n\tCOLOR: red\r\n}\r\n"},
    {u"@media print { P { color: red } } A:hover { color: blue }", "A:hover {\r\n\tCOLOR: blue\r\n}\r\n"},
    // Rules the browser cannot read are dropped, the rest kept.
    {u"DIV > P { color: red } P { color: blue }", "P {\r\n\tCOLOR: blue\r\n}\r\n"},
    {u"[x] { color: red } , { } P,{ }", ""},
    {u"P { color: red", "P {\r\n\tCOLOR: red\r\n}\r\n"},
    {u"P { x: '}' ; color: red }", "P {\r\n\tx: '}'; COLOR: red\r\n}\r\n"},
    {u"{{{ }}} P {}", "P {\r\n}\r\n"},
    {u"", ""},
};

TEST(StyleSheet, ReadsAndWritesItsText) {
    for (const SheetRow& row : kSheets) {
        StyleSheet sheet;
        sheet.SetCssText(row.text);
        EXPECT_EQ(U8(sheet.CssText()), row.written) << U8(row.text);
    }
}

struct AddRow {
    long index;
    long expected;
    const char* order;
};

const AddRow kAdds[] = {
    {-1, 2, "A B N"}, {0, 0, "N A B"}, {1, 1, "A N B"}, {2, 2, "A B N"}, {99, 2, "A B N"}, {-7, 2, "A B N"},
};

std::string Order(const StyleSheet& sheet) {
    std::string out;
    for (const auto& rule : sheet.Rules())
        out += (out.empty() ? "" : " ") + U8(rule->selector.Text());
    return out;
}

TEST(StyleSheet, AddsRulesAtTheirIndex) {
    for (const AddRow& row : kAdds) {
        StyleSheet sheet;
        sheet.SetCssText(u"A {} B {}");
        EXPECT_EQ(sheet.AddRule(u"n", u"color: red", row.index), row.expected) << row.index;
        EXPECT_EQ(Order(sheet), row.order) << row.index;
    }
    StyleSheet sheet;
    EXPECT_EQ(sheet.AddRule(u"P, DIV", u"margin-top:2px", 0), 0);
    EXPECT_EQ(Order(sheet), "P DIV");
    EXPECT_EQ(sheet.AddRule(u"P >", u"color: red", 0), -1);
    EXPECT_EQ(sheet.AddRule(u"", u"color: red", 0), -1);
    EXPECT_EQ(Order(sheet), "P DIV");
    EXPECT_FALSE(sheet.RemoveRule(2));
    EXPECT_FALSE(sheet.RemoveRule(-1));
    EXPECT_TRUE(sheet.RemoveRule(0));
    EXPECT_EQ(Order(sheet), "DIV");
}

TEST(StyleSheet, ImportsKnowTheirParent) {
    auto sheet = std::make_shared<StyleSheet>();
    EXPECT_EQ(sheet->AddImport(u"a.css", -1), 0);
    EXPECT_EQ(sheet->AddImport(u"b.css", 0), 0);
    ASSERT_EQ(sheet->Imports().size(), 2u);
    EXPECT_EQ(U8(sheet->Imports()[0]->href), "b.css");
    EXPECT_EQ(sheet->Imports()[1]->Parent(), sheet);
    auto kept = sheet->Imports()[0];
    EXPECT_TRUE(sheet->RemoveImport(0));
    EXPECT_FALSE(sheet->RemoveImport(5));
    EXPECT_EQ(kept->Parent(), nullptr);
}

TEST(StyleSheet, IsBounded) {
    std::u16string text;
    for (std::size_t i = 0; i < StyleSheet::kMaxRules + 10; ++i)
        text += u"P{}";
    StyleSheet sheet;
    sheet.SetCssText(text);
    EXPECT_EQ(sheet.Rules().size(), StyleSheet::kMaxRules);
    EXPECT_EQ(sheet.AddRule(u"P", u"", -1), -1);
}

struct MatchRow {
    const char16_t* selector;
    int specificity;
    bool matchesCell; // the TD of <TABLE id=grid class="Form Wide"><TR><TD class="cell FIELD">
};

const MatchRow kMatches[] = {
    {u"TD", 1, true},
    {u"td", 1, true},
    {u"*", 0, true},
    {u".field", 10, true},
    {u"TD.cell.FIELD", 21, true},
    {u"TD.cell.other", 21, false},
    {u"#GRID TD", 101, true},
    {u"TABLE.wide TD", 12, true},
    {u"TABLE TR TD", 3, true},
    {u"TR TABLE TD", 3, false},
    {u"BODY TD", 2, false},
    {u"TH", 1, false},
    {u"TD:hover", 11, false},
    {u"#grid", 100, false},
};

TEST(Selector, MatchesAndCounts) {
    FakeDocument document;
    FakeElement table(document, u"TABLE");
    table.attributes[u"id"] = u"grid";
    table.attributes[u"class"] = u"Form  Wide";
    FakeElement row(document, u"TR", &table);
    FakeElement cell(document, u"TD", &row);
    cell.attributes[u"class"] = u"cell FIELD";
    for (const MatchRow& m : kMatches) {
        auto selector = Selector::Parse(m.selector);
        ASSERT_TRUE(selector) << U8(m.selector);
        EXPECT_EQ(selector->Specificity(), m.specificity) << U8(m.selector);
        EXPECT_EQ(selector->Matches(cell), m.matchesCell) << U8(m.selector);
    }
    FakeElement link(document, u"A");
    EXPECT_FALSE(Selector::Parse(u"A:link")->Matches(link));
    link.attributes[u"href"] = u"x.htm";
    EXPECT_TRUE(Selector::Parse(u"A:link")->Matches(link));
    for (const char16_t* bad : {u"P > A", u"A[href]", u"A + B", u"..x", u"#", u"P:", u"A::before", u""})
        EXPECT_FALSE(Selector::Parse(bad)) << U8(bad);
}

} // namespace
