// The style interfaces' contract: the old browser's DISPIDs, the vtable as a component calls it,
// identity, and the names script adds, enumerates and deletes.
#include "dispatch_calls.h"
#include "fake_element.h"

#include <gtest/gtest.h>

namespace {

using namespace qx::html::css;
using namespace csstest::calls;
using csstest::FakeDocument;
using csstest::FakeElement;
using csstest::U8;

DISPID IdOf(IDispatch* target, const char16_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return SUCCEEDED(hr) ? id : DISPID_UNKNOWN;
}

struct DispidRow {
    const char16_t* name;
    DISPID id;
};

// Names a page or a component reaches by DISPID as well as by name.
const DispidRow kStyleDispids[] = {
    {u"backgroundColor", -501},        {u"color", -2147413110},        {u"width", -2147418107},
    {u"height", -2147418106},          {u"top", -2147418108},          {u"left", -2147418109},
    {u"textAlign", -2147418040},       {u"cssText", -2147413013},      {u"fontFamily", -2147413094},
    {u"fontSize", -2147413093},        {u"display", -2147413041},      {u"overflow", -2147413102},
    {u"cursor", -2147413010},          {u"pixelWidth", -2147414110},   {u"posWidth", -2147414106},
    {u"posHeight", -2147414105},       {u"setAttribute", -2147417611}, {u"getAttribute", -2147417610},
    {u"removeAttribute", -2147417609}, {u"TABLELAYOUT", -2147413014},  {u"borderCollapse", -2147413028},
    {u"position", -2147413022},        {u"behavior", -2147412997},     {u"borderTopStyle", -2147413047},
};

TEST(StyleDispatch, DeclarationsMatchTheirVtables) {
    struct {
        const qx::com::DispInterface& decl;
        const IID& iid;
    } interfaces[] = {
        {qx::com::disp_decl_of<IHTMLStyle>, IID_IHTMLStyle},
        {qx::com::disp_decl_of<IHTMLStyle2>, IID_IHTMLStyle2},
        {qx::com::disp_decl_of<IHTMLRuleStyle>, IID_IHTMLRuleStyle},
        {qx::com::disp_decl_of<IHTMLCurrentStyle>, IID_IHTMLCurrentStyle},
        {qx::com::disp_decl_of<IHTMLStyleSheet>, IID_IHTMLStyleSheet},
        {qx::com::disp_decl_of<IHTMLStyleSheetRule>, IID_IHTMLStyleSheetRule},
        {qx::com::disp_decl_of<IHTMLStyleSheetRulesCollection>, IID_IHTMLStyleSheetRulesCollection},
        {qx::com::disp_decl_of<IHTMLStyleSheetsCollection>, IID_IHTMLStyleSheetsCollection},
    };
    for (const auto& itf : interfaces) {
        UINT misplaced = 0;
        EXPECT_TRUE(qx::com::DualSlotsInOrder(itf.decl, &misplaced)) << misplaced;
        EXPECT_EQ(qx::com::FindDispInterface(itf.iid), &itf.decl);
    }
}

TEST(StyleDispatch, OldBrowsersDispids) {
    FakeDocument document;
    FakeElement element(document, u"DIV");
    ComPtr<IDispatch> style;
    ASSERT_EQ(CreateInlineStyle(element, &style), S_OK);
    for (const DispidRow& row : kStyleDispids)
        EXPECT_EQ(IdOf(style.Get(), row.name), row.id) << U8(row.name);
    ComPtr<IDispatch> current;
    ASSERT_EQ(CreateCurrentStyle(element, &current), S_OK);
    EXPECT_EQ(IdOf(current.Get(), u"fontFamily"), -2147413094);
    EXPECT_EQ(IdOf(current.Get(), u"backgroundColor"), -501);

    auto sheet = document.AddSheet(u"P {}");
    ComPtr<IDispatch> sheetObject;
    ASSERT_EQ(GetStyleSheetObject(sheet, &sheetObject), S_OK);
    const DispidRow sheetDispids[] = {{u"title", 1001},      {u"disabled", -2147418036}, {u"addRule", 1010},
                                      {u"removeRule", 1012}, {u"cssText", 1014},         {u"rules", 1015}};
    for (const DispidRow& row : sheetDispids)
        EXPECT_EQ(IdOf(sheetObject.Get(), row.name), row.id) << U8(row.name);
}

TEST(StyleDispatch, ComponentsCallTheVtable) {
    FakeDocument document;
    FakeElement table(document, u"TABLE");
    table.attributes[u"style"] = u"border-collapse: COLLAPSE; width: 10pt";
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(CreateInlineStyle(table, &dispatch), S_OK);
    ComPtr<IHTMLStyle> style;
    ComPtr<IHTMLStyle2> style2;
    ASSERT_EQ(dispatch->QueryInterface(IID_IHTMLStyle, reinterpret_cast<void**>(&style)), S_OK);
    ASSERT_EQ(dispatch->QueryInterface(IID_IHTMLStyle2, reinterpret_cast<void**>(&style2)), S_OK);
    ComPtr<IUnknown> one, two;
    style->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&one));
    style2->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&two));
    EXPECT_EQ(one.Get(), two.Get());

    Bstr collapse;
    ASSERT_EQ(style2->get_borderCollapse(collapse.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(U8(collapse.View()), "collapse");
    FLOAT pos = 0;
    ASSERT_EQ(style->get_posWidth(&pos), S_OK);
    EXPECT_FLOAT_EQ(pos, 10.0f);
    ASSERT_EQ(style->put_posWidth(12.5f), S_OK);
    LONG pixels = 0;
    ASSERT_EQ(style->get_pixelWidth(&pixels), S_OK);
    EXPECT_EQ(pixels, 17); // 16.67 px: points round as layout rounds them
    Bstr fixed(u"fixed");
    ASSERT_EQ(style2->put_tableLayout(fixed.Get()), S_OK);
    Bstr name(u"Design_Time_Lock");
    ASSERT_EQ(style->setAttribute(name.Get(), Variant(u"true"), 0), S_OK);
    EXPECT_EQ(U8(table.attributes[u"style"]),
              "BORDER-COLLAPSE: collapse; WIDTH: 12.5pt; TABLE-LAYOUT: fixed; Design_Time_Lock: true");
    Bstr wide(u"wide");
    EXPECT_EQ(style->put_width(Variant(wide.View())), E_INVALIDARG);
    EXPECT_EQ(style->get_pixelWidth(nullptr), E_POINTER);
}

TEST(StyleDispatch, ScriptNamesComeAndGo) {
    FakeDocument document;
    FakeElement element(document, u"TABLE");
    element.attributes[u"style"] = u"width: 1px; Design_Time_Lock: true";
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(CreateInlineStyle(element, &dispatch), S_OK);
    ComPtr<IDispatchEx> style;
    ASSERT_EQ(dispatch->QueryInterface(IID_IDispatchEx, reinterpret_cast<void**>(&style)), S_OK);

    // The unknown property is a name of the object, found in any case unless asked otherwise.
    DISPID id = DISPID_UNKNOWN;
    Bstr exact(u"Design_Time_Lock"), other(u"design_time_lock"), fresh(u"myMark");
    ASSERT_EQ(style->GetDispID(exact.Get(), fdexNameCaseSensitive, &id), S_OK);
    DISPID again = DISPID_UNKNOWN;
    EXPECT_EQ(style->GetDispID(other.Get(), fdexNameCaseSensitive, &again), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(style->GetDispID(other.Get(), fdexNameCaseInsensitive, &again), S_OK);
    EXPECT_EQ(id, again);
    EXPECT_EQ(style->GetDispID(fresh.Get(), fdexNameCaseInsensitive, &again), DISP_E_UNKNOWNNAME);

    // Enumeration ends with the declared unknown names.
    std::vector<std::string> dynamic;
    DISPID at = DISPID_STARTENUM;
    while (style->GetNextDispID(fdexEnumAll, at, &at) == S_OK) {
        Bstr member;
        if (at >= 0x40000000 && SUCCEEDED(style->GetMemberName(at, member.ReleaseAndGetAddressOf())))
            dynamic.push_back(U8(member.View()));
    }
    EXPECT_EQ(dynamic, std::vector<std::string>{"Design_Time_Lock"});

    // A put makes one; a delete removes the declaration.
    EXPECT_EQ(Put(dispatch.Get(), u"myMark", Variant(LONG(7))), S_OK);
    EXPECT_EQ(U8(element.attributes[u"style"]), "WIDTH: 1px; Design_Time_Lock: true; myMark: 7");
    EXPECT_EQ(style->DeleteMemberByName(exact.Get(), fdexNameCaseSensitive), S_OK);
    EXPECT_EQ(U8(element.attributes[u"style"]), "WIDTH: 1px; myMark: 7");
    EXPECT_EQ(Text(Call(dispatch.Get(), u"getAttribute", {Variant(u"Design_Time_Lock")})), "<null>");
    // Known properties that no interface member carries are reached by their CSS name too.
    EXPECT_EQ(Text(Get(dispatch.Get(), u"width")), "1px");
    EXPECT_EQ(Put(dispatch.Get(), u"word-break", Variant(u"keep-all")), S_OK);
    EXPECT_EQ(Text(Get(dispatch.Get(), u"wordBreak")), "keep-all");
    EXPECT_EQ(style->DeleteMemberByName(Bstr(u"width").Get(), 0), S_FALSE) << "interface members stay";
}

TEST(StyleDispatch, ObjectsOutliveWhatTheyCameFrom) {
    FakeDocument document;
    auto sheet = document.AddSheet(u"P { color: red } DIV { color: blue }");
    ComPtr<IDispatch> sheetObject, rules, rule, ruleStyle;
    ASSERT_EQ(GetStyleSheetObject(sheet, &sheetObject), S_OK);
    rules = Object(Get(sheetObject.Get(), u"rules"));
    rule = Object(Call(rules.Get(), u"item", {Variant(LONG(0))}));
    ruleStyle = Object(Get(rule.Get(), u"style"));
    EXPECT_EQ(Object(Get(rule.Get(), u"style")).Get(), ruleStyle.Get());
    Call(sheetObject.Get(), u"removeRule", {Variant(LONG(0))});
    document.sheets.clear();
    sheet.reset();
    // The removed rule and its style still answer; the sheet still has its other rule.
    EXPECT_EQ(Text(Get(rule.Get(), u"selectorText")), "P");
    EXPECT_EQ(Put(ruleStyle.Get(), u"color", Variant(u"green")), S_OK);
    EXPECT_EQ(Text(Get(ruleStyle.Get(), u"cssText")), "COLOR: green");
    EXPECT_EQ(Text(Get(rules.Get(), u"length")), "1");
    EXPECT_EQ(Text(Get(sheetObject.Get(), u"cssText")), "DIV {\r\n\tCOLOR: blue\r\n}\r\n");
    EXPECT_EQ(Put(rule.Get(), u"selectorText", Variant(u"TD.x")), S_OK);
    EXPECT_EQ(Text(Get(rule.Get(), u"selectorText")), "TD.x");
    EXPECT_NE(Put(rule.Get(), u"selectorText", Variant(u"A > B")), S_OK);
}

TEST(StyleDispatch, SheetsEnumerate) {
    FakeDocument document;
    document.AddSheet(u"P {}")->title = u"one";
    document.AddSheet(u"")->title = u"two";
    ComPtr<IDispatch> sheets;
    ASSERT_EQ(CreateStyleSheetsCollection(document, &sheets), S_OK);
    Variant enumerator = Get(sheets.Get(), u"_newEnum");
    ASSERT_EQ(V_VT(&enumerator), VT_UNKNOWN);
    ComPtr<IEnumVARIANT> items;
    ASSERT_EQ(V_UNKNOWN(&enumerator)->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items)),
              S_OK);
    std::vector<std::string> titles;
    Variant item;
    ULONG fetched = 0;
    while (items->Next(1, &item, &fetched) == S_OK && fetched == 1) {
        titles.push_back(Text(Get(V_DISPATCH(&item), u"title")));
        VariantClear(&item);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"one", "two"}));
}

} // namespace
