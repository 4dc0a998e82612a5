// The style objects through IDispatch by name, as page script and the components reach them.
#include "dispatch_calls.h"
#include "fake_element.h"

#include <dispex.h>
#include <oleauto.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>

#include <gtest/gtest.h>

namespace {

using namespace qx::html::css;
using csstest::FakeDocument;
using csstest::FakeElement;
using csstest::U8;
using namespace csstest::calls;
using qx::com::ComPtr;
using qx::com::Variant;

struct PutRow {
    const char16_t* start; // the element's style attribute
    const char16_t* name;
    Variant value;
    HRESULT hr;
    const char* attribute; // the style attribute after the put
};

TEST(StyleObject, PutsWriteTheAttributeBack) {
    const PutRow rows[] = {
        {u"", u"width", Variant(u"100px"), S_OK, "WIDTH: 100px"},
        {u"width:100px", u"height", Variant(LONG(0)), S_OK, "WIDTH: 100px; HEIGHT: 0px"},
        {u"", u"height", Variant(2.5), S_OK, "HEIGHT: 2.5px"},
        {u"width:1px", u"width", Variant(u""), S_OK, ""},
        {u"width:1px", u"width", Variant(), S_OK, ""},
        {u"width:1px", u"width", Variant(u"wide"), E_INVALIDARG, "width:1px"},
        {u"", u"zIndex", Variant(LONG(3)), S_OK, "Z-INDEX: 3"},
        {u"", u"color", Variant(LONG(0xff0000)), S_OK, "COLOR: #ff0000"},
        {u"", u"backgroundColor", Variant(u"#000000"), S_OK, "BACKGROUND-COLOR: #000000"},
        {u"", u"pixelWidth", Variant(LONG(42)), S_OK, "WIDTH: 42px"},
        {u"width: 10pt", u"posWidth", Variant(2.5f), S_OK, "WIDTH: 2.5pt"},
        {u"", u"posHeight", Variant(7.0f), S_OK, "HEIGHT: 7px"},
        {u"", u"cssText", Variant(u"top:1px;LEFT:2px"), S_OK, "TOP: 1px; LEFT: 2px"},
        {u"", u"textDecorationUnderline", Variant(true), S_OK, "TEXT-DECORATION: underline"},
        {u"text-decoration: none", u"textDecorationLineThrough", Variant(true), S_OK,
         "TEXT-DECORATION: line-through"},
        {u"text-decoration: underline overline", u"textDecorationUnderline", Variant(false), S_OK,
         "TEXT-DECORATION: overline"},
        {u"", u"border", Variant(u"1 gray solid"), S_OK,
         "BORDER-TOP: gray 1px solid; BORDER-RIGHT: gray 1px solid; BORDER-BOTTOM: gray 1px solid; "
         "BORDER-LEFT: gray 1px solid"},
        {u"", u"position", Variant(u"Absolute"), S_OK, "POSITION: absolute"},
        {u"", u"tableLayout", Variant(u"fixed"), S_OK, "TABLE-LAYOUT: fixed"},
        {u"", u"cursor", Variant(u"hand"), S_OK, "CURSOR: hand"},
        {u"", u"Design_Time_Lock", Variant(u"true"), S_OK, "Design_Time_Lock: true"},
        {u"", u"behavior", Variant(u"url(#default#TreeView)"), S_OK, "BEHAVIOR: url(#default#TreeView)"},
    };
    for (const PutRow& row : rows) {
        FakeDocument document;
        FakeElement element(document, u"DIV");
        element.attributes[u"style"] = row.start;
        ComPtr<IDispatch> style;
        ASSERT_EQ(CreateInlineStyle(element, &style), S_OK);
        EXPECT_EQ(Put(style.Get(), row.name, row.value), row.hr) << U8(row.name);
        EXPECT_EQ(U8(element.attributes[u"style"]), row.attribute) << U8(row.name);
    }
}

struct GetRow {
    const char16_t* style;
    const char16_t* name;
    const char* value;
};

TEST(StyleObject, GetsByName) {
    const GetRow rows[] = {
        {u"WIDTH: 100px", u"width", "100px"},
        {u"width: 10pt", u"pixelWidth", "13"},
        {u"width: 10pt", u"posWidth", "10"},
        {u"height: 2.91mm", u"posHeight", "2.91"},
        {u"left: 5px; top: 6px", u"pixelLeft", "5"},
        {u"left: 5px; top: 6px", u"pixelTop", "6"},
        {u"bottom: 7px", u"pixelBottom", "7"},
        {u"", u"width", ""},
        {u"", u"zIndex", "0"},
        {u"z-index: 4", u"zIndex", "4"},
        {u"border: 1px solid red", u"borderTop", "red 1px solid"},
        {u"border-top-style: none", u"borderTopStyle", "none"},
        {u"text-decoration: underline", u"textDecorationUnderline", "True"},
        {u"text-decoration: underline", u"textDecorationNone", "False"},
        {u"font-size: 10pt", u"fontSize", "10pt"},
        {u"Design_Time_Lock: true", u"design_time_lock", "true"},
        {u"position: absolute", u"position", "absolute"},
        {u"table-layout: fixed", u"tableLayout", "fixed"},
        {u"border-collapse: collapse", u"borderCollapse", "collapse"},
        {u"width: 1px", u"cssText", "WIDTH: 1px"},
        {u"", u"toString", "[object]"},
    };
    for (const GetRow& row : rows) {
        FakeDocument document;
        FakeElement element(document, u"DIV");
        element.attributes[u"style"] = row.style;
        ComPtr<IDispatch> style;
        ASSERT_EQ(CreateInlineStyle(element, &style), S_OK);
        Variant value;
        WORD flags = std::u16string_view(row.name) == u"toString" ? DISPATCH_METHOD : DISPATCH_PROPERTYGET;
        EXPECT_EQ(Invoke(style.Get(), row.name, flags, {}, &value), S_OK) << U8(row.name);
        EXPECT_EQ(Text(value), row.value) << U8(row.style) << " / " << U8(row.name);
        EXPECT_EQ(element.styleWrites, 0) << "reading never rewrites the attribute";
    }
}

TEST(StyleObject, AttributesOfTheStyle) {
    FakeDocument document;
    FakeElement table(document, u"TABLE");
    table.attributes[u"style"] = u"width: 100px; height: 20px";
    ComPtr<IDispatch> style;
    ASSERT_EQ(CreateInlineStyle(table, &style), S_OK);
    EXPECT_EQ(table.refs, 1);
    Call(style.Get(), u"setAttribute", {Variant(u"Design_Time_Lock"), Variant(u"true"), Variant(LONG(0))});
    Put(style.Get(), u"tableLayout", Variant(u"fixed"));
    EXPECT_EQ(U8(table.attributes[u"style"]),
              "WIDTH: 100px; HEIGHT: 20px; Design_Time_Lock: true; TABLE-LAYOUT: fixed");
    EXPECT_EQ(Text(Call(style.Get(), u"getAttribute", {Variant(u"design_time_lock"), Variant(LONG(0))})),
              "true");
    EXPECT_EQ(Text(Call(style.Get(), u"getAttribute", {Variant(u"nothing"), Variant(LONG(0))})), "<null>");
    EXPECT_EQ(Text(Call(style.Get(), u"removeAttribute", {Variant(u"width"), Variant(LONG(0))})), "True");
    EXPECT_EQ(Text(Call(style.Get(), u"removeAttribute", {Variant(u"width"), Variant(LONG(0))})), "False");
    Call(style.Get(), u"removeAttribute", {Variant(u"Design_Time_Lock"), Variant(LONG(0))});
    EXPECT_EQ(U8(table.attributes[u"style"]), "HEIGHT: 20px; TABLE-LAYOUT: fixed");
    // A change of the attribute by the DOM is seen by the next read.
    table.attributes[u"style"] = u"color: red";
    EXPECT_EQ(Text(Get(style.Get(), u"color")), "red");
    EXPECT_EQ(Text(Get(style.Get(), u"tableLayout")), "");
    style = nullptr;
    EXPECT_EQ(table.refs, 0);
}

TEST(StyleObject, RuntimeStyleIsNeverSerialised) {
    FakeDocument document;
    FakeElement cell(document, u"TD");
    ComPtr<IDispatch> runtime;
    ASSERT_EQ(CreateRuntimeStyle(cell, &runtime), S_OK);
    EXPECT_EQ(Put(runtime.Get(), u"backgroundColor", Variant(u"#000000")), S_OK);
    EXPECT_EQ(Put(runtime.Get(), u"color", Variant(u"#FFFFFF")), S_OK);
    EXPECT_EQ(Text(Get(runtime.Get(), u"backgroundColor")), "#000000");
    EXPECT_EQ(cell.attributes.count(u"style"), 0u);
    EXPECT_EQ(U8(cell.runtime.Text()), "BACKGROUND-COLOR: #000000; COLOR: #ffffff");
    ComPtr<IDispatch> current;
    ASSERT_EQ(CreateCurrentStyle(cell, &current), S_OK);
    EXPECT_EQ(Text(Get(current.Get(), u"backgroundColor")), "#000000");
    Put(runtime.Get(), u"backgroundColor", Variant(u""));
    Put(runtime.Get(), u"color", Variant(u""));
    EXPECT_EQ(Text(Get(runtime.Get(), u"backgroundColor")), "");
    EXPECT_EQ(Text(Get(current.Get(), u"backgroundColor")), "transparent");
}

TEST(CurrentStyle, ReadsTheCascadeLive) {
    FakeDocument document;
    FakeElement body(document, u"BODY");
    FakeElement p(document, u"P", &body);
    ComPtr<IDispatch> current;
    ASSERT_EQ(CreateCurrentStyle(p, &current), S_OK);
    EXPECT_EQ(Text(Get(current.Get(), u"fontFamily")), "굴림");
    body.attributes[u"style"] = u"font-family: 바탕체; clip: rect(1px 2px 3px 4px)";
    EXPECT_EQ(Text(Get(current.Get(), u"fontFamily")), "바탕체");
    document.AddSheet(u"P { margin-top: 0mm; z-index: 5; clip: rect(1px, 2px, 3px, 4px) }");
    EXPECT_EQ(Text(Get(current.Get(), u"marginTop")), "0mm");
    EXPECT_EQ(Text(Get(current.Get(), u"zIndex")), "5");
    EXPECT_EQ(Text(Get(current.Get(), u"clipLeft")), "4px");
    EXPECT_EQ(Text(Get(current.Get(), u"display")), "block");
    EXPECT_EQ(Text(Get(current.Get(), u"font")), "normal normal 400 12pt normal 바탕체");
    EXPECT_EQ(Text(Call(current.Get(), u"getAttribute", {Variant(u"color"), Variant(LONG(0))})), "#000000");
    EXPECT_NE(Put(current.Get(), u"color", Variant(u"red")), S_OK);
}

TEST(StyleSheetObjects, MembersThroughDispatch) {
    FakeDocument document;
    auto sheet = document.AddSheet(u"P { margin-top:0mm; }");
    ComPtr<IDispatch> sheets;
    ASSERT_EQ(CreateStyleSheetsCollection(document, &sheets), S_OK);
    EXPECT_EQ(document.refs, 1);
    EXPECT_EQ(Text(Get(sheets.Get(), u"length")), "1");
    ComPtr<IDispatch> first = Object(Call(sheets.Get(), u"item", {Variant(LONG(0))}));
    ASSERT_TRUE(first);
    ComPtr<IDispatch> again;
    ASSERT_EQ(GetStyleSheetObject(sheet, &again), S_OK);
    EXPECT_EQ(first.Get(), again.Get()) << "one object per sheet";

    EXPECT_EQ(Put(first.Get(), u"title", Variant(u"voform_style_1")), S_OK);
    EXPECT_EQ(U8(sheet->title), "voform_style_1");
    Variant index = Call(first.Get(), u"addRule",
                         {Variant(u"P"), Variant(u"margin-top:2px;margin-bottom:2px;"), Variant(LONG(0))});
    EXPECT_EQ(Text(index), "0");
    EXPECT_EQ(Text(Get(first.Get(), u"cssText")),
              "P {\r\n\tMARGIN-TOP: 2px; MARGIN-BOTTOM: 2px\r\n}\r\nP {\r\n\tMARGIN-TOP: 0mm\r\n}\r\n");
    ComPtr<IDispatch> rules = Object(Get(first.Get(), u"rules"));
    EXPECT_EQ(Text(Get(rules.Get(), u"length")), "2");
    ComPtr<IDispatch> rule = Object(Call(rules.Get(), u"item", {Variant(LONG(1))}));
    EXPECT_EQ(Text(Get(rule.Get(), u"selectorText")), "P");
    ComPtr<IDispatch> ruleStyle = Object(Get(rule.Get(), u"style"));
    EXPECT_EQ(Text(Get(ruleStyle.Get(), u"marginTop")), "0mm");
    EXPECT_EQ(Put(ruleStyle.Get(), u"color", Variant(u"red")), S_OK);
    EXPECT_EQ(Put(ruleStyle.Get(), u"tableLayout", Variant(u"fixed")), S_OK);
    EXPECT_EQ(U8(sheet->Rules()[1]->style->Text()), "MARGIN-TOP: 0mm; COLOR: red; TABLE-LAYOUT: fixed");
    EXPECT_EQ(Object(Call(rules.Get(), u"item", {Variant(LONG(1))})).Get(), rule.Get())
        << "one object per rule";

    Variant none;
    EXPECT_EQ(Invoke(rules.Get(), u"item", DISPATCH_METHOD, {Variant(LONG(2))}, &none), E_INVALIDARG);
    EXPECT_EQ(Invoke(first.Get(), u"removeRule", DISPATCH_METHOD, {Variant(LONG(5))}, nullptr), E_INVALIDARG);
    EXPECT_EQ(Invoke(first.Get(), u"addRule", DISPATCH_METHOD, {Variant(u"P >"), Variant(u"")}, &none),
              E_INVALIDARG);
    Call(first.Get(), u"removeRule", {Variant(LONG(0))});
    EXPECT_EQ(Text(Get(rules.Get(), u"length")), "1") << "the collection is live";

    EXPECT_EQ(Put(first.Get(), u"cssText", Variant(u"")), S_OK);
    EXPECT_EQ(Text(Get(rules.Get(), u"length")), "0");
    EXPECT_EQ(Put(first.Get(), u"disabled", Variant(true)), S_OK);
    EXPECT_TRUE(sheet->disabled);
    EXPECT_EQ(Text(Get(first.Get(), u"type")), "text/css");
    EXPECT_EQ(Text(Get(first.Get(), u"readOnly")), "False");
    EXPECT_EQ(Text(Call(first.Get(), u"addImport", {Variant(u"x.css")})), "0");
    ComPtr<IDispatch> imports = Object(Get(first.Get(), u"imports"));
    ComPtr<IDispatch> imported = Object(Call(imports.Get(), u"item", {Variant(LONG(0))}));
    EXPECT_EQ(Text(Get(imported.Get(), u"href")), "x.css");
    EXPECT_EQ(Object(Get(imported.Get(), u"parentStyleSheet")).Get(), first.Get());

    sheet->id = u"main";
    EXPECT_EQ(Object(Call(sheets.Get(), u"item", {Variant(u"MAIN")})).Get(), first.Get());
    EXPECT_EQ(Invoke(sheets.Get(), u"item", DISPATCH_METHOD, {Variant(u"other")}, &none), E_INVALIDARG);
    EXPECT_EQ(Invoke(sheets.Get(), u"item", DISPATCH_METHOD, {Variant(LONG(1))}, &none), E_INVALIDARG);
    document.AddSheet(u"");
    EXPECT_EQ(Text(Get(sheets.Get(), u"length")), "2");
    sheets = nullptr;
    EXPECT_EQ(document.refs, 0);
}

} // namespace
