// Element, attribute, text and other node objects, and the helpers every node object shares.
#include "node_impl.h"

#include "qx/com/variant.h"
#include "qx/win32/codepage.h"

#include <libxml/parserInternals.h>

namespace qx::xml {
namespace {

bool ValidName(const std::string& name) {
    return !name.empty() && xmlValidateName(BAD_CAST name.c_str(), 0) == 0;
}

class CXmlElement : public TreeNodeImpl<IXMLDOMElement> {
public:
    QX_BEGIN_INTERFACES(CXmlElement)
    QX_INTERFACE_ENTRY(IXMLDOMElement)
    QX_INTERFACE_ENTRY2(IXMLDOMNode, IXMLDOMElement)
    QX_INTERFACE_ENTRY2(IDispatch, IXMLDOMElement)
    QX_INTERFACE_ENTRY(IXmlNodeAccess)
    QX_END_INTERFACES()

    STDMETHODIMP get_tagName(BSTR* tagName) override { return get_nodeName(tagName); }
    STDMETHODIMP getAttribute(BSTR name, VARIANT* value) override {
        if (!value)
            return E_POINTER;
        VariantInit(value);
        xmlAttrPtr a = FindAttribute(node_, ToUtf8(name));
        if (!a) {
            value->vt = VT_NULL;
            return S_FALSE;
        }
        value->vt = VT_BSTR;
        return ReturnText(NodeText(reinterpret_cast<xmlNodePtr>(a)), &value->bstrVal);
    }
    STDMETHODIMP setAttribute(BSTR name, VARIANT value) override {
        std::string n = ToUtf8(name);
        if (!ValidName(n))
            return E_FAIL;
        std::string text;
        HRESULT hr = VariantText(value, &text);
        if (FAILED(hr))
            return hr;
        xmlAttrPtr a = FindAttribute(node_, n);
        if (!a) {
            a = xmlNewDocProp(node_->doc, BAD_CAST n.c_str(), nullptr);
            if (!a)
                return E_OUTOFMEMORY;
            LinkAttribute(node_, a);
        }
        SetNodeText(*tree_, reinterpret_cast<xmlNodePtr>(a), text);
        return S_OK;
    }
    STDMETHODIMP removeAttribute(BSTR name) override {
        if (xmlAttrPtr a = FindAttribute(node_, ToUtf8(name)))
            tree_->Orphan(reinterpret_cast<xmlNodePtr>(a));
        return S_OK;
    }
    STDMETHODIMP getAttributeNode(BSTR name, IDispatch** attributeNode) override {
        if (!attributeNode)
            return E_POINTER;
        return Wrap(reinterpret_cast<xmlNodePtr>(FindAttribute(node_, ToUtf8(name))), attributeNode);
    }
    STDMETHODIMP getElementsByTagName(BSTR tagName, IDispatch** resultList) override {
        if (!resultList)
            return E_POINTER;
        return CreateStaticList(owner_.Get(), tree_, ElementsByTagName(node_, ToUtf8(tagName)), resultList);
    }
};

class CXmlAttribute : public TreeNodeImpl<IXMLDOMAttribute> {
public:
    QX_BEGIN_INTERFACES(CXmlAttribute)
    QX_INTERFACE_ENTRY(IXMLDOMAttribute)
    QX_INTERFACE_ENTRY2(IXMLDOMNode, IXMLDOMAttribute)
    QX_INTERFACE_ENTRY2(IDispatch, IXMLDOMAttribute)
    QX_INTERFACE_ENTRY(IXmlNodeAccess)
    QX_END_INTERFACES()

