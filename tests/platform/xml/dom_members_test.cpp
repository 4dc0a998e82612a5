// Every member the components use, called by name through IDispatch.
#include "dom_test_util.h"

using namespace xmltest;

namespace {

const std::u16string kTree =
    u"<TREEVIEWDATA><NODE a=\"1\" b=\"x&amp;y\"><VALUE>One</VALUE><NODES>"
    u"<NODE><VALUE>Two</VALUE></NODE><NODE><VALUE>Three</VALUE></NODE></NODES></NODE>"
    u"<NODE><VALUE>Four</VALUE><!--c--></NODE></TREEVIEWDATA>";

class DomMembers : public ::testing::Test {
protected:
    void SetUp() override {
        doc = NewDocument();
        ASSERT_TRUE(LoadXml(doc.Get(), kTree));
        root = Get(doc.Get(), u"documentElement");
        ASSERT_NE(Obj(root), nullptr);
    }
    std::u16string XmlOf(IDispatch* d) { return Text(Get(d, u"xml")); }

    ComPtr<IDispatch> doc;
    Variant root;
};

TEST_F(DomMembers, NodeProperties) {
    struct Row {
        const char16_t* query;
        const char16_t* name;
        LONG type;
        const char16_t* typeString;
        const char16_t* text;
    };
    const Row rows[] = {
        {u"TREEVIEWDATA", u"TREEVIEWDATA", NODE_ELEMENT, u"element", u"OneTwoThreeFour"},
        {u"TREEVIEWDATA/NODE/@b", u"b", NODE_ATTRIBUTE, u"attribute", u"x&y"},
        {u"TREEVIEWDATA/NODE/VALUE/text()", u"#text", NODE_TEXT, u"text", u"One"},
        {u"//comment()", u"#comment", NODE_COMMENT, u"comment", u"c"},
    };
    for (const Row& r : rows) {
        Variant n = Call(doc.Get(), u"selectSingleNode", {Variant(r.query)});
        ASSERT_NE(Obj(n), nullptr) << Narrow(r.query);
        EXPECT_EQ(Text(Get(Obj(n), u"nodeName")), r.name);
        Variant type = Get(Obj(n), u"nodeType");
        EXPECT_EQ(type.lVal, r.type);
        EXPECT_EQ(Text(Get(Obj(n), u"nodeTypeString")), r.typeString);
        EXPECT_EQ(Text(Get(Obj(n), u"text")), r.text) << Narrow(r.query);
    }
    EXPECT_EQ(Text(Get(doc.Get(), u"nodeName")), u"#document");
    EXPECT_EQ(Get(doc.Get(), u"nodeType").lVal, NODE_DOCUMENT);
    EXPECT_EQ(Get(Obj(root), u"nodeValue").vt, VT_NULL);
}

TEST_F(DomMembers, NavigationAndChildList) {
    Variant first = Get(Obj(root), u"firstChild");
    Variant last = Get(Obj(root), u"lastChild");
    EXPECT_EQ(XmlOf(Obj(Get(Obj(first), u"firstChild"))), u"<VALUE>One</VALUE>");
    EXPECT_EQ(XmlOf(Obj(last)), u"<NODE><VALUE>Four</VALUE><!--c--></NODE>");
    EXPECT_EQ(XmlOf(Obj(Get(Obj(first), u"nextSibling"))), XmlOf(Obj(last)));
    EXPECT_EQ(XmlOf(Obj(Get(Obj(last), u"previousSibling"))), XmlOf(Obj(first)));
    EXPECT_EQ(Get(Obj(first), u"previousSibling").vt, VT_DISPATCH);
    EXPECT_EQ(Obj(Get(Obj(first), u"previousSibling")), nullptr);
    EXPECT_EQ(Text(Get(Obj(Get(Obj(first), u"parentNode")), u"nodeName")), u"TREEVIEWDATA");
    EXPECT_EQ(Text(Get(Obj(Get(Obj(root), u"parentNode")), u"nodeName")), u"#document");
    EXPECT_EQ(Text(Get(Obj(Get(Obj(first), u"ownerDocument")), u"nodeName")), u"#document");

    Variant list = Get(Obj(root), u"childNodes");
    EXPECT_EQ(Get(Obj(list), u"length").lVal, 2);
    EXPECT_EQ(XmlOf(Obj(Get(Obj(list), u"item", {Variant(LONG(1))}))), XmlOf(Obj(last)));
    EXPECT_EQ(Obj(Get(Obj(list), u"item", {Variant(LONG(2))})), nullptr);
    EXPECT_EQ(Obj(Get(Obj(list), u"item", {Variant(LONG(-1))})), nullptr);
    std::vector<std::u16string> seen;
    for (Variant n = Call(Obj(list), u"nextNode"); Obj(n); n = Call(Obj(list), u"nextNode"))
        seen.push_back(Text(Get(Obj(n), u"text")));
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"OneTwoThree", u"Four"}));
    Call(Obj(list), u"reset");
    EXPECT_EQ(Text(Get(Obj(Call(Obj(list), u"nextNode")), u"text")), u"OneTwoThree");

    // The child list is live: a child appended later shows in it.
    Variant e = Call(doc.Get(), u"createElement", {Variant(u"NODE")});
    Call(Obj(root), u"appendChild", {e});
    EXPECT_EQ(Get(Obj(list), u"length").lVal, 3);

    // _newEnum hands out the same nodes.
    Variant en = Get(Obj(list), u"_newEnum");
    ComPtr<IEnumVARIANT> it;
    ASSERT_EQ(en.punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&it)), S_OK);
    int count = 0;
    for (Variant v; it->Next(1, &v, nullptr) == S_OK; VariantClear(&v))
        ++count;
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Get(Obj(root), u"hasChildNodes").boolVal, VARIANT_TRUE);
    EXPECT_EQ(Get(Obj(e), u"hasChildNodes").boolVal, VARIANT_FALSE);
}

