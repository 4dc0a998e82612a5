// The document's objects through IDispatch as script reaches them: identity, detached nodes, live
// collections, attribute semantics, the content members and the node members.
#include <gtest/gtest.h>
#include <oleauto.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <qx/html/dom/html_document.h>
#include <qx/win32/codepage.h>

#include <dispex.h>

#include <initializer_list>
#include <string>

namespace {

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

// Calls a member by name as script does (arguments in the order written).
HRESULT Call(IDispatch* object, std::u16string_view name, WORD flags, std::initializer_list<Variant> args,
             Variant* result = nullptr) {
    ComPtr<IDispatchEx> ex;
    if (FAILED(object->QueryInterface(IID_IDispatchEx, reinterpret_cast<void**>(&ex))))
        return E_NOINTERFACE;
    Bstr bstr(name);
    DISPID id = 0;
    HRESULT hr = ex->GetDispID(bstr.Get(), (flags & DISPATCH_PROPERTYPUT) ? fdexNameEnsure : 0, &id);
    if (FAILED(hr))
        return hr;
    std::vector<Variant> reversed(args.begin(), args.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    Variant ignored;
    return ex->InvokeEx(id, 0, flags, &params, result ? result : &ignored, nullptr, nullptr);
}

Variant Get(IDispatch* object, std::u16string_view name) {
    Variant v;
    EXPECT_EQ(Call(object, name, DISPATCH_PROPERTYGET, {}, &v), S_OK) << qx::win32::WideToUtf8(name);
    return v;
}

std::u16string Text(IDispatch* object, std::u16string_view name) {
    Variant v = Get(object, name);
    return v.vt == VT_BSTR ? std::u16string(Bstr(v.bstrVal).View()) : u"<not text>";
}

ComPtr<IDispatch> Object(IDispatch* object, std::u16string_view name,
                         std::initializer_list<Variant> args = {}) {
    Variant v;
    EXPECT_EQ(Call(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, &v), S_OK)
        << qx::win32::WideToUtf8(name);
    return v.vt == VT_DISPATCH ? ComPtr<IDispatch>(v.pdispVal) : ComPtr<IDispatch>();
}

HRESULT Put(IDispatch* object, std::u16string_view name, Variant value) {
    return Call(object, name, DISPATCH_PROPERTYPUT, {value});
}

IUnknown* Identity(IDispatch* object) {
    ComPtr<IUnknown> unknown;
    object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown));
    return unknown.Get();
}

class DomObjects : public testing::Test {
protected:
    void Load(std::u16string_view html) {
        ComPtr<IHTMLDocument2> document;
        ASSERT_EQ(qx::html::dom::ParseHtmlDocumentObject(html, &document), S_OK);
        doc = ComPtr<IDispatch>(document.Get());
    }
    ComPtr<IDispatch> ById(std::u16string_view id) {
        return Object(doc.Get(), u"getElementById", {Variant(id)});
    }

    ComPtr<IDispatch> doc;
};

TEST_F(DomObjects, OneObjectPerNodeByEveryRoad) {
    Load(u"<body><div id=a><span id=b>x</span></div></body>");
    ComPtr<IDispatch> a = ById(u"a");
    ComPtr<IDispatch> b = ById(u"b");
    EXPECT_EQ(Identity(a.Get()), Identity(ById(u"a").Get()));
    EXPECT_EQ(Identity(b.Get()), Identity(Object(a.Get(), u"firstChild").Get()));
    EXPECT_EQ(Identity(a.Get()), Identity(Object(b.Get(), u"parentElement").Get()));
    EXPECT_EQ(Identity(a.Get()),
              Identity(Object(Object(doc.Get(), u"all").Get(), u"item", {Variant(u"a")}).Get()));
    ComPtr<IDispatch> html = Object(doc.Get(), u"documentElement");
    EXPECT_EQ(Identity(doc.Get()), Identity(Object(html.Get(), u"parentNode").Get()));
    EXPECT_EQ(Identity(doc.Get()), Identity(Object(b.Get(), u"document").Get()));
    ComPtr<IDispatch> text = Object(b.Get(), u"firstChild");
    EXPECT_EQ(Get(text.Get(), u"nodeType").lVal, 3);
    EXPECT_EQ(Text(text.Get(), u"nodeName"), u"#text");
    EXPECT_EQ(Text(text.Get(), u"nodeValue"), u"x");
}

TEST_F(DomObjects, DetachedSubtreesStayUsable) {
    Load(u"<body><div id=a><p id=p><b id=b>bold</b></p></div></body>");
    ComPtr<IDispatch> b = ById(u"b");
    {
        ComPtr<IDispatch> a = ById(u"a");
        ComPtr<IDispatch> p = ById(u"p");
        ComPtr<IDispatch> removed = Object(a.Get(), u"removeChild", {Variant(p.Get())});
        EXPECT_EQ(Identity(removed.Get()), Identity(p.Get()));
    } // nothing holds P now but B does
    EXPECT_EQ(ById(u"b").Get(), nullptr);
    ComPtr<IDispatch> p = Object(b.Get(), u"parentNode");
    ASSERT_TRUE(p);
    EXPECT_EQ(Text(p.Get(), u"outerHTML"), u"<P id=p><B id=b>bold</B></P>");
    EXPECT_EQ(Object(p.Get(), u"parentNode").Get(), nullptr);
    EXPECT_EQ(Get(b.Get(), u"sourceIndex").lVal, -1);
    ComPtr<IDispatch> body = Object(doc.Get(), u"body");
    Object(body.Get(), u"appendChild", {Variant(p.Get())});
    EXPECT_EQ(Identity(ById(u"b").Get()), Identity(b.Get()));
}

