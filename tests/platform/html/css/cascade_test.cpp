// currentStyle's cascade: runtime over inline over sheet rules (importance, specificity, order),
// the tag's defaults, inheritance, and the forms of computed values.
#include "fake_element.h"
#include "qx/html/css/cascade.h"

#include <gtest/gtest.h>

namespace {

using namespace qx::html::css;
using csstest::FakeDocument;
using csstest::FakeElement;
using csstest::U8;

struct CascadeRow {
    const char16_t* sheet;
    const char16_t* inlineStyle; // of the P
    const char16_t* runtime;     // of the P
    const char16_t* property;
    const char* value; // the P's current value
};

// The tree: <BODY style="color: green; font-family: Batang"><DIV class="box"><P id="para">.
const CascadeRow kCascade[] = {
    {u"", u"", u"", u"color", "#008000"},
    {u"P { color: red }", u"", u"", u"color", "#ff0000"},
    {u"P { color: red }", u"color: blue", u"", u"color", "#0000ff"},
    {u"P { color: red }", u"color: blue", u"color: #abc", u"color", "#aabbcc"},
    {u"P { color: red !important }", u"color: blue", u"", u"color", "#ff0000"},
    {u"P { color: red !important }", u"color: blue !important", u"", u"color", "#0000ff"},
    {u"#para { color: red } P { color: blue }", u"", u"", u"color", "#ff0000"},
    {u"P { color: red } P { color: blue }", u"", u"", u"color", "#0000ff"},
    {u".box P { color: red } P { color: blue }", u"", u"", u"color", "#ff0000"},
    {u"DIV { color: red }", u"", u"", u"color", "#ff0000"},
    {u"P { color: inherit } DIV { color: red }", u"", u"", u"color", "#ff0000"},
    {u"P { color: windowtext }", u"", u"", u"color", "windowtext"},
    {u"", u"", u"", u"fontFamily", "Batang"},
    {u"", u"", u"", u"marginTop", "14pt"},
    {u"P { margin-top: 0mm }", u"", u"", u"margin-top", "0mm"},
    {u"", u"margin: 1px 2px", u"", u"margin", "1px 2px"},
    {u"", u"", u"", u"display", "block"},
    {u"", u"", u"", u"fontWeight", "400"},
    {u"P { font-weight: bold }", u"", u"", u"fontWeight", "700"},
    {u"", u"", u"", u"backgroundColor", "transparent"},
    {u"DIV { background-color: red }", u"", u"", u"backgroundColor", "transparent"},
    {u"", u"", u"", u"borderTopColor", "#008000"},
    {u"", u"border: 1px solid red", u"", u"borderLeftColor", "#ff0000"},
    {u"", u"", u"", u"borderStyle", "none"},
    {u"", u"", u"", u"visibility", "inherit"},
    {u"", u"", u"", u"width", "auto"},
    {u"", u"", u"", u"fontSize", "12pt"},
    {u"DIV { font-size: 9pt }", u"", u"", u"fontSize", "9pt"},
};

TEST(Cascade, CurrentValues) {
    for (const CascadeRow& row : kCascade) {
        FakeDocument document;
        document.AddSheet(row.sheet);
        FakeElement body(document, u"BODY");
        body.attributes[u"style"] = u"color: green; font-family: Batang";
        FakeElement div(document, u"DIV", &body);
        div.attributes[u"class"] = u"box";
        FakeElement p(document, u"P", &div);
        p.attributes[u"id"] = u"para";
        if (*row.inlineStyle)
            p.attributes[u"style"] = row.inlineStyle;
        p.runtime.Parse(row.runtime);
        const PropertyInfo* property = FindProperty(row.property);
        ASSERT_TRUE(property) << U8(row.property);
        EXPECT_EQ(U8(CurrentValue(p, property->id)), row.value)
            << U8(row.sheet) << " | " << U8(row.inlineStyle) << " | " << U8(row.property);
    }
}

TEST(Cascade, DisabledSheetsAndTagDefaults) {
    FakeDocument document;
    auto sheet = document.AddSheet(u"TD { vertical-align: top }");
    FakeElement table(document, u"TABLE");
    FakeElement cell(document, u"TD", &table);
    EXPECT_EQ(U8(CurrentValue(cell, Prop::verticalAlign)), "top");
    sheet->disabled = true;
    EXPECT_EQ(U8(CurrentValue(cell, Prop::verticalAlign)), "middle");
    EXPECT_EQ(U8(CurrentValue(cell, Prop::paddingLeft)), "1px");
    EXPECT_EQ(U8(CurrentValue(table, Prop::borderCollapse)), "separate");
    FakeElement body(document, u"BODY");
    EXPECT_EQ(U8(CurrentValue(body, Prop::margin)), "15px 10px");
    FakeElement h1(document, u"H1", &body);
    EXPECT_EQ(U8(CurrentValue(h1, Prop::fontSize)), "24pt");
    EXPECT_EQ(U8(CurrentValue(h1, Prop::fontWeight)), "700");
    FakeElement span(document, u"SPAN", &h1);
    EXPECT_EQ(U8(CurrentValue(span, Prop::fontSize)), "24pt");
    EXPECT_EQ(U8(CurrentValue(span, Prop::display)), "inline");
    EXPECT_EQ(U8(CurrentValue(span, Prop::fontFamily)), "굴림");
}

} // namespace