TEST_F(DomMembers, SelectionPaths) {
    struct Row {
        const char16_t* query;
        LONG length;
        const char16_t* firstText;
    };
    const Row rows[] = {
        {u"TREEVIEWDATA/NODE", 2, u"OneTwoThree"},
        {u"TREEVIEWDATA/NODE/NODES/NODE/VALUE", 2, u"Two"},
        {u"TREEVIEWDATA/*", 2, u"OneTwoThree"},
        {u"//VALUE", 4, u"One"},
        {u"//NODE[@a='1']", 1, u"OneTwoThree"},
        {u"//NODE[@a='2']", 0, nullptr},
        {u"TREEVIEWDATA/NODE[2]/VALUE", 1, u"Four"},
        {u"TREEVIEWDATA/NODE/@a", 1, u"1"},
        {u"MISSING/NODE", 0, nullptr},
    };
    for (const Row& r : rows) {
        Variant list = Call(doc.Get(), u"selectNodes", {Variant(r.query)});
        ASSERT_NE(Obj(list), nullptr) << Narrow(r.query);
        EXPECT_EQ(Get(Obj(list), u"length").lVal, r.length) << Narrow(r.query);
        Variant single = Call(doc.Get(), u"selectSingleNode", {Variant(r.query)});
        if (r.firstText)
            EXPECT_EQ(Text(Get(Obj(single), u"text")), r.firstText) << Narrow(r.query);
        else
            EXPECT_EQ(Obj(single), nullptr);
    }
    // Relative to an element.
    Variant node = Call(doc.Get(), u"selectSingleNode", {Variant(u"TREEVIEWDATA/NODE")});
    EXPECT_EQ(Text(Get(Obj(Call(Obj(node), u"selectSingleNode", {Variant(u"VALUE")})), u"text")), u"One");
    HRESULT hr = S_OK;
    Call(doc.Get(), u"selectNodes", {Variant(u"TREEVIEWDATA/[")}, &hr);
    EXPECT_TRUE(FAILED(hr));
}