TEST_F(DomObjects, CollectionsAreLiveWhileTheTreeChanges) {
    Load(u"<body><div id=d><i>1</i><i>2</i><i>3</i><i>4</i></div></body>");
    ComPtr<IDispatch> d = ById(u"d");
    ComPtr<IDispatch> children = Object(d.Get(), u"children");
    ComPtr<IDispatch> nodes = Object(d.Get(), u"childNodes");
    EXPECT_EQ(Get(children.Get(), u"length").lVal, 4);
    // Removing while walking forward: every other one goes, and nothing freed is read.
    for (LONG i = 0; i < Get(children.Get(), u"length").lVal; ++i) {
        ComPtr<IDispatch> item = Object(children.Get(), u"item", {Variant(i)});
        Object(d.Get(), u"removeChild", {Variant(item.Get())});
    }
    EXPECT_EQ(Text(d.Get(), u"innerHTML"), u"<I>2</I><I>4</I>");
    EXPECT_EQ(Get(nodes.Get(), u"length").lVal, 2);
    Put(d.Get(), u"innerHTML", Variant(u"<b>x</b>"));
    EXPECT_EQ(Get(children.Get(), u"length").lVal, 1);
    EXPECT_EQ(Text(Object(nodes.Get(), u"item", {Variant(LONG(0))}).Get(), u"tagName"), u"B");
    EXPECT_EQ(Call(nodes.Get(), u"item", DISPATCH_METHOD, {Variant(LONG(5))}), E_INVALIDARG);
    // An enumerator is a snapshot.
    Variant e;
    ASSERT_EQ(Call(children.Get(), u"_newEnum", DISPATCH_PROPERTYGET, {}, &e), S_OK);
    Put(d.Get(), u"innerHTML", Variant(u""));
    ComPtr<IEnumVARIANT> items;
    e.punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items));
    Variant first;
    ULONG fetched = 0;
    ASSERT_EQ(items->Next(1, &first, &fetched), S_OK);
    EXPECT_EQ(Text(first.pdispVal, u"outerHTML"), u"<B>x</B>");
}

TEST_F(DomObjects, ItemByNameGivesAnElementOrACollection) {
    Load(u"<body><form name=f><input name=x id=one><input name=x><input name=y></form><img id=i></body>");
    ComPtr<IDispatch> all = Object(doc.Get(), u"all");
    struct Case {
        std::u16string name;
        bool collection;
        LONG length;
    } cases[] = {{u"y", false, 0}, {u"one", false, 0}, {u"x", true, 2}, {u"f", false, 0}};
    for (const Case& c : cases) {
        ComPtr<IDispatch> found = Object(all.Get(), u"item", {Variant(c.name)});
        ASSERT_TRUE(found) << qx::win32::WideToUtf8(c.name);
        ComPtr<IHTMLElementCollection> asCollection;
        found->QueryInterface(IID_IHTMLElementCollection, reinterpret_cast<void**>(&asCollection));
        EXPECT_EQ(asCollection != nullptr, c.collection);
        if (c.collection) {
            EXPECT_EQ(Get(found.Get(), u"length").lVal, c.length);
        }
    }
    EXPECT_EQ(Object(all.Get(), u"item", {Variant(u"none")}).Get(), nullptr);
    EXPECT_EQ(Text(Object(all.Get(), u"item", {Variant(u"x"), Variant(LONG(1))}).Get(), u"outerHTML"),
              u"<INPUT name=x>");
    // Names and indexes read as members too.
    EXPECT_EQ(Identity(Get(all.Get(), u"one").pdispVal), Identity(ById(u"one").Get()));
    EXPECT_EQ(Text(Get(all.Get(), u"0").pdispVal, u"tagName"), u"HTML");
    ComPtr<IDispatch> inputs = Object(all.Get(), u"tags", {Variant(u"INPUT")});
    EXPECT_EQ(Get(inputs.Get(), u"length").lVal, 3);
    EXPECT_EQ(Get(Object(doc.Get(), u"forms").Get(), u"length").lVal, 1);
    EXPECT_EQ(Get(Object(doc.Get(), u"images").Get(), u"length").lVal, 1);
    EXPECT_EQ(Get(Object(doc.Get(), u"getElementsByName", {Variant(u"x")}).Get(), u"length").lVal, 2);
    EXPECT_EQ(Get(Object(doc.Get(), u"getElementsByTagName", {Variant(u"*")}).Get(), u"length").lVal, 8);
}

