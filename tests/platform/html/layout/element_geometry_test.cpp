// The element objects' offset and client members read the layout once a document has one.
#include "qx/html/dom/html_document.h"
#include "qx/html/layout/document_geometry.h"

#include <gtest/gtest.h>

namespace qx::html::layout {
namespace {

struct Member {
    const char* name;
    HRESULT (STDMETHODCALLTYPE IHTMLElement::*get)(LONG*);
    LONG expected;
};

TEST(ElementGeometry, MembersAnswerFromTheLayout) {
    auto dom = std::make_shared<dom::DomDocument>();
    ASSERT_EQ(dom::ParseHtmlDocument(dom->tree, u"<body><table id=t border=1 cellpadding=1 cellspacing=2><tr>"
                                                u"<td id=a width=50 height=30></td></tr></table></body>"),
              dom::ParseError::None);
    dom::Node* cell = dom->tree.ElementById(u"a");
    IDispatch* object = nullptr;
    ASSERT_EQ(dom::NodeObjectOf(dom, cell, &object), S_OK);
    IHTMLElement* element = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_IHTMLElement, reinterpret_cast<void**>(&element)), S_OK);
    LONG value = -1;
    EXPECT_EQ(element->get_offsetWidth(&value), S_OK);
    EXPECT_EQ(value, 0) << "no layout yet";

    AttachLayout(*dom);
    const Member members[] = {{"offsetLeft", &IHTMLElement::get_offsetLeft, 2},
                              {"offsetTop", &IHTMLElement::get_offsetTop, 2},
                              {"offsetWidth", &IHTMLElement::get_offsetWidth, 54},
                              {"offsetHeight", &IHTMLElement::get_offsetHeight, 30}};
    for (const Member& m : members) {
        EXPECT_EQ((element->*m.get)(&value), S_OK) << m.name;
        EXPECT_EQ(value, m.expected) << m.name;
    }
    EXPECT_EQ(element->get_offsetWidth(nullptr), E_POINTER);
    IDispatch* parent = nullptr;
    ASSERT_EQ(element->get_offsetParent(&parent), S_OK);
    IDispatch* table = nullptr;
    ASSERT_EQ(dom::NodeObjectOf(dom, dom->tree.ElementById(u"t"), &table), S_OK);
    EXPECT_EQ(parent, table);
    IHTMLElement2* element2 = nullptr;
    ASSERT_EQ(table->QueryInterface(IID_IHTMLElement2, reinterpret_cast<void**>(&element2)), S_OK);
    EXPECT_EQ(element2->get_clientLeft(&value), S_OK);
    EXPECT_EQ(value, 1);
    element2->Release();
    table->Release();
    parent->Release();
    element->Release();
    object->Release();
}

} // namespace
} // namespace qx::html::layout
