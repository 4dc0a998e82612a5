// IHTMLDOMNode's members, shared by every kind of node object.
#include "dom_objects.h"

#include "oleauto.h"
#include "qx/com/error_info.h"
#include "qx/html/dom/html_parser.h"

namespace qx::html::dom {

Node* NodeOfArgument(IUnknown* object, const DomDocument& dom) {
    if (!object)
        return nullptr;
    com::ComPtr<IHtmlNodeAccess> access;
    if (FAILED(object->QueryInterface(IID_IHtmlNodeAccess, reinterpret_cast<void**>(&access))) || !access)
        return nullptr;
    Node* node = access->AccessNode();
    return (node && node->tree == &dom.tree) ? node : nullptr;
}

HRESULT ReturnText(std::u16string_view text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = com::Bstr(text).Detach();
    return S_OK;
}

HRESULT ReturnObject(const DomPtr& dom, Node* node, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return node ? NodeObjectOf(dom, node, out) : S_OK;
}

bool ParseAdjacent(std::u16string_view where, Adjacent* at) {
    static constexpr std::pair<std::u16string_view, Adjacent> kPositions[] = {
        {u"beforebegin", Adjacent::BeforeBegin},
        {u"afterbegin", Adjacent::AfterBegin},
        {u"beforeend", Adjacent::BeforeEnd},
        {u"afterend", Adjacent::AfterEnd}};
    for (const auto& [name, position] : kPositions) {
        if (EqualsNoCase(where, name)) {
            *at = position;
            return true;
        }
    }
    return false;
}

HRESULT ParseForPosition(DomDocument& dom, Node* element, Adjacent at, std::u16string_view html,
                         std::vector<Node*>& nodes) {
    const bool outside = at == Adjacent::BeforeBegin || at == Adjacent::AfterEnd;
    const Node* context = outside ? element->parent : element;
    if (!context)
        return E_FAIL;
    const std::u16string tag = context->IsElement() ? context->name : u"body";
    const ParseError error = ParseHtmlFragment(dom.tree, html, tag, nodes);
    if (error != ParseError::None)
        return com::ReportError(IID_IHTMLElement, u"htmlfile", DescribeParseError(error), E_FAIL);
    return S_OK;
}

HRESULT InsertAdjacentNodes(DomDocument& dom, Node* element, Adjacent at, const std::vector<Node*>& nodes) {
    Node* parent = element;
    Node* before = nullptr;
    switch (at) {
    case Adjacent::BeforeBegin:
        parent = element->parent;
        before = element;
        break;
    case Adjacent::AfterBegin:
        before = element->firstChild;
        break;
    case Adjacent::BeforeEnd:
        break;
    case Adjacent::AfterEnd:
        parent = element->parent;
        before = element->next;
        break;
    }
    if (!parent || parent->type == NodeType::Document)
        return E_FAIL;
    for (Node* n : nodes)
        if (!NodeTree::CanInsert(parent, n))
            return E_INVALIDARG;
    for (Node* n : nodes)
        dom.tree.Insert(parent, n, before);
    return S_OK;
}

namespace node_members {

HRESULT NodeType(const Node* node, LONG* out) {
    if (!out)
        return E_POINTER;
    *out = static_cast<LONG>(node->type);
    return S_OK;
}

HRESULT NodeName(const Node* node, BSTR* out) {
    switch (node->type) {
    case NodeType::Element:
        return ReturnText(UpperAscii(node->name), out);
    case NodeType::Text:
        return ReturnText(u"#text", out);
    case NodeType::Comment:
        return ReturnText(u"#comment", out);
    case NodeType::Document:
        return ReturnText(u"#document", out);
    }
    return E_UNEXPECTED;
}

HRESULT GetNodeValue(const Node* node, VARIANT* out) {
    if (!out)
        return E_POINTER;
    VariantInit(out);
    if (node->type == NodeType::Text || node->type == NodeType::Comment) {
        out->vt = VT_BSTR;
        out->bstrVal = com::Bstr(node->text).Detach();
    } else {
        out->vt = VT_NULL;
    }
    return S_OK;
}

HRESULT PutNodeValue(DomDocument& dom, Node* node, const VARIANT& value) {
    if (node->type != NodeType::Text && node->type != NodeType::Comment)
        return S_OK; // an element has no value to set
    com::Variant text;
    const HRESULT hr = VariantChangeType(&text, &value, 0, VT_BSTR);
    if (FAILED(hr))
        return hr;
    node->text = ViewOf(text.bstrVal);
    dom.tree.Touch();
    return S_OK;
}

HRESULT ParentNode(const DomPtr& dom, Node* node, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!node->parent)
        return S_OK;
    if (node->parent->type == NodeType::Document) {
        com::ComPtr<IHTMLDocument2> document;
        HRESULT hr = DocumentObjectOf(dom, &document);
        if (SUCCEEDED(hr))
            *out = document.Detach();
        return hr;
    }
    return NodeObjectOf(dom, node->parent, out);
}

HRESULT HasChildNodes(const Node* node, VARIANT_BOOL* out) {
    if (!out)
        return E_POINTER;
    *out = node->firstChild ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

namespace {

// The node of an optional reference argument: none for a missing, empty or null one.
HRESULT ReferenceNode(const DomDocument& dom, const VARIANT& ref, Node** out) {
    *out = nullptr;
    const VARIANT* v = &ValueOf(ref);
    switch (v->vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_ERROR:
        return S_OK;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        if (!v->punkVal)
            return S_OK;
        *out = NodeOfArgument(v->punkVal, dom);
        return *out ? S_OK : E_INVALIDARG;
    default:
        return E_INVALIDARG;
    }
}

} // namespace

HRESULT InsertBefore(const DomPtr& dom, Node* node, IDispatch* newChild, const VARIANT& refChild,
                     IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    Node* child = NodeOfArgument(newChild, *dom);
    Node* before = nullptr;
    if (!child || FAILED(ReferenceNode(*dom, refChild, &before)))
        return E_INVALIDARG;
    if ((before && before->parent != node) || !NodeTree::CanInsert(node, child))
        return E_INVALIDARG;
    if (before == child)
        return ReturnObject(dom, child, out);
    dom->tree.Insert(node, child, before);
    return ReturnObject(dom, child, out);
}

HRESULT RemoveChild(const DomPtr& dom, Node* node, IDispatch* oldChild, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    Node* child = NodeOfArgument(oldChild, *dom);
    if (!child || child->parent != node)
        return E_INVALIDARG;
    dom->tree.Remove(child); // the argument's object holds it
    return ReturnObject(dom, child, out);
}

HRESULT ReplaceChild(const DomPtr& dom, Node* node, IDispatch* newChild, IDispatch* oldChild,
                     IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    Node* fresh = NodeOfArgument(newChild, *dom);
    Node* old = NodeOfArgument(oldChild, *dom);
    if (!fresh || !old || old->parent != node || !NodeTree::CanInsert(node, fresh))
        return E_INVALIDARG;
    if (fresh != old) {
        Node* before = old->next == fresh ? fresh->next : old->next;
        dom->tree.Remove(old);
        dom->tree.Insert(node, fresh, before);
    }
    return ReturnObject(dom, old, out);
}

HRESULT CloneNode(const DomPtr& dom, Node* node, VARIANT_BOOL deep, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (node->type == NodeType::Document)
        return E_NOTIMPL;
    Node* copy = dom->tree.Clone(node, deep != VARIANT_FALSE);
    return ReturnObject(dom, copy, out);
}

HRESULT RemoveNode(const DomPtr& dom, Node* node, VARIANT_BOOL deep, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (Node* parent = node->parent) {
        if (deep == VARIANT_FALSE) {
            // The children stay where the node was.
            while (Node* child = node->firstChild)
                dom->tree.Insert(parent, child, node);
        }
        dom->tree.Remove(node); // this node's object holds it
    }
    return ReturnObject(dom, node, out);
}

HRESULT SwapNode(const DomPtr& dom, Node* node, IDispatch* other, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    Node* that = NodeOfArgument(other, *dom);
    if (!that || IsInclusiveAncestor(node, that) || IsInclusiveAncestor(that, node))
        return that == node ? ReturnObject(dom, node, out) : E_INVALIDARG;
    Node* placeholder = dom->tree.CreateText(u"");
    dom->tree.Hold(placeholder);
    Node* thisParent = node->parent;
    Node* thatParent = that->parent;
    if (thisParent)
        dom->tree.Insert(thisParent, placeholder, node);
    if (thatParent)
        dom->tree.Insert(thatParent, node, that);
    else
        dom->tree.Orphan(node);
    if (thisParent)
        dom->tree.Insert(thisParent, that, placeholder);
    else
        dom->tree.Orphan(that);
    dom->tree.Remove(placeholder);
    dom->tree.Release(placeholder);
    return ReturnObject(dom, node, out);
}

HRESULT ReplaceNode(const DomPtr& dom, Node* node, IDispatch* replacement, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    Node* fresh = NodeOfArgument(replacement, *dom);
    if (!fresh)
        return E_INVALIDARG;
    if (fresh != node) {
        Node* parent = node->parent;
        if (!parent || !NodeTree::CanInsert(parent, fresh) || IsInclusiveAncestor(fresh, node))
            return E_INVALIDARG;
        dom->tree.Insert(parent, fresh, node);
        dom->tree.Remove(node);
    }
    return ReturnObject(dom, node, out);
}

} // namespace node_members
} // namespace qx::html::dom