TEST_F(DomObjects, AttributeSemantics) {
    Load(u"<body><table><tr><td id=c free Class=k>1</td></tr></table></body>");
    ComPtr<IDispatch> td = ById(u"c");
    Variant missing;
    ASSERT_EQ(Call(td.Get(), u"getAttribute", DISPATCH_METHOD, {Variant(u"absent")}, &missing), S_OK);
    EXPECT_EQ(missing.vt, VT_NULL);
    EXPECT_EQ(Text(td.Get(), u"free"), u""); // a bare attribute is present and empty
    Variant value;
    Call(td.Get(), u"getAttribute", DISPATCH_METHOD, {Variant(u"FREE")}, &value);
    EXPECT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(Text(td.Get(), u"className"), u"k");
    Call(td.Get(), u"setAttribute", DISPATCH_METHOD, {Variant(u"colSpan"), Variant(LONG(2))});
    Call(td.Get(), u"setAttribute", DISPATCH_METHOD, {Variant(u"flag"), Variant(u"")});
    Call(td.Get(), u"setAttribute", DISPATCH_METHOD, {Variant(u"done"), Variant(true)});
    EXPECT_EQ(Put(td.Get(), u"idSignmark", Variant(LONG(7))), S_OK); // an unknown name is an attribute
    EXPECT_EQ(Text(td.Get(), u"outerHTML"),
              u"<TD id=c free Class=k colSpan=2 flag=\"\" done=true idSignmark=7>1</TD>");
    Variant removed;
    Call(td.Get(), u"removeAttribute", DISPATCH_METHOD, {Variant(u"NOTHERE")}, &removed);
    EXPECT_EQ(removed.vt, VT_BOOL);
    EXPECT_EQ(removed.boolVal, VARIANT_FALSE);
    Call(td.Get(), u"removeAttribute", DISPATCH_METHOD, {Variant(u"Free")}, &removed);
    EXPECT_EQ(removed.boolVal, VARIANT_TRUE);
    // An object put by script is an expando, never an attribute.
    EXPECT_EQ(Put(td.Get(), u"handler", Variant(doc.Get())), S_OK);
    EXPECT_EQ(Identity(Get(td.Get(), u"handler").pdispVal), Identity(doc.Get()));
    EXPECT_EQ(Text(td.Get(), u"outerHTML"),
              u"<TD id=c Class=k colSpan=2 flag=\"\" done=true idSignmark=7>1</TD>");
    // Lookups follow a changed id.
    Put(td.Get(), u"id", Variant(u"renamed"));
    EXPECT_EQ(ById(u"c").Get(), nullptr);
    EXPECT_EQ(Identity(ById(u"renamed").Get()), Identity(td.Get()));
    EXPECT_EQ(Identity(Get(Object(doc.Get(), u"all").Get(), u"renamed").pdispVal), Identity(td.Get()));
}

struct ContentCase {
    const char* name;
    std::u16string member;
    std::vector<Variant> args;
    bool put;
    HRESULT hr;
    std::u16string body; // the body's innerHTML after
};

TEST_F(DomObjects, ContentMembers) {
    const ContentCase cases[] = {
        {"innerHTML",
         u"innerHTML",
         {Variant(u"<b>n&nbsp</b>")},
         true,
         S_OK,
         u"<DIV id=t><B>n&nbsp;</B></DIV>"},
        {"innerText lines", u"innerText", {Variant(u"a<\r\nb")}, true, S_OK, u"<DIV id=t>a&lt;<BR>b</DIV>"},
        {"outerHTML", u"outerHTML", {Variant(u"<p>1</p><p>2</p>")}, true, S_OK, u"<P>1</P><P>2</P>"},
        {"outerText", u"outerText", {Variant(u"plain")}, true, S_OK, u"plain"},
        {"beforeBegin",
         u"insertAdjacentHTML",
         {Variant(u"BeforeBegin"), Variant(u"<i>x</i>")},
         false,
         S_OK,
         u"<I>x</I><DIV id=t>old</DIV>"},
        {"afterBegin",
         u"insertAdjacentHTML",
         {Variant(u"afterbegin"), Variant(u"<i>x</i>")},
         false,
         S_OK,
         u"<DIV id=t><I>x</I>old</DIV>"},
        {"beforeEnd text",
         u"insertAdjacentText",
         {Variant(u"BEFOREEND"), Variant(u"<&>")},
         false,
         S_OK,
         u"<DIV id=t>old&lt;&amp;&gt;</DIV>"},
        {"afterEnd",
         u"insertAdjacentHTML",
         {Variant(u"afterEnd"), Variant(u"<i>x</i>")},
         false,
         S_OK,
         u"<DIV id=t>old</DIV><I>x</I>"},
        {"bad position",
         u"insertAdjacentHTML",
         {Variant(u"middle"), Variant(u"x")},
         false,
         E_INVALIDARG,
         u"<DIV id=t>old</DIV>"},
    };
    for (const ContentCase& c : cases) {
        SCOPED_TRACE(c.name);
        Load(u"<body><div id=t>old</div></body>");
        ComPtr<IDispatch> t = ById(u"t");
        HRESULT hr = c.put ? Put(t.Get(), c.member, c.args[0])
                           : Call(t.Get(), c.member, DISPATCH_METHOD, {c.args[0], c.args[1]});
        EXPECT_EQ(hr, c.hr);
        EXPECT_EQ(Text(Object(doc.Get(), u"body").Get(), u"innerHTML"), c.body);
    }
    Load(u"<body><table id=t><tr><td>1</td></tr></table></body>");
    EXPECT_EQ(Put(ById(u"t").Get(), u"innerHTML", Variant(u"<tr>")), E_FAIL); // as the old browser refused
}

