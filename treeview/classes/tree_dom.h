// Small helpers over the page's element interfaces and the XML DOM that the tree and its nodes
// call over and over. Each returns the failing call's HRESULT.
#pragma once

#include "mshtml.h"
#include "mshtml_style.h"
#include "msxml.h"

#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>

#include <string>
#include <vector>

#define TREE_CHECK(expr)                                                                                     \
    do {                                                                                                     \
        const HRESULT hrCheck_ = (expr);                                                                     \
        if (FAILED(hrCheck_))                                                                                \
            return hrCheck_;                                                                                 \
    } while (0)

namespace treedom {

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

// Upper-cases the letters a-z only, so that no text is changed outside ASCII.
std::u16string Upper(std::u16string_view text);

// A named member of any dispatch object read or put by name.
HRESULT GetMember(IDispatch* target, const OLECHAR* name, VARIANT* value);
HRESULT PutMember(IDispatch* target, const OLECHAR* name, const VARIANT& value);

HRESULT StyleOf(IHTMLElement* element, ComPtr<IHTMLStyle>& style);
// Appends text to the element's style text, separated by "; " when the text does not end a
// declaration.
HRESULT AppendStyleText(IHTMLElement* element, std::u16string_view text);
HRESULT SetAttribute(IHTMLElement* element, const OLECHAR* name, const VARIANT& value, LONG flags = 0);
HRESULT CreateElement(IHTMLDocument2* document, const OLECHAR* tag, ComPtr<IHTMLElement>& element);
HRESULT InsertAdjacent(IHTMLElement* anchor, const OLECHAR* where, IHTMLElement* element);
HRESULT RemoveNode(IHTMLElement* element);
// The DIV children of an element (its children's "DIV" tags), in document order.
HRESULT ChildDivs(IHTMLElement* element, std::vector<ComPtr<IHTMLElement>>& divs);
// Whether two interface pointers are the same object.
bool SameObject(IUnknown* a, IUnknown* b);
// offsetTop summed up the offsetParent chain: the element's top from the page.
LONG PageTop(IHTMLElement* element);

// The text of the child element `name` of an XML node (a single-node selection); false when absent.
bool ChildText(IXMLDOMNode* node, const OLECHAR* name, Bstr& text);
ComPtr<IXMLDOMNode> ChildNode(IXMLDOMNode* node, const OLECHAR* name);
// The element children of an XML node.
HRESULT ElementChildren(IXMLDOMNode* node, std::vector<ComPtr<IXMLDOMNode>>& children);
std::u16string UpperName(IXMLDOMNode* node);
// Appends <name>text</name> to parent through the document.
HRESULT AppendTextElement(IXMLDOMDocument* document, IXMLDOMNode* parent, std::u16string_view name,
                          std::u16string_view text);

} // namespace treedom
