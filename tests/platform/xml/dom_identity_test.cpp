// A node reached twice, by any road, is the same COM object while a reference to it lives: its
// IUnknown is the same pointer. Nodes taken out of the tree keep their object; copies get their own.
#include "dom_test_util.h"

#include <functional>

using namespace xmltest;

namespace {

const std::u16string kDoc = u"<r a=\"1\"><x>t</x><!--c--><y b=\"2\"><z/></y></r>";

// The object's identity; the caller's variant keeps the object alive.
IUnknown* Identity(const VARIANT& v) {
    if (v.vt != VT_DISPATCH || !v.pdispVal)
        return nullptr;
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(v.pdispVal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    return unknown.Get();
}

// The reference count an object has, seen from one more AddRef.
ULONG RefCount(const VARIANT& v) {
    v.pdispVal->AddRef();
    return v.pdispVal->Release();
}

class DomIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        doc = NewDocument();
        ASSERT_TRUE(LoadXml(doc.Get(), kDoc));
        root = Get(doc.Get(), u"documentElement");
        ASSERT_NE(Obj(root), nullptr);
    }
    Variant Select(const char16_t* query, IDispatch* from = nullptr) {
        return Call(from ? from : doc.Get(), u"selectSingleNode", {Variant(query)});
    }
    Variant Chain(std::initializer_list<const char16_t*> members) {
        Variant at(doc.Get());
        for (const char16_t* m : members)
            at = Get(Obj(at), m);
        return at;
    }

    ComPtr<IDispatch> doc;
    Variant root;
};

TEST_F(DomIdentity, EveryRoadToANodeGivesTheSameObject) {
    using Road = std::function<Variant()>;
    struct Row {
        const char* name;
        Road one;
        Road other;
        bool same;
    };
    const Row rows[] = {
        {"firstChild twice",
         [&] {
             return Chain({u"documentElement", u"firstChild"});
         },
         [&] {
             return Chain({u"documentElement", u"firstChild"});
         },
         true},
        {"query and walk", [&] { return Select(u"r/x"); },
         [&] {
             return Chain({u"documentElement", u"firstChild"});
         },
         true},
        {"child list item",
         [&] { return Get(Obj(Get(Obj(root), u"childNodes")), u"item", {Variant(LONG(0))}); },
         [&] { return Get(Obj(root), u"firstChild"); }, true},
        {"child list nextNode", [&] { return Call(Obj(Get(Obj(root), u"childNodes")), u"nextNode"); },
         [&] { return Get(Obj(root), u"firstChild"); }, true},
        {"elements by tag name",
         [&] {
             return Get(Obj(Call(doc.Get(), u"getElementsByTagName", {Variant(u"z")})), u"item",
                        {Variant(LONG(0))});
         },
         [&] { return Select(u"//z"); }, true},
        {"siblings",
         [&] {
             return Chain({u"documentElement", u"firstChild", u"nextSibling", u"nextSibling"});
         },
         [&] {
             return Chain({u"documentElement", u"lastChild"});
         },
         true},
        {"previous sibling",
         [&] {
             return Chain({u"documentElement", u"lastChild", u"previousSibling"});
         },
         [&] { return Select(u"//comment()"); }, true},
        {"parent", [&] { return Get(Obj(Select(u"//z")), u"parentNode"); }, [&] { return Select(u"r/y"); },
         true},
        {"text node", [&] { return Select(u"r/x/text()"); },
         [&] { return Get(Obj(Select(u"r/x")), u"firstChild"); }, true},
        {"attribute by name and by query",
         [&] { return Call(Obj(root), u"getAttributeNode", {Variant(u"a")}); },
         [&] { return Select(u"r/@a"); }, true},
        {"attribute map",
         [&] { return Call(Obj(Get(Obj(root), u"attributes")), u"getNamedItem", {Variant(u"a")}); },
         [&] { return Get(Obj(Get(Obj(root), u"attributes")), u"item", {Variant(LONG(0))}); }, true},
        {"document from a node", [&] { return Get(Obj(Select(u"//z")), u"ownerDocument"); },
         [&] { return Variant(doc.Get()); }, true},
        {"document as parent", [&] { return Get(Obj(root), u"parentNode"); },
         [&] { return Variant(doc.Get()); }, true},
        {"different nodes", [&] { return Get(Obj(root), u"firstChild"); },
         [&] { return Get(Obj(root), u"lastChild"); }, false},
        {"attributes of different elements", [&] { return Select(u"r/@a"); },
         [&] { return Select(u"r/y/@b"); }, false},
        {"deep copy", [&] { return Select(u"r/y"); },
         [&] { return Call(Obj(Select(u"r/y")), u"cloneNode", {Variant(true)}); }, false},
        {"shallow copy", [&] { return Select(u"r/y"); },
         [&] { return Call(Obj(Select(u"r/y")), u"cloneNode", {Variant(false)}); }, false},
        {"copy of an attribute", [&] { return Select(u"r/@a"); },
         [&] { return Call(Obj(Select(u"r/@a")), u"cloneNode", {Variant(true)}); }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Variant one = row.one();
        Variant other = row.other();
        ASSERT_NE(Identity(one), nullptr);
        ASSERT_NE(Identity(other), nullptr);
        EXPECT_EQ(Identity(one) == Identity(other), row.same);
        // One object answers both: the IDispatch handed out is the same pointer too.
        if (row.same) {
            EXPECT_EQ(one.pdispVal, other.pdispVal);
        }
    }
}

TEST_F(DomIdentity, TheEnumeratorHandsOutTheSameObjects) {
    Variant list = Get(Obj(root), u"childNodes");
    ComPtr<IXMLDOMNodeList> nodes;
    ASSERT_EQ(Obj(list)->QueryInterface(IID_IXMLDOMNodeList, reinterpret_cast<void**>(&nodes)), S_OK);
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(nodes->get__newEnum(&unknown), S_OK);
    ComPtr<IEnumVARIANT> items;
    ASSERT_EQ(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items)), S_OK);
    for (LONG i = 0;; ++i) {
        Variant item;
        ULONG fetched = 0;
        if (items->Next(1, &item, &fetched) != S_OK)
            break;
        EXPECT_EQ(Identity(item), Identity(Get(Obj(list), u"item", {Variant(i)}))) << i;
    }
}