TEST_F(DomObjects, NodeMembers) {
    struct Case {
        const char* name;
        std::u16string (*run)(IDispatch* doc, IDispatch* a, IDispatch* b);
        std::u16string body;
    };
    const Case cases[] = {
        {"insertBefore",
         [](IDispatch*, IDispatch* a, IDispatch* b) {
             ComPtr<IDispatch> parent = Object(a, u"parentNode");
             Object(parent.Get(), u"insertBefore", {Variant(b), Variant(a)});
             return std::u16string();
         },
         u"<P id=b>2<I>i</I></P><DIV id=a>1<B>b</B></DIV>"},
        {"removeNode shallow keeps children",
         [](IDispatch*, IDispatch* a, IDispatch*) {
             Object(a, u"removeNode", {Variant(false)});
             return std::u16string();
         },
         u"1<B>b</B><P id=b>2<I>i</I></P>"},
        {"removeNode deep",
         [](IDispatch*, IDispatch* a, IDispatch*) {
             Object(a, u"removeNode", {Variant(true)});
             return std::u16string();
         },
         u"<P id=b>2<I>i</I></P>"},
        {"swapNode",
         [](IDispatch*, IDispatch* a, IDispatch* b) {
             Object(a, u"swapNode", {Variant(b)});
             return std::u16string();
         },
         u"<P id=b>2<I>i</I></P><DIV id=a>1<B>b</B></DIV>"},
        {"replaceNode",
         [](IDispatch*, IDispatch* a, IDispatch* b) {
             Object(a, u"replaceNode", {Variant(b)});
             return std::u16string();
         },
         u"<P id=b>2<I>i</I></P>"},
        {"replaceChild",
         [](IDispatch* doc, IDispatch* a, IDispatch*) {
             ComPtr<IDispatch> text = Object(doc, u"createTextNode", {Variant(u"t")});
             Object(a, u"replaceChild", {Variant(text.Get()), Variant(Object(a, u"firstChild").Get())});
             return std::u16string();
         },
         u"<DIV id=a>t<B>b</B></DIV><P id=b>2<I>i</I></P>"},
        {"cloneNode deep and shallow",
         [](IDispatch*, IDispatch* a, IDispatch* b) {
             ComPtr<IDispatch> deep = Object(a, u"cloneNode", {Variant(true)});
             ComPtr<IDispatch> shallow = Object(a, u"cloneNode", {Variant(false)});
             Object(b, u"appendChild", {Variant(deep.Get())});
             return Text(shallow.Get(), u"outerHTML");
         },
         u"<DIV id=a>1<B>b</B></DIV><P id=b>2<I>i</I><DIV id=a>1<B>b</B></DIV></P>"},
        {"a node into its own subtree fails",
         [](IDispatch*, IDispatch* a, IDispatch*) {
             ComPtr<IDispatch> bold = Object(a, u"lastChild");
             return std::u16string(
                 Call(bold.Get(), u"appendChild", DISPATCH_METHOD, {Variant(a)}) == E_INVALIDARG ? u"refused"
                                                                                                 : u"taken");
         },
         u"<DIV id=a>1<B>b</B></DIV><P id=b>2<I>i</I></P>"},
        {"insertAdjacentElement",
         [](IDispatch*, IDispatch* a, IDispatch* b) {
             Object(b, u"insertAdjacentElement", {Variant(u"afterBegin"), Variant(a)});
             return std::u16string();
         },
         u"<P id=b><DIV id=a>1<B>b</B></DIV>2<I>i</I></P>"},
        {"applyElement",
         [](IDispatch* doc, IDispatch* a, IDispatch*) {
             ComPtr<IDispatch> wrap = Object(doc, u"createElement", {Variant(u"<FONT color=red>")});
             Object(a, u"applyElement", {Variant(wrap.Get()), Variant(u"inside")});
             return std::u16string();
         },
         u"<DIV id=a><FONT color=red>1<B>b</B></FONT></DIV><P id=b>2<I>i</I></P>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(u"<body><div id=a>1<b>b</b></div><p id=b>2<i>i</i></p></body>");
        const std::u16string said = c.run(doc.Get(), ById(u"a").Get(), ById(u"b").Get());
        EXPECT_EQ(Text(Object(doc.Get(), u"body").Get(), u"innerHTML"), c.body);
        if (std::string(c.name).starts_with("cloneNode")) {
            EXPECT_EQ(said, u"<DIV id=a></DIV>");
        }
        if (std::string(c.name).starts_with("a node into")) {
            EXPECT_EQ(said, u"refused");
        }
    }
}

TEST_F(DomObjects, DocumentAndElementProperties) {
    Load(u"<html><head><title>Form</title></head><body><div id=a lang=ko>x<br>y</div><p "
         u"id=b></p></body></html>");
    EXPECT_EQ(Text(doc.Get(), u"title"), u"Form");
    Put(doc.Get(), u"title", Variant(u"New"));
    EXPECT_EQ(Text(doc.Get(), u"title"), u"New");
    EXPECT_EQ(Text(doc.Get(), u"readyState"), u"complete");
    EXPECT_EQ(Put(doc.Get(), u"charset", Variant(u"ks_c_5601-1987")), S_OK);
    EXPECT_EQ(Text(doc.Get(), u"charset"), u"ks_c_5601-1987");
    EXPECT_EQ(Put(doc.Get(), u"charset", Variant(u"no-such")), E_INVALIDARG);
    ComPtr<IDispatch> a = ById(u"a");
    ComPtr<IDispatch> b = ById(u"b");
    EXPECT_EQ(Text(a.Get(), u"uniqueID"), u"ms__id1");
    EXPECT_EQ(Text(b.Get(), u"uniqueID"), u"ms__id2");
    EXPECT_EQ(Text(a.Get(), u"uniqueID"), u"ms__id1");
    EXPECT_EQ(Get(a.Get(), u"sourceIndex").lVal, 4); // after HTML HEAD TITLE BODY
    EXPECT_EQ(Text(a.Get(), u"innerText"), u"x\r\ny");
    EXPECT_EQ(Text(a.Get(), u"lang"), u"ko");
    EXPECT_EQ(Get(a.Get(), u"offsetWidth").lVal, 0);
    Variant contains;
    Call(Object(doc.Get(), u"body").Get(), u"contains", DISPATCH_METHOD, {Variant(a.Get())}, &contains);
    EXPECT_EQ(contains.boolVal, VARIANT_TRUE);
    Call(a.Get(), u"contains", DISPATCH_METHOD, {Variant(b.Get())}, &contains);
    EXPECT_EQ(contains.boolVal, VARIANT_FALSE);
    ComPtr<IDispatch> input = Object(doc.Get(), u"createElement", {Variant(u"<INPUT name=x type=checkbox>")});
    EXPECT_EQ(Text(input.Get(), u"outerHTML"), u"<INPUT name=x type=checkbox>");
    EXPECT_EQ(Call(doc.Get(), u"createElement", DISPATCH_METHOD, {Variant(u"a b")}), E_INVALIDARG);
    EXPECT_EQ(Get(Object(a.Get(), u"getElementsByTagName", {Variant(u"BR")}).Get(), u"length").lVal, 1);
    EXPECT_EQ(Call(a.Get(), u"filters", DISPATCH_PROPERTYGET, {}), E_NOTIMPL); // no filters are made
}

} // namespace