TEST_F(DomMembers, Attributes) {
    Variant node = Call(doc.Get(), u"selectSingleNode", {Variant(u"TREEVIEWDATA/NODE")});
    IDispatch* e = Obj(node);
    EXPECT_EQ(Text(Call(e, u"getAttribute", {Variant(u"b")})), u"x&y");
    EXPECT_EQ(Call(e, u"getAttribute", {Variant(u"zz")}).vt, VT_NULL);
    Call(e, u"setAttribute", {Variant(u"c"), Variant(u"<\"q\">")});
    Call(e, u"setAttribute", {Variant(u"a"), Variant(LONG(7))});
    Variant map = Get(e, u"attributes");
    EXPECT_EQ(Get(Obj(map), u"length").lVal, 3);
    EXPECT_EQ(Text(Get(Obj(Get(Obj(map), u"item", {Variant(LONG(2))})), u"nodeName")), u"c");
    EXPECT_EQ(Text(Get(Obj(Call(Obj(map), u"getNamedItem", {Variant(u"a")})), u"value")), u"7");
    Call(e, u"removeAttribute", {Variant(u"b")});
    EXPECT_EQ(Call(e, u"getAttribute", {Variant(u"b")}).vt, VT_NULL);
    std::u16string x = XmlOf(e);
    EXPECT_EQ(x.substr(0, x.find(u"<VALUE")), u"<NODE a=\"7\" c=\"&lt;&quot;q&quot;>\">");
    HRESULT hr = S_OK;
    Call(e, u"setAttribute", {Variant(u"1bad"), Variant(u"v")}, &hr);
    EXPECT_TRUE(FAILED(hr));
    Variant attr = Call(e, u"getAttributeNode", {Variant(u"a")});
    EXPECT_EQ(Put(Obj(attr), u"value", Variant(u"8")), S_OK);
    EXPECT_EQ(Text(Call(e, u"getAttribute", {Variant(u"a")})), u"8");
}

TEST_F(DomMembers, BuildingAndEditing) {
    ComPtr<IDispatch> d = NewDocument();
    Variant top = Call(d.Get(), u"createElement", {Variant(u"OUT")});
    Call(d.Get(), u"appendChild", {top});
    const char16_t* names[] = {u"SURNAME", u"GIVEN_NAME", u"COMMENT"};
    for (const char16_t* n : names) {
        Variant e = Call(d.Get(), u"createElement", {Variant(n)});
        Variant t = Call(d.Get(), u"createTextNode", {Variant(u"a<b>&c")});
        Call(Obj(e), u"appendChild", {t});
        Call(Obj(top), u"appendChild", {e});
    }
    EXPECT_EQ(Text(Get(d.Get(), u"xml")),
              u"<OUT><SURNAME>a&lt;b&gt;&amp;c</SURNAME><GIVEN_NAME>a&lt;b&gt;&amp;c</GIVEN_NAME>"
              u"<COMMENT>a&lt;b&gt;&amp;c</COMMENT></OUT>\r\n");
    EXPECT_EQ(Text(Get(Obj(Call(d.Get(), u"selectSingleNode", {Variant(u"OUT/GIVEN_NAME")})), u"text")),
              u"a<b>&c");

    Variant given = Call(d.Get(), u"selectSingleNode", {Variant(u"OUT/GIVEN_NAME")});
    Variant comment = Call(d.Get(), u"selectSingleNode", {Variant(u"OUT/COMMENT")});
    Variant fresh = Call(d.Get(), u"createElement", {Variant(u"TITLE")});
    Call(Obj(top), u"insertBefore", {fresh, given});
    Variant empty = Call(d.Get(), u"createElement", {Variant(u"END")});
    Call(Obj(top), u"insertBefore", {empty, Variant()});
    Call(Obj(top), u"removeChild", {Call(d.Get(), u"selectSingleNode", {Variant(u"OUT/SURNAME")})});
    Variant repl = Call(d.Get(), u"createElement", {Variant(u"NOTE")});
    Variant old = Call(Obj(top), u"replaceChild", {repl, comment});
    EXPECT_EQ(Text(Get(Obj(old), u"nodeName")), u"COMMENT");
    EXPECT_EQ(Obj(Get(Obj(old), u"parentNode")), nullptr);
    EXPECT_EQ(Text(Get(d.Get(), u"xml")),
              u"<OUT><TITLE/><GIVEN_NAME>a&lt;b&gt;&amp;c</GIVEN_NAME><NOTE/><END/></OUT>\r\n");

    // Moving a node keeps one copy of it; a node cannot go below itself.
    Call(Obj(top), u"appendChild", {given});
    EXPECT_EQ(Get(Obj(Get(Obj(top), u"childNodes")), u"length").lVal, 4);
    EXPECT_EQ(Text(Get(Obj(Get(Obj(top), u"lastChild")), u"nodeName")), u"GIVEN_NAME");
    HRESULT hr = S_OK;
    Call(Obj(given), u"appendChild", {top}, &hr);
    EXPECT_TRUE(FAILED(hr));
    Call(Obj(top), u"removeChild", {Call(d.Get(), u"createElement", {Variant(u"X")})}, &hr);
    EXPECT_TRUE(FAILED(hr));
    // A second document element is refused.
    Call(d.Get(), u"appendChild", {Call(d.Get(), u"createElement", {Variant(u"SECOND")})}, &hr);
    EXPECT_TRUE(FAILED(hr));

    // Deep and shallow clones are detached copies.
    Variant deep = Call(Obj(top), u"cloneNode", {Variant(true)});
    Variant shallow = Call(Obj(top), u"cloneNode", {Variant(false)});
    EXPECT_EQ(Text(Get(Obj(deep), u"xml")), Text(Get(Obj(top), u"xml")));
    EXPECT_EQ(Text(Get(Obj(shallow), u"xml")), u"<OUT/>");
    EXPECT_EQ(Obj(Get(Obj(deep), u"parentNode")), nullptr);

    // text put replaces the children; nodeValue of text.
    EXPECT_EQ(Put(Obj(top), u"text", Variant(u"plain")), S_OK);
    EXPECT_EQ(Text(Get(d.Get(), u"xml")), u"<OUT>plain</OUT>\r\n");
    Variant t = Get(Obj(top), u"firstChild");
    EXPECT_EQ(Put(Obj(t), u"nodeValue", Variant(u"other")), S_OK);
    EXPECT_EQ(Text(Get(Obj(t), u"nodeValue")), u"other");
    // The removed children are still usable.
    EXPECT_EQ(Text(Get(Obj(given), u"xml")), u"<GIVEN_NAME>a&lt;b&gt;&amp;c</GIVEN_NAME>");
}