TEST_F(DomIdentity, TheTreeHoldsNoReferenceOfItsOwn) {
    Variant first = Get(Obj(root), u"firstChild");
    EXPECT_EQ(RefCount(first), 1u);
    Variant again = Get(Obj(root), u"firstChild");
    Variant third = Select(u"r/x");
    EXPECT_EQ(RefCount(first), 3u);
    again = Variant();
    third = Variant();
    EXPECT_EQ(RefCount(first), 1u);
}

TEST_F(DomIdentity, EditsKeepTheObjectsOfTheNodesTheyMove) {
    Variant x = Select(u"r/x");
    Variant y = Select(u"r/y");
    // Taken out and put back: the same object all the way.
    Variant removed = Call(Obj(root), u"removeChild", {x});
    EXPECT_EQ(Identity(removed), Identity(x));
    EXPECT_EQ(Obj(Get(Obj(x), u"parentNode")), nullptr);
    EXPECT_EQ(Text(Get(Obj(x), u"xml")), u"<x>t</x>");
    Variant back = Call(Obj(y), u"appendChild", {x});
    EXPECT_EQ(Identity(back), Identity(x));
    EXPECT_EQ(Identity(Get(Obj(x), u"parentNode")), Identity(y));
    EXPECT_EQ(Identity(Select(u"r/y/x")), Identity(x));
    // The node that replaceChild takes out is the one held before.
    Variant z = Select(u"r/y/z");
    Variant fresh = Call(doc.Get(), u"createElement", {Variant(u"w")});
    Variant old = Call(Obj(y), u"replaceChild", {fresh, z});
    EXPECT_EQ(Identity(old), Identity(z));
    EXPECT_EQ(Identity(Select(u"r/y/w")), Identity(fresh));
    // Attributes taken out by either road.
    Variant b = Select(u"r/y/@b");
    Variant map = Get(Obj(y), u"attributes");
    EXPECT_EQ(Identity(Call(Obj(map), u"removeNamedItem", {Variant(u"b")})), Identity(b));
    Variant c = Call(doc.Get(), u"createAttribute", {Variant(u"c")});
    EXPECT_EQ(Identity(Call(Obj(map), u"setNamedItem", {c})), Identity(c));
    EXPECT_EQ(Identity(Call(Obj(y), u"getAttributeNode", {Variant(u"c")})), Identity(c));
    // Replacing an element's text orphans its children; the text node held stays itself.
    Variant t = Select(u"r/y/x/text()");
    ASSERT_EQ(Put(Obj(x), u"text", Variant(u"new")), S_OK);
    EXPECT_EQ(Text(Get(Obj(t), u"nodeValue")), u"t");
    EXPECT_NE(Identity(Get(Obj(x), u"firstChild")), Identity(t));
    // A split gives a new node, which is its left half's next sibling.
    Variant left = Get(Obj(x), u"firstChild");
    Variant right = Call(Obj(left), u"splitText", {Variant(LONG(1))});
    EXPECT_EQ(Identity(Get(Obj(left), u"nextSibling")), Identity(right));
}

