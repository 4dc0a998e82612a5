// What the document's objects share inside this piece: finding a node's object and the node behind
// an argument, collections, and the node members every kind of node answers.
#pragma once

#include "ocidl_control.h"
#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/object.h"
#include "qx/com/union_dispatch.h"
#include "qx/com/variant.h"
#include "qx/html/dom/html_document.h"

#include <string>

namespace qx::html::dom {

// The node behind an object of the same document; null for anything else.
Node* NodeOfArgument(IUnknown* object, const DomDocument& dom);

// A BSTR's text, without a copy (null is "").
inline std::u16string_view ViewOf(BSTR text) {
    return {text ? text : u"", SysStringLen(text)};
}
// The value of an argument script may pass by reference.
inline const VARIANT& ValueOf(const VARIANT& v) {
    return (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) ? *v.pvarVal : v;
}
// Text out as a new BSTR.
HRESULT ReturnText(std::u16string_view text, BSTR* out);
HRESULT ReturnObject(const DomPtr& dom, Node* node, IDispatch** out);
inline HRESULT ReturnBool(bool value, VARIANT_BOOL* out) {
    if (!out)
        return E_POINTER;
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// Which elements a collection holds, computed afresh whenever the tree has changed.
struct CollectionScope {
    // TableRows: a table's rows (its own and its sections') or a section's; RowCells: a row's cells;
    // TableCells: the cells of a table's rows; FormFields: a form's fields (`elements`).
    enum class Kind { Descendants, Children, Named, TableRows, RowCells, TableCells, FormFields };
    Kind kind = Kind::Descendants;
    std::u16string tag;                  // lower case; empty for every tag
    std::u16string name;                 // Named: the id or name the elements share
    Kind parentKind = Kind::Descendants; // Named: the scope of the collection it came from
};
HRESULT MakeElementCollection(const DomPtr& dom, Node* root, CollectionScope scope, IDispatch** out);
// What a form's `elements` holds: INPUT, SELECT, TEXTAREA, BUTTON, OBJECT and FIELDSET.
bool IsFormField(const Node* node);
HRESULT MakeChildNodes(const DomPtr& dom, Node* parent, IDispatch** out);

// Where insertAdjacent* puts things; false for a position that is none of the four.
enum class Adjacent { BeforeBegin, AfterBegin, BeforeEnd, AfterEnd };
bool ParseAdjacent(std::u16string_view where, Adjacent* at);
// Inserts nodes (orphans of the tree) at the position next to element; E_FAIL when the position is
// outside a parent the element does not have.
HRESULT InsertAdjacentNodes(DomDocument& dom, Node* element, Adjacent at, const std::vector<Node*>& nodes);
// Parses html in the context the position gives.
HRESULT ParseForPosition(DomDocument& dom, Node* element, Adjacent at, std::u16string_view html,
                         std::vector<Node*>& nodes);

// A new object of class T for the node (an ElementObject), as IDispatch.
template <typename T>
HRESULT MakeNodeObject(const DomPtr& dom, Node* node, IDispatch** out) {
    com::ObjectPtr<T> object;
    const HRESULT hr = com::CreateObject<T>(object);
    if (FAILED(hr))
        return hr;
    object->AttachElement(dom, node);
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

// A new `location` object over the document's address.
HRESULT MakeLocationObject(const DomPtr& dom, IDispatch** out);

// The document's IPersistStreamInit: the whole document as HTML in its charset.
HRESULT DocumentClassId(CLSID* out);
HRESULT DocumentIsDirty(const DomDocument& dom);
HRESULT LoadDocument(const DomPtr& dom, IStream* stream);
HRESULT SaveDocument(DomDocument& dom, IStream* stream, BOOL clearDirty);
HRESULT DocumentSizeMax(const DomDocument& dom, ULARGE_INTEGER* out);
HRESULT InitNewDocument(const DomPtr& dom);

// The object of an element of the other tags with interfaces of their own (A, FORM, TEXTAREA, SPAN,
// SCRIPT, OBJECT, COL, COLGROUP, CAPTION); S_FALSE (and nothing made) for the rest.
HRESULT CreateTagElementObject(const DomPtr& dom, Node* node, IDispatch** out);

// The object of a table, section, row or cell; S_FALSE (and nothing made) for other elements.
HRESULT CreateTablePartObject(const DomPtr& dom, Node* node, IDispatch** out);

// The object of an INPUT, SELECT, OPTION, IMG or DIV; S_FALSE (and nothing made) for other elements.
HRESULT CreateFormFieldObject(const DomPtr& dom, Node* node, IDispatch** out);

// The object of a STYLE or LINK; S_FALSE (and nothing made) for other elements.
HRESULT CreateStyleElementObject(const DomPtr& dom, Node* node, IDispatch** out);
// The object of BODY; S_FALSE (and nothing made) for other elements.
HRESULT CreateBodyObject(const DomPtr& dom, Node* node, IDispatch** out);
// The object of an OBJECT element; S_FALSE (and nothing made) for other elements.
HRESULT CreateObjectElementObject(const DomPtr& dom, Node* node, IDispatch** out);

// IHTMLDOMNode's members over a node.
namespace node_members {
HRESULT NodeType(const Node* node, LONG* out);
HRESULT NodeName(const Node* node, BSTR* out);
HRESULT GetNodeValue(const Node* node, VARIANT* out);
HRESULT PutNodeValue(DomDocument& dom, Node* node, const VARIANT& value);
HRESULT ParentNode(const DomPtr& dom, Node* node, IDispatch** out);
HRESULT HasChildNodes(const Node* node, VARIANT_BOOL* out);
HRESULT InsertBefore(const DomPtr& dom, Node* node, IDispatch* newChild, const VARIANT& refChild,
                     IDispatch** out);
HRESULT RemoveChild(const DomPtr& dom, Node* node, IDispatch* oldChild, IDispatch** out);
HRESULT ReplaceChild(const DomPtr& dom, Node* node, IDispatch* newChild, IDispatch* oldChild,
                     IDispatch** out);
HRESULT CloneNode(const DomPtr& dom, Node* node, VARIANT_BOOL deep, IDispatch** out);
HRESULT RemoveNode(const DomPtr& dom, Node* node, VARIANT_BOOL deep, IDispatch** out);
HRESULT SwapNode(const DomPtr& dom, Node* node, IDispatch* other, IDispatch** out);
HRESULT ReplaceNode(const DomPtr& dom, Node* node, IDispatch* replacement, IDispatch** out);
} // namespace node_members

// An object standing for one node: it holds the node (so a removed subtree stays usable) and is
// the node's object until it dies.
template <typename... Itfs>
class NodeObject : public com::ObjectRoot, public com::UnionDispatchImpl<Itfs...>, public IHtmlNodeAccess {
public:
    static constexpr bool kAggregatable = false;

    void Attach(DomPtr dom, Node* node) {
        dom_ = std::move(dom);
        node_ = node;
        dom_->tree.Hold(node_);
        node_->object = static_cast<IDispatch*>(static_cast<IDispatchEx*>(this));
    }
    void FinalRelease() {
        if (!node_)
            return;
        node_->object = nullptr;
        dom_->tree.Release(node_);
    }

    Node* STDMETHODCALLTYPE AccessNode() override { return node_; }
    const DomPtr& STDMETHODCALLTYPE AccessDocument() override { return dom_; }

    // IHTMLDOMNode
    STDMETHODIMP get_nodeType(LONG* p) override { return node_members::NodeType(node_, p); }
    STDMETHODIMP get_parentNode(IDispatch** p) override { return node_members::ParentNode(dom_, node_, p); }
    STDMETHODIMP hasChildNodes(VARIANT_BOOL* p) override { return node_members::HasChildNodes(node_, p); }
    STDMETHODIMP get_childNodes(IDispatch** p) override { return MakeChildNodes(dom_, node_, p); }
    // Attribute objects are not made: scripts read attributes by name.
    STDMETHODIMP get_attributes(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP insertBefore(IDispatch* n, VARIANT ref, IDispatch** p) override {
        return node_members::InsertBefore(dom_, node_, n, ref, p);
    }
    STDMETHODIMP removeChild(IDispatch* o, IDispatch** p) override {
        return node_members::RemoveChild(dom_, node_, o, p);
    }
    STDMETHODIMP replaceChild(IDispatch* n, IDispatch* o, IDispatch** p) override {
        return node_members::ReplaceChild(dom_, node_, n, o, p);
    }
    STDMETHODIMP cloneNode(VARIANT_BOOL deep, IDispatch** p) override {
        return node_members::CloneNode(dom_, node_, deep, p);
    }
    STDMETHODIMP removeNode(VARIANT_BOOL deep, IDispatch** p) override {
        return node_members::RemoveNode(dom_, node_, deep, p);
    }
    STDMETHODIMP swapNode(IDispatch* o, IDispatch** p) override {
        return node_members::SwapNode(dom_, node_, o, p);
    }
    STDMETHODIMP replaceNode(IDispatch* r, IDispatch** p) override {
        return node_members::ReplaceNode(dom_, node_, r, p);
    }
    STDMETHODIMP appendChild(IDispatch* n, IDispatch** p) override {
        return node_members::InsertBefore(dom_, node_, n, com::Variant::Missing(), p);
    }
    STDMETHODIMP get_nodeName(BSTR* p) override { return node_members::NodeName(node_, p); }
    STDMETHODIMP get_nodeValue(VARIANT* p) override { return node_members::GetNodeValue(node_, p); }
    STDMETHODIMP put_nodeValue(VARIANT v) override { return node_members::PutNodeValue(*dom_, node_, v); }
    STDMETHODIMP get_firstChild(IDispatch** p) override { return ReturnObject(dom_, node_->firstChild, p); }
    STDMETHODIMP get_lastChild(IDispatch** p) override { return ReturnObject(dom_, node_->lastChild, p); }
    STDMETHODIMP get_previousSibling(IDispatch** p) override {
        return ReturnObject(dom_, node_->previous, p);
    }
    STDMETHODIMP get_nextSibling(IDispatch** p) override { return ReturnObject(dom_, node_->next, p); }
    // IHTMLDOMNode2
    STDMETHODIMP get_ownerDocument(IDispatch** p) override {
        return ReturnObject(dom_, dom_->tree.Document(), p);
    }

protected:
    DomPtr dom_;
    Node* node_ = nullptr;
};

} // namespace qx::html::dom