TEST_F(DomMembers, NodesFromAnotherDocumentAreCopiedIn) {
    ComPtr<IDispatch> other = NewDocument();
    ASSERT_TRUE(LoadXml(other.Get(), u"<IN><NAME>k</NAME></IN>"));
    Variant name = Call(other.Get(), u"selectSingleNode", {Variant(u"IN/NAME")});
    Variant placed = Call(Obj(root), u"appendChild", {name});
    EXPECT_EQ(Text(Get(Obj(placed), u"xml")), u"<NAME>k</NAME>");
    EXPECT_EQ(Text(Get(other.Get(), u"xml")), u"<IN><NAME>k</NAME></IN>\r\n");
}

TEST_F(DomMembers, DocumentElementReplacedAndReloadKeepsOldNodes) {
    Variant oldNode = Call(doc.Get(), u"selectSingleNode", {Variant(u"TREEVIEWDATA/NODE/VALUE")});
    Variant e = Call(doc.Get(), u"createElement", {Variant(u"IN")});
    Variant ignored;
    ASSERT_EQ(CallByName(doc.Get(), u"documentElement", DISPATCH_PROPERTYPUTREF, {e}, &ignored), S_OK);
    EXPECT_EQ(Text(Get(doc.Get(), u"xml")), u"<IN/>\r\n");
    ASSERT_TRUE(LoadXml(doc.Get(), u"<A/>"));
    EXPECT_EQ(Text(Get(Obj(oldNode), u"xml")), u"<VALUE>One</VALUE>");
    EXPECT_EQ(Text(Get(doc.Get(), u"xml")), u"<A/>\r\n");
}