namespace {

// Table editing: each row runs one call against a fresh table and gives its HRESULT, whether it
// returned an object, and the table as written after.
struct TableCase {
    const char* name;
    const char* target; // element id
    std::u16string member;
    std::vector<Variant> args;
    HRESULT hr;
    bool object;
    std::u16string table;
};

TEST_F(DomObjects, TableEditingEdgeCases) {
    const std::u16string start = u"<TABLE id=t><TBODY id=s><TR id=r0><TD id=c0>a</TD><TD>b</TD></TR><TR "
                                 u"id=r1><TD>c</TD></TR></TBODY></TABLE>";
    const TableCase cases[] = {
        {"insertRow -1 appends",
         "t",
         u"insertRow",
         {Variant(LONG(-1))},
         S_OK,
         true,
         u"<TABLE id=t><TBODY id=s><TR id=r0><TD id=c0>a</TD><TD>b</TD></TR><TR "
         u"id=r1><TD>c</TD></TR><TR></TR></TBODY></TABLE>"},
        {"insertRow at the length appends",
         "t",
         u"insertRow",
         {Variant(LONG(2))},
         S_OK,
         true,
         u"<TABLE id=t><TBODY id=s><TR id=r0><TD id=c0>a</TD><TD>b</TD></TR><TR "
         u"id=r1><TD>c</TD></TR><TR></TR></TBODY></TABLE>"},
        {"insertRow 0",
         "t",
         u"insertRow",
         {Variant(LONG(0))},
         S_OK,
         true,
         u"<TABLE id=t><TBODY id=s><TR></TR><TR id=r0><TD id=c0>a</TD><TD>b</TD></TR><TR "
         u"id=r1><TD>c</TD></TR></TBODY></TABLE>"},
        {"insertRow above the length", "t", u"insertRow", {Variant(LONG(3))}, E_INVALIDARG, false, start},
        {"insertRow below -1", "t", u"insertRow", {Variant(LONG(-2))}, E_INVALIDARG, false, start},
        {"deleteRow out of range", "t", u"deleteRow", {Variant(LONG(2))}, E_INVALIDARG, false, start},
        {"deleteRow 0",
         "t",
         u"deleteRow",
         {Variant(LONG(0))},
         S_OK,
         false,
         u"<TABLE id=t><TBODY id=s><TR id=r1><TD>c</TD></TR></TBODY></TABLE>"},
        {"section insertRow",
         "s",
         u"insertRow",
         {Variant(LONG(1))},
         S_OK,
         true,
         u"<TABLE id=t><TBODY id=s><TR id=r0><TD id=c0>a</TD><TD>b</TD></TR><TR></TR><TR "
         u"id=r1><TD>c</TD></TR></TBODY></TABLE>"},
        {"insertCell -1",
         "r1",
         u"insertCell",
         {Variant(LONG(-1))},
         S_OK,
         true,
         u"<TABLE id=t><TBODY id=s><TR id=r0><TD id=c0>a</TD><TD>b</TD></TR><TR "
         u"id=r1><TD>c</TD><TD></TD></TR></TBODY></TABLE>"},
        {"insertCell above the length", "r1", u"insertCell", {Variant(LONG(2))}, E_INVALIDARG, false, start},
        {"deleteCell out of range", "r0", u"deleteCell", {Variant(LONG(2))}, E_INVALIDARG, false, start},
        {"deleteCell 1",
         "r0",
         u"deleteCell",
         {Variant(LONG(1))},
         S_OK,
         false,
         u"<TABLE id=t><TBODY id=s><TR id=r0><TD id=c0>a</TD></TR><TR id=r1><TD>c</TD></TR></TBODY></TABLE>"},
        {"moveRow",
         "t",
         u"moveRow",
         {Variant(LONG(0)), Variant(LONG(-1))},
         S_OK,
         true,
         u"<TABLE id=t><TBODY id=s><TR id=r1><TD>c</TD></TR><TR id=r0><TD "
         u"id=c0>a</TD><TD>b</TD></TR></TBODY></TABLE>"},
        {"createTHead",
         "t",
         u"createTHead",
         {},
         S_OK,
         true,
         u"<TABLE id=t><THEAD></THEAD><TBODY id=s><TR id=r0><TD id=c0>a</TD><TD>b</TD></TR><TR "
         u"id=r1><TD>c</TD></TR></TBODY></TABLE>"},
    };
    for (const TableCase& c : cases) {
        SCOPED_TRACE(c.name);
        Load(u"<body>" + start + u"</body>");
        ComPtr<IDispatch> target = ById(qx::win32::Utf8ToWide(c.target));
        Variant result;
        HRESULT hr = c.args.size() == 2
                         ? Call(target.Get(), c.member, DISPATCH_METHOD, {c.args[0], c.args[1]}, &result)
                     : c.args.size() == 1
                         ? Call(target.Get(), c.member, DISPATCH_METHOD, {c.args[0]}, &result)
                         : Call(target.Get(), c.member, DISPATCH_METHOD, {}, &result);
        EXPECT_EQ(hr, c.hr);
        EXPECT_EQ(result.vt == VT_DISPATCH && result.pdispVal, c.object);
        EXPECT_EQ(Text(ById(u"t").Get(), u"outerHTML"), c.table);
    }
}

TEST_F(DomObjects, TableMembers) {
    Load(u"<body><table id=t bgColor=White><thead><tr id=h><th>h</th></tr></thead>"
         u"<tr id=a><td id=x colspan=0>1</td><td id=y rowSpan=3 bgcolor=#AbCdEf>2</td></tr>"
         u"<tbody><tr id=b><td>3</td></tr></tbody></table></body>");
    ComPtr<IDispatch> table = ById(u"t");
    EXPECT_EQ(Get(Object(table.Get(), u"rows").Get(), u"length").lVal, 3);
    EXPECT_EQ(Get(Object(table.Get(), u"tBodies").Get(), u"length").lVal,
              2); // the implied one and the written one
    EXPECT_EQ(Get(Object(table.Get(), u"cells").Get(), u"length").lVal, 4);
    EXPECT_EQ(Get(ById(u"b").Get(), u"rowIndex").lVal, 2);
    EXPECT_EQ(Get(ById(u"b").Get(), u"sectionRowIndex").lVal, 0);
    EXPECT_EQ(Get(ById(u"y").Get(), u"cellIndex").lVal, 1);
    EXPECT_EQ(Get(ById(u"x").Get(), u"colSpan").lVal, 1); // 0 reads as 1
    EXPECT_EQ(Get(ById(u"y").Get(), u"rowSpan").lVal, 3);
    EXPECT_EQ(Put(ById(u"x").Get(), u"colSpan", Variant(LONG(0))), E_INVALIDARG);
    EXPECT_EQ(Put(ById(u"x").Get(), u"colSpan", Variant(LONG(2))), S_OK);
    EXPECT_EQ(Text(ById(u"x").Get(), u"outerHTML"), u"<TD id=x colspan=2>1</TD>");
    EXPECT_EQ(Text(table.Get(), u"bgColor"), u"#ffffff");
    EXPECT_EQ(Text(ById(u"y").Get(), u"bgColor"), u"#abcdef");
    EXPECT_EQ(Text(ById(u"a").Get(), u"bgColor"), u"");
    ComPtr<IDispatch> cells = Object(ById(u"a").Get(), u"cells");
    Call(ById(u"a").Get(), u"insertCell", DISPATCH_METHOD, {Variant(LONG(0))});
    EXPECT_EQ(Get(cells.Get(), u"length").lVal, 3); // live
    ComPtr<IDispatch> detached = Object(doc.Get(), u"createElement", {Variant(u"tr")});
    EXPECT_EQ(Get(detached.Get(), u"rowIndex").lVal, -1);
    // A table with no rows gets a section for its first.
    Load(u"<body><table id=t></table></body>");
    Call(ById(u"t").Get(), u"insertRow", DISPATCH_METHOD, {Variant(LONG(-1))});
    EXPECT_EQ(Text(ById(u"t").Get(), u"outerHTML"), u"<TABLE id=t><TBODY><TR></TR></TBODY></TABLE>");
}

} // namespace