    STDMETHODIMP get_name(BSTR* attributeName) override { return get_nodeName(attributeName); }
    STDMETHODIMP get_value(VARIANT* attributeValue) override { return get_nodeValue(attributeValue); }
    STDMETHODIMP put_value(VARIANT attributeValue) override { return put_nodeValue(attributeValue); }
};

// Text and CDATA sections.
class CXmlText : public TreeNodeImpl<IXMLDOMText> {
public:
    QX_BEGIN_INTERFACES(CXmlText)
    QX_INTERFACE_ENTRY(IXMLDOMText)
    QX_INTERFACE_ENTRY2(IXMLDOMCharacterData, IXMLDOMText)
    QX_INTERFACE_ENTRY2(IXMLDOMNode, IXMLDOMText)
    QX_INTERFACE_ENTRY2(IDispatch, IXMLDOMText)
    QX_INTERFACE_ENTRY(IXmlNodeAccess)
    QX_END_INTERFACES()

    STDMETHODIMP get_data(BSTR* data) override {
        if (!data)
            return E_POINTER;
        return ReturnText(NodeText(node_), data);
    }
    STDMETHODIMP put_data(BSTR data) override {
        SetNodeText(*tree_, node_, ToUtf8(data));
        return S_OK;
    }
    STDMETHODIMP get_length(LONG* dataLength) override {
        if (!dataLength)
            return E_POINTER;
        *dataLength = static_cast<LONG>(ToWide(NodeText(node_)).size());
        return S_OK;
    }
    STDMETHODIMP appendData(BSTR data) override {
        SetNodeText(*tree_, node_, NodeText(node_) + ToUtf8(data));
        return S_OK;
    }
    STDMETHODIMP splitText(LONG offset, IDispatch** rightHandTextNode) override {
        if (rightHandTextNode)
            *rightHandTextNode = nullptr;
        std::u16string text = ToWide(NodeText(node_));
        if (offset < 0 || static_cast<std::size_t>(offset) > text.size())
            return E_INVALIDARG;
        std::string right =
            qx::win32::WideToUtf8(std::u16string_view(text).substr(static_cast<std::size_t>(offset)));
        SetNodeText(
            *tree_, node_,
            qx::win32::WideToUtf8(std::u16string_view(text).substr(0, static_cast<std::size_t>(offset))));
        xmlNodePtr r =
            node_->type == XML_CDATA_SECTION_NODE
                ? xmlNewCDataBlock(node_->doc, BAD_CAST right.data(), static_cast<int>(right.size()))
                : xmlNewDocTextLen(node_->doc, BAD_CAST right.data(), static_cast<int>(right.size()));
        if (!r)
            return E_OUTOFMEMORY;
        if (node_->parent)
            LinkChild(node_->parent, r, node_->next);
        else
            tree_->Adopt(r);
        return rightHandTextNode ? Wrap(r, rightHandTextNode) : S_OK;
    }
};

// Comments, processing instructions and the document type.
class CXmlOtherNode : public TreeNodeImpl<IXMLDOMNode> {
public:
    QX_BEGIN_INTERFACES(CXmlOtherNode)
    QX_INTERFACE_ENTRY(IXMLDOMNode)
    QX_INTERFACE_ENTRY2(IDispatch, IXMLDOMNode)
    QX_INTERFACE_ENTRY(IXmlNodeAccess)
    QX_END_INTERFACES()
};

template <typename T>
HRESULT MakeNode(IXMLDOMDocument* owner, const TreePtr& tree, xmlNodePtr node, IDispatch** out) {
    com::ObjectPtr<T> object;
    HRESULT hr = com::CreateObject<T>(object);
    if (FAILED(hr))
        return hr;
    object->Bind(owner, tree, node);
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

} // namespace

std::u16string ToWide(const std::string& utf8) {
    return qx::win32::Utf8ToWide(utf8);
}

std::string ToUtf8(const OLECHAR* text) {
    if (!text)
        return {};
    return qx::win32::WideToUtf8(std::u16string_view(text, SysStringLen(const_cast<BSTR>(text))));
}

HRESULT ReturnText(const std::string& utf8, BSTR* out) {
    if (!out)
        return E_POINTER;
    std::u16string w = ToWide(utf8);
    *out = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT VariantText(const VARIANT& value, std::string* out) {
    com::Variant v;
    HRESULT hr = VariantChangeType(&v, &value, VARIANT_ALPHABOOL, VT_BSTR);
    if (FAILED(hr))
        return hr;
    *out = ToUtf8(v.bstrVal);
    return S_OK;
}

bool UnwrapNode(IUnknown* object, xmlNodePtr* node, TreePtr* tree) {
    if (!object)
        return false;
    com::ComPtr<IXmlNodeAccess> access;
    if (FAILED(object->QueryInterface(IID_IXmlNodeAccess, reinterpret_cast<void**>(&access))) || !access)
        return false;
    *node = access->AccessNode();
    *tree = access->AccessTree();
    return *node != nullptr;
}

HRESULT WrapNode(IXMLDOMDocument* owner, const TreePtr& tree, xmlNodePtr node, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!node)
        return S_FALSE;
    if (node->type == XML_DOCUMENT_NODE)
        return owner->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
    // A node that already has an object gets the same one again.
    if (auto known = tree->nodeObjects.find(node); known != tree->nodeObjects.end()) {
        known->second->AddRef();
        *out = known->second;
        return S_OK;
    }
    switch (node->type) {
    case XML_ELEMENT_NODE:
        return MakeNode<CXmlElement>(owner, tree, node, out);
    case XML_ATTRIBUTE_NODE:
        return MakeNode<CXmlAttribute>(owner, tree, node, out);
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        return MakeNode<CXmlText>(owner, tree, node, out);
    default:
        return MakeNode<CXmlOtherNode>(owner, tree, node, out);
    }
}

const char16_t* NodeName(xmlNodePtr node, std::u16string& storage) {
    switch (node->type) {
    case XML_TEXT_NODE:
        return u"#text";
    case XML_CDATA_SECTION_NODE:
        return u"#cdata-section";
    case XML_COMMENT_NODE:
        return u"#comment";
    case XML_DOCUMENT_NODE:
        return u"#document";
    case XML_DOCUMENT_FRAG_NODE:
        return u"#document-fragment";
    default:
        storage = ToWide(QualifiedName(node));
        return storage.c_str();
    }
}

const char16_t* NodeTypeString(xmlNodePtr node) {
    switch (node->type) {
    case XML_ELEMENT_NODE:
        return u"element";
    case XML_ATTRIBUTE_NODE:
        return u"attribute";
    case XML_TEXT_NODE:
        return u"text";
    case XML_CDATA_SECTION_NODE:
        return u"cdatasection";
    case XML_ENTITY_REF_NODE:
        return u"entityreference";
    case XML_PI_NODE:
        return u"processinginstruction";
    case XML_COMMENT_NODE:
        return u"comment";
    case XML_DOCUMENT_NODE:
        return u"document";
    case XML_DTD_NODE:
        return u"documenttype";
    case XML_DOCUMENT_FRAG_NODE:
        return u"documentfragment";
    default:
        return u"";
    }
}

LONG NodeType(xmlNodePtr node) {
    switch (node->type) {
    case XML_ELEMENT_NODE:
        return NODE_ELEMENT;
    case XML_ATTRIBUTE_NODE:
        return NODE_ATTRIBUTE;
    case XML_TEXT_NODE:
        return NODE_TEXT;
    case XML_CDATA_SECTION_NODE:
        return NODE_CDATA_SECTION;
    case XML_ENTITY_REF_NODE:
        return NODE_ENTITY_REFERENCE;
    case XML_PI_NODE:
        return NODE_PROCESSING_INSTRUCTION;
    case XML_COMMENT_NODE:
        return NODE_COMMENT;
    case XML_DOCUMENT_NODE:
        return NODE_DOCUMENT;
    case XML_DTD_NODE:
        return NODE_DOCUMENT_TYPE;
    case XML_DOCUMENT_FRAG_NODE:
        return NODE_DOCUMENT_FRAGMENT;
    default:
        return NODE_INVALID;
    }
}

std::string TrimmedText(const XmlTree& tree, xmlNodePtr node) {
    std::string text = NodeText(node);
    if (tree.preserveWhiteSpace || node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)
        return text;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t b = 0, e = text.size();
    while (b < e && blank(text[b]))
        ++b;
    while (e > b && blank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

} // namespace qx::xml