TEST(DomDocument, FlagsAndDefaults) {
    ComPtr<IDispatch> doc;
    ASSERT_EQ(qx::xml::CreateDOMDocument(nullptr, IID_IDispatch, reinterpret_cast<void**>(&doc)), S_OK);
    EXPECT_EQ(Get(doc.Get(), u"async").boolVal, VARIANT_TRUE);
    EXPECT_EQ(Put(doc.Get(), u"async", Variant(false)), S_OK);
    EXPECT_EQ(Get(doc.Get(), u"async").boolVal, VARIANT_FALSE);
    EXPECT_EQ(Get(doc.Get(), u"readyState").lVal, 4);
    EXPECT_EQ(Get(doc.Get(), u"preserveWhiteSpace").boolVal, VARIANT_FALSE);
    EXPECT_EQ(Obj(Get(doc.Get(), u"documentElement")), nullptr);
    EXPECT_EQ(Text(Get(doc.Get(), u"xml")), u"");
    EXPECT_EQ(Get(Obj(Get(doc.Get(), u"parseError")), u"errorCode").lVal, 0);

    ComPtr<IUnknown> outer;
    ASSERT_EQ(qx::xml::CreateDOMDocument(nullptr, IID_IUnknown, reinterpret_cast<void**>(&outer)), S_OK);
    void* p = nullptr;
    EXPECT_EQ(qx::xml::CreateDOMDocument(outer.Get(), IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(qx::xml::GetDOMDocumentClassObject(IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    ComPtr<IXMLDOMDocument> typed;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IXMLDOMDocument, reinterpret_cast<void**>(&typed)), S_OK);
}

TEST(DomDocument, WhitespaceAndSerialisation) {
    struct Row {
        const char16_t* input;
        bool preserve;
        const char16_t* xml;
        const char16_t* rootText;
    };
    const Row rows[] = {
        {u"<a>\r\n  <b> x </b>\r\n</a>", false, u"<a><b> x </b></a>\r\n", u"x"},
        {u"<a>\n  <b> x </b>\n</a>", true, u"<a>\n  <b> x </b>\n</a>\r\n", u"\n   x \n"},
        {u"<?xml version=\"1.0\" encoding=\"euc-kr\"?><a/>", false,
         u"<?xml version=\"1.0\" encoding=\"euc-kr\"?>\r\n<a/>\r\n", u""},
        {u"<?xml version='1.0' standalone='yes'?><!--c--><a/><?pi data?>", false,
         u"<?xml version=\"1.0\" standalone=\"yes\"?>\r\n<!--c-->\r\n<a/>\r\n<?pi data?>\r\n", u""},
        {u"<a><![CDATA[<x>]]></a>", false, u"<a><![CDATA[<x>]]></a>\r\n", u"<x>"},
        {u"<a t='&apos;&#x4E00;'>&#65;&gt;</a>", false, u"<a t=\"'\x4E00\">A&gt;</a>\r\n", u"A>"},
    };
    for (const Row& r : rows) {
        ComPtr<IDispatch> doc = NewDocument();
        Put(doc.Get(), u"preserveWhiteSpace", Variant(r.preserve));
        ASSERT_TRUE(LoadXml(doc.Get(), r.input)) << Narrow(r.input);
        EXPECT_EQ(Text(Get(doc.Get(), u"xml")), r.xml) << Narrow(r.input);
        EXPECT_EQ(Text(Get(Obj(Get(doc.Get(), u"documentElement")), u"text")), r.rootText) << Narrow(r.input);
    }
}

TEST(DomDocument, TextNodeMembers) {
    ComPtr<IDispatch> doc = NewDocument();
    ASSERT_TRUE(LoadXml(doc.Get(), u"<a>hello</a>"));
    Variant t = Get(Obj(Get(doc.Get(), u"documentElement")), u"firstChild");
    EXPECT_EQ(Get(Obj(t), u"length").lVal, 5);
    Call(Obj(t), u"appendData", {Variant(u" world")});
    Variant right = Call(Obj(t), u"splitText", {Variant(LONG(5))});
    EXPECT_EQ(Text(Get(Obj(t), u"data")), u"hello");
    EXPECT_EQ(Text(Get(Obj(right), u"data")), u" world");
    EXPECT_EQ(Get(Obj(Get(Obj(Get(doc.Get(), u"documentElement")), u"childNodes")), u"length").lVal, 2);
    HRESULT hr = S_OK;
    Call(Obj(t), u"splitText", {Variant(LONG(99))}, &hr);
    EXPECT_TRUE(FAILED(hr));
}

} // namespace