namespace {

// Form fields keep what is entered in their attributes, so the document written out carries it.
TEST_F(DomObjects, FormFieldsWriteTheirStateIntoAttributes) {
    Load(u"<body><form id=f><input id=t name=n><input type=radio name=r id=r1 checked>"
         u"<input type=radio name=r id=r2><input type=checkbox id=c>"
         u"<select id=s name=s><option value=a>A<option id=o2>B<option>C</select></form></body>");
    ComPtr<IDispatch> text = ById(u"t");
    EXPECT_EQ(Text(text.Get(), u"type"), u"text");
    EXPECT_EQ(Get(text.Get(), u"maxLength").lVal, 2147483647);
    Put(text.Get(), u"value", Variant(u"a \"b\""));
    EXPECT_EQ(Text(text.Get(), u"outerHTML"), u"<INPUT id=t name=n value=\"a &quot;b&quot;\">");
    EXPECT_EQ(Identity(Object(text.Get(), u"form").Get()), Identity(ById(u"f").Get()));
    EXPECT_EQ(Text(ById(u"c").Get(), u"value"), u"on");
    Put(ById(u"r2").Get(), u"checked", Variant(true));
    EXPECT_EQ(Text(ById(u"r1").Get(), u"outerHTML"), u"<INPUT type=radio name=r id=r1>");
    EXPECT_EQ(Text(ById(u"r2").Get(), u"outerHTML"), u"<INPUT type=radio name=r id=r2 checked>");
    ComPtr<IDispatch> select = ById(u"s");
    struct Step {
        const char* name;
        std::u16string member;
        Variant value;
        LONG selectedIndex;
        std::u16string selectValue;
    };
    const Step steps[] = {
        {"first shown when none is marked", u"", Variant(), 0, u"a"},
        {"selectedIndex", u"selectedIndex", Variant(LONG(1)), 1, u"B"},
        {"value", u"value", Variant(u"C"), 2, u"C"},
        {"past the end changes nothing", u"selectedIndex", Variant(LONG(9)), 2, u"C"},
        {"-1 clears", u"selectedIndex", Variant(LONG(-1)), 0, u"a"},
        {"length shortens", u"length", Variant(LONG(2)), 0, u"a"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        if (!s.member.empty()) {
            EXPECT_EQ(Put(select.Get(), s.member, s.value), S_OK);
        }
        EXPECT_EQ(Get(select.Get(), u"selectedIndex").lVal, s.selectedIndex);
        EXPECT_EQ(Text(select.Get(), u"value"), s.selectValue);
    }
    Put(ById(u"o2").Get(), u"selected", Variant(true));
    EXPECT_EQ(Text(select.Get(), u"innerHTML"),
              u"<OPTION value=a>A</OPTION><OPTION id=o2 selected>B</OPTION>");
    EXPECT_EQ(Get(ById(u"o2").Get(), u"index").lVal, 1);
    ComPtr<IDispatch> option = Object(doc.Get(), u"createElement", {Variant(u"OPTION")});
    Put(option.Get(), u"text", Variant(u"New"));
    EXPECT_EQ(Call(select.Get(), u"add", DISPATCH_METHOD, {Variant(option.Get()), Variant(LONG(0))}), S_OK);
    EXPECT_EQ(Get(Object(select.Get(), u"options").Get(), u"length").lVal, 3);
    EXPECT_EQ(
        Text(Object(Object(select.Get(), u"options").Get(), u"item", {Variant(LONG(0))}).Get(), u"text"),
        u"New");
    EXPECT_EQ(Call(select.Get(), u"add", DISPATCH_METHOD, {Variant(text.Get()), Variant()}), E_INVALIDARG);
}

TEST_F(DomObjects, ImagesAndDivisions) {
    Load(u"<body><div id=d><img id=i src=a.gif width=96></div></body>");
    ComPtr<IDispatch> img = ById(u"i");
    EXPECT_EQ(Get(img.Get(), u"width").lVal, 96);
    EXPECT_EQ(Get(img.Get(), u"height").lVal, 0); // no layout to measure it
    EXPECT_EQ(Get(img.Get(), u"complete").boolVal, VARIANT_TRUE);
    Put(img.Get(), u"height", Variant(LONG(32)));
    ComPtr<IDispatch> div = ById(u"d");
    Put(div.Get(), u"align", Variant(u"center"));
    Put(div.Get(), u"noWrap", Variant(true));
    EXPECT_EQ(Text(div.Get(), u"outerHTML"),
              u"<DIV id=d align=center noWrap><IMG id=i src=a.gif width=96 height=32></DIV>");
}

} // namespace

namespace {

// The browser's side of navigation, recording what the document asked for.
class RecordedNavigation : public qx::html::dom::DocumentNavigation {
public:
    HRESULT Navigate(std::u16string_view url, std::string_view postData, bool replace) override {
        requests.push_back(qx::win32::WideToUtf8(url) +
                           (postData.empty() ? "" : " POST " + std::string(postData)) +
                           (replace ? " (replace)" : ""));
        return S_OK;
    }
    HRESULT Reload() override {
        requests.push_back("reload");
        return S_OK;
    }
    std::vector<std::string> requests;
};

TEST_F(DomObjects, LocationAndFormsNavigateThroughTheBrowser) {
    ComPtr<IHTMLDocument2> document;
    const std::string page =
        "<form id=g action='find.asp?old=1'><input name=q value='a b&c'><input type=checkbox "
        "name=on><input type=checkbox name=off checked><select name=s multiple><option "
        "selected>x<option value=y selected>z</select><input type=submit name=go value=Go>"
        "<input name=gone disabled value=1><textarea name=t>\xED\x95\x9C</textarea></form>"
        "<form id=p method=post action=/save><input name=k value=v></form>";
    ASSERT_EQ(qx::html::dom::LoadHtmlDocumentObject(
                  {{page, "", "utf-8"}, u"http://host:8080/dir/page.htm?x=1"}, &document),
              S_OK);
    auto navigation = std::make_shared<RecordedNavigation>();
    ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get())->AccessDocument()->navigation = navigation;
    doc = ComPtr<IDispatch>(document.Get());
    ComPtr<IDispatch> location = Object(doc.Get(), u"location");
    ASSERT_TRUE(location);
    EXPECT_EQ(Text(location.Get(), u"host"), u"host:8080");
    EXPECT_EQ(Text(location.Get(), u"hostname"), u"host");
    EXPECT_EQ(Text(location.Get(), u"port"), u"8080");
    EXPECT_EQ(Text(location.Get(), u"pathname"), u"/dir/page.htm");
    EXPECT_EQ(Text(location.Get(), u"search"), u"?x=1");
    EXPECT_EQ(Put(location.Get(), u"href", Variant(u"other.htm#f")), S_OK);
    EXPECT_EQ(Put(location.Get(), u"port", Variant(u"81")), S_OK);
    EXPECT_EQ(Put(location.Get(), u"search", Variant(u"?y=2")), S_OK);
    EXPECT_EQ(Call(location.Get(), u"replace", DISPATCH_METHOD, {Variant(u"/root.htm")}), S_OK);
    EXPECT_EQ(Call(location.Get(), u"reload", DISPATCH_METHOD, {}), S_OK);
    EXPECT_EQ(Put(location.Get(), u"hash", Variant(u"here")), S_OK); // stays on the page
    EXPECT_EQ(Text(location.Get(), u"href"), u"http://host:8080/dir/page.htm?x=1#here");
    EXPECT_EQ(Call(ById(u"g").Get(), u"submit", DISPATCH_METHOD, {}), S_OK);
    EXPECT_EQ(Call(ById(u"p").Get(), u"submit", DISPATCH_METHOD, {}), S_OK);
    EXPECT_EQ(navigation->requests,
              (std::vector<std::string>{"http://host:8080/dir/other.htm#f", "http://host:81/dir/page.htm?x=1",
                                        "http://host:8080/dir/page.htm?y=2",
                                        "http://host:8080/root.htm (replace)", "reload",
                                        "http://host:8080/dir/find.asp?q=a+b%26c&off=on&s=x&s=y&t=%ED%95%9C",
                                        "http://host:8080/save POST k=v"}));
}

TEST_F(DomObjects, TagInterfacesAreAnsweredByTheirTagsOnly) {
    Load(u"<span id=s>x</span><div id=d></div><a id=a href=x>y</a><textarea id=t></textarea>");
    struct Answer {
        const char16_t* id;
        const IID* iid;
        bool answered;
    };
    const Answer answers[] = {
        {u"s", &IID_IHTMLSpanElement, true},     {u"d", &IID_IHTMLSpanElement, false},
        {u"a", &IID_IHTMLAnchorElement, true},   {u"s", &IID_IHTMLAnchorElement, false},
        {u"t", &IID_IHTMLTextAreaElement, true}, {u"d", &IID_IHTMLTextAreaElement, false},
        {u"d", &IID_IHTMLDOMNode2, true}};
    for (const Answer& a : answers) {
        SCOPED_TRACE(qx::win32::WideToUtf8(a.id));
        ComPtr<IUnknown> itf;
        const HRESULT hr = ById(a.id)->QueryInterface(*a.iid, reinterpret_cast<void**>(&itf));
        EXPECT_EQ(SUCCEEDED(hr), a.answered);
    }
}

} // namespace