TEST_F(DomIdentity, ANodeGivenToAnotherDocumentIsCopied) {
    ComPtr<IDispatch> other = NewDocument();
    ASSERT_TRUE(LoadXml(other.Get(), u"<o/>"));
    Variant x = Select(u"r/x");
    Variant otherRoot = Get(other.Get(), u"documentElement");
    Variant copy = Call(Obj(otherRoot), u"appendChild", {x});
    ASSERT_NE(Identity(copy), nullptr);
    EXPECT_NE(Identity(copy), Identity(x));
    EXPECT_EQ(Identity(Select(u"o/x", other.Get())), Identity(copy));
    EXPECT_EQ(Identity(Select(u"r/x")), Identity(x));
    EXPECT_EQ(Identity(Get(Obj(copy), u"ownerDocument")), Identity(Variant(other.Get())));
}

TEST_F(DomIdentity, ALoadGivesNewNodesAndLeavesTheOldOnesUsable) {
    Variant x = Select(u"r/x");
    ASSERT_TRUE(LoadXml(doc.Get(), kDoc));
    Variant x2 = Select(u"r/x");
    EXPECT_NE(Identity(x2), Identity(x));
    EXPECT_EQ(Text(Get(Obj(x), u"xml")), u"<x>t</x>");
    EXPECT_EQ(Identity(Get(Obj(x), u"nextSibling")), Identity(Get(Obj(x), u"nextSibling")));
    // A failed load leaves an empty document; nodes of the old tree still answer.
    EXPECT_FALSE(LoadXml(doc.Get(), u"<broken"));
    EXPECT_EQ(Text(Get(Obj(x2), u"xml")), u"<x>t</x>");
    // A copy of the document has nodes of its own.
    ASSERT_TRUE(LoadXml(doc.Get(), kDoc));
    Variant copy = Call(doc.Get(), u"cloneNode", {Variant(true)});
    EXPECT_NE(Identity(Select(u"r/x", Obj(copy))), Identity(Select(u"r/x")));
    EXPECT_EQ(Identity(Select(u"r/x", Obj(copy))), Identity(Select(u"r/x", Obj(copy))));
}

TEST_F(DomIdentity, NodesOutliveTheirDocumentAndReleaseInAnyOrder) {
    Variant x = Select(u"r/x");
    Variant attribute = Select(u"r/@a");
    Variant removed = Call(Obj(root), u"removeChild", {Select(u"r/y")});
    root = Variant();
    doc = nullptr;
    // The nodes hold their document: everything still answers.
    EXPECT_EQ(Text(Get(Obj(removed), u"xml")), u"<y b=\"2\"><z/></y>");
    Variant owner = Get(Obj(x), u"ownerDocument");
    EXPECT_EQ(Identity(Get(Obj(owner), u"documentElement")), Identity(Get(Obj(x), u"parentNode")));
    owner = Variant();
    x = Variant();
    EXPECT_EQ(Text(Get(Obj(attribute), u"value")), u"1");
    attribute = Variant();
    Variant z = Get(Obj(removed), u"firstChild");
    removed = Variant();
    EXPECT_EQ(Text(Get(Obj(z), u"nodeName")), u"z");
    EXPECT_EQ(Identity(Get(Obj(Get(Obj(z), u"parentNode")), u"firstChild")), Identity(z));
}

TEST_F(DomIdentity, ObjectsComeAndGoOverAWholeTree) {
    std::u16string text = u"<r>";
    for (int i = 0; i < 300; ++i)
        text += u"<i n=\"" + std::u16string(1, u'a' + i % 26) + u"\">v<j/></i>";
    text += u"</r>";
    ASSERT_TRUE(LoadXml(doc.Get(), text));
    Variant all = Call(doc.Get(), u"selectNodes", {Variant(u"//*|//@*|//text()")});
    const LONG length = Get(Obj(all), u"length").lVal;
    ASSERT_EQ(length, 1 + 300 * 4);
    std::vector<Variant> held;
    for (LONG i = 0; i < length; i += 2)
        held.push_back(Get(Obj(all), u"item", {Variant(i)}));
    // Every other node held: those come back as they are, the rest are made anew each time.
    for (int round = 0; round < 2; ++round)
        for (LONG i = 0; i < length; ++i) {
            Variant item = Get(Obj(all), u"item", {Variant(i)});
            if (i % 2 == 0) {
                ASSERT_EQ(Identity(item), Identity(held[static_cast<std::size_t>(i / 2)])) << i;
            } else {
                ASSERT_EQ(RefCount(item), 1u) << i;
            }
        }
    held.clear();
    all = Variant();
    ASSERT_TRUE(LoadXml(doc.Get(), u"<r/>"));
}

} // namespace
