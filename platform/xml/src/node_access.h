// What every node object of this parser knows about itself, reached through a private interface so
// that a node handed back by a caller (appendChild, insertBefore ...) can be found in its tree.
#pragma once

#include "msxml.h"
#include "xml_tree.h"

#include "qx/com/comptr.h"

#include <string>
#include <vector>

QX_DECLARE_INTERFACE(IXmlNodeAccess, "{6B1E9C4A-3D5F-4E2B-9A71-0C8D2F4B7E13}");
struct IXmlNodeAccess : IUnknown {
    virtual xmlNodePtr AccessNode() = 0;
    virtual qx::xml::TreePtr AccessTree() = 0;

protected:
    ~IXmlNodeAccess() = default;
};

namespace qx::xml {

// The node behind a caller's object; false when it is not one of ours.
bool UnwrapNode(IUnknown* object, xmlNodePtr* node, TreePtr* tree);

// A node object for node (the owner document itself for the document node). A null node gives a
// null object and S_FALSE.
HRESULT WrapNode(IXMLDOMDocument* owner, const TreePtr& tree, xmlNodePtr node, IDispatch** out);

HRESULT CreateChildList(IXMLDOMDocument* owner, const TreePtr& tree, xmlNodePtr parent, IDispatch** out);
HRESULT CreateStaticList(IXMLDOMDocument* owner, const TreePtr& tree, std::vector<xmlNodePtr> nodes,
                         IDispatch** out);
HRESULT CreateAttributeMap(IXMLDOMDocument* owner, const TreePtr& tree, xmlNodePtr element, IDispatch** out);

// Text crossing the interfaces.
std::u16string ToWide(const std::string& utf8);
std::string ToUtf8(const OLECHAR* text);
HRESULT ReturnText(const std::string& utf8, BSTR* out);
// A VARIANT's value as UTF-8 text (numbers and booleans as script writes them).
HRESULT VariantText(const VARIANT& value, std::string* out);

} // namespace qx::xml
