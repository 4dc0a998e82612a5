// The members of IXMLDOMNode, shared by every node class through the interface it answers first.
#pragma once

#include "node_access.h"
#include "node_edit.h"
#include "xml_select.h"
#include "xml_serialize.h"

#include "oleauto.h"
#include "qx/com/dispatch.h"
#include "qx/com/object.h"
#include "winerror.h"

namespace qx::xml {

const char16_t* NodeName(xmlNodePtr node, std::u16string& storage);
const char16_t* NodeTypeString(xmlNodePtr node);
LONG NodeType(xmlNodePtr node);
std::string TrimmedText(const XmlTree& tree, xmlNodePtr node);

template <typename Itf>
class NodeImpl : public com::ObjectRoot, public com::DispatchImpl<Itf>, public IXmlNodeAccess {
public:
    // The node and its tree; the document answers with its current tree.
    virtual xmlNodePtr Node() = 0;
    virtual TreePtr Tree() = 0;
    // The document that node objects made from this one belong to (no reference).
    virtual IXMLDOMDocument* Owner() = 0;

    xmlNodePtr AccessNode() override { return Node(); }
    TreePtr AccessTree() override { return Tree(); }

    STDMETHODIMP get_nodeName(BSTR* name) override {
        if (!name)
            return E_POINTER;
        std::u16string storage;
        *name = SysAllocString(NodeName(Node(), storage));
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP get_nodeValue(VARIANT* value) override {
        if (!value)
            return E_POINTER;
        VariantInit(value);
        xmlNodePtr n = Node();
        if (n->type == XML_ELEMENT_NODE || n->type == XML_DOCUMENT_NODE || n->type == XML_DTD_NODE ||
            n->type == XML_DOCUMENT_FRAG_NODE) {
            value->vt = VT_NULL;
            return S_FALSE;
        }
        value->vt = VT_BSTR;
        return ReturnText(NodeText(n), &value->bstrVal);
    }
    STDMETHODIMP put_nodeValue(VARIANT value) override {
        xmlNodePtr n = Node();
        if (n->type == XML_ELEMENT_NODE || n->type == XML_DOCUMENT_NODE || n->type == XML_DTD_NODE)
            return E_FAIL;
        std::string text;
        HRESULT hr = VariantText(value, &text);
        if (FAILED(hr))
            return hr;
        SetNodeText(*Tree(), n, text);
        return S_OK;
    }
    STDMETHODIMP get_nodeType(LONG* type) override {
        if (!type)
            return E_POINTER;
        *type = NodeType(Node());
        return S_OK;
    }
    STDMETHODIMP get_parentNode(IDispatch** parent) override {
        if (!parent)
            return E_POINTER;
        xmlNodePtr n = Node();
        return Wrap(n->type == XML_ATTRIBUTE_NODE ? nullptr : n->parent, parent);
    }
    STDMETHODIMP get_childNodes(IDispatch** childList) override {
        if (!childList)
            return E_POINTER;
        return CreateChildList(Owner(), Tree(), Node(), childList);
    }
    STDMETHODIMP get_firstChild(IDispatch** child) override {
        if (!child)
            return E_POINTER;
        return Wrap(HasChildList() ? Node()->children : nullptr, child);
    }
    STDMETHODIMP get_lastChild(IDispatch** child) override {
        if (!child)
            return E_POINTER;
        return Wrap(HasChildList() ? Node()->last : nullptr, child);
    }
    STDMETHODIMP get_previousSibling(IDispatch** sibling) override {
        if (!sibling)
            return E_POINTER;
        xmlNodePtr n = Node();
        return Wrap(n->type == XML_ATTRIBUTE_NODE || n->type == XML_DOCUMENT_NODE ? nullptr : n->prev,
                    sibling);
    }
    STDMETHODIMP get_nextSibling(IDispatch** sibling) override {
        if (!sibling)
            return E_POINTER;
        xmlNodePtr n = Node();
        return Wrap(n->type == XML_ATTRIBUTE_NODE || n->type == XML_DOCUMENT_NODE ? nullptr : n->next,
                    sibling);
    }
    STDMETHODIMP get_attributes(IDispatch** map) override {
        if (!map)
            return E_POINTER;
        *map = nullptr;
        if (Node()->type != XML_ELEMENT_NODE)
            return S_FALSE;
        return CreateAttributeMap(Owner(), Tree(), Node(), map);
    }
    STDMETHODIMP insertBefore(IDispatch* newChild, VARIANT refChild, IDispatch** outNewChild) override {
        if (outNewChild)
            *outNewChild = nullptr;
        xmlNodePtr before = nullptr;
        const VARIANT* ref = &refChild;
        if (ref->vt == (VT_BYREF | VT_VARIANT) && ref->pvarVal)
            ref = ref->pvarVal;
        if ((ref->vt == VT_DISPATCH || ref->vt == VT_UNKNOWN) && ref->punkVal) {
            com::ComPtr<IDispatch> d;
            if (FAILED(ref->punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d))))
                return E_INVALIDARG;
            HRESULT hr = ChildOf(Node(), d.Get(), &before);
            if (FAILED(hr))
                return hr;
        } else if (ref->vt != VT_EMPTY && ref->vt != VT_NULL && ref->vt != VT_ERROR &&
                   ref->vt != VT_DISPATCH && ref->vt != VT_UNKNOWN) {
            return E_INVALIDARG;
        }
        return InsertAndWrap(newChild, before, outNewChild);
    }
    STDMETHODIMP replaceChild(IDispatch* newChild, IDispatch* oldChild, IDispatch** outOldChild) override {
        if (outOldChild)
            *outOldChild = nullptr;
        xmlNodePtr old = nullptr;
        HRESULT hr = ChildOf(Node(), oldChild, &old);
        if (FAILED(hr))
            return hr;
        xmlNodePtr inserted = nullptr;
        if (Node()->type == XML_DOCUMENT_NODE) {
            // The old child may be the document element that the new one replaces.
            xmlNodePtr nc = nullptr;
            TreePtr t;
            if (UnwrapNode(newChild, &nc, &t) && nc->type == XML_ELEMENT_NODE &&
                old->type == XML_ELEMENT_NODE && nc != old) {
                xmlNodePtr next = old->next;
                Tree()->Orphan(old);
                hr = InsertChild(Tree(), Node(), newChild, next, &inserted);
                if (FAILED(hr)) {
                    Tree()->Detach(old);
                    LinkChild(Node(), old, next);
                    return hr;
                }
                return outOldChild ? Wrap(old, outOldChild) : S_OK;
            }
        }
        hr = InsertChild(Tree(), Node(), newChild, old, &inserted);
        if (FAILED(hr))
            return hr;
        if (inserted != old)
            Tree()->Orphan(old);
        return outOldChild ? Wrap(old, outOldChild) : S_OK;
    }
    STDMETHODIMP removeChild(IDispatch* childNode, IDispatch** oldChild) override {
        if (oldChild)
            *oldChild = nullptr;
        xmlNodePtr child = nullptr;
        HRESULT hr = ChildOf(Node(), childNode, &child);
        if (FAILED(hr))
            return hr;
        Tree()->Orphan(child);
        return oldChild ? Wrap(child, oldChild) : S_OK;
    }
    STDMETHODIMP appendChild(IDispatch* newChild, IDispatch** outNewChild) override {
        if (outNewChild)
            *outNewChild = nullptr;
        return InsertAndWrap(newChild, nullptr, outNewChild);
    }
    STDMETHODIMP hasChildNodes(VARIANT_BOOL* hasChild) override {
        if (!hasChild)
            return E_POINTER;
        bool has = HasChildList() && Node()->children;
        *hasChild = has ? VARIANT_TRUE : VARIANT_FALSE;
        return has ? S_OK : S_FALSE;
    }
    STDMETHODIMP get_ownerDocument(IDispatch** document) override {
        if (!document)
            return E_POINTER;
        *document = nullptr;
        if (Node()->type == XML_DOCUMENT_NODE)
            return S_FALSE;
        return Owner()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(document));
    }
    STDMETHODIMP cloneNode(VARIANT_BOOL deep, IDispatch** cloneRoot) override {
        if (!cloneRoot)
            return E_POINTER;
        *cloneRoot = nullptr;
        xmlNodePtr copy = CloneInto(*Tree(), Node(), deep != VARIANT_FALSE);
        if (!copy)
            return E_OUTOFMEMORY;
        return Wrap(copy, cloneRoot);
    }
    STDMETHODIMP get_nodeTypeString(BSTR* nodeType) override {
        if (!nodeType)
            return E_POINTER;
        *nodeType = SysAllocString(NodeTypeString(Node()));
        return *nodeType ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP get_text(BSTR* text) override {
        if (!text)
            return E_POINTER;
        return ReturnText(TrimmedText(*Tree(), Node()), text);
    }
    STDMETHODIMP put_text(BSTR text) override {
        xmlNodePtr n = Node();
        if (n->type == XML_DOCUMENT_NODE || n->type == XML_DTD_NODE)
            return E_FAIL;
        SetNodeText(*Tree(), n, ToUtf8(text));
        return S_OK;
    }
    STDMETHODIMP get_xml(BSTR* xmlString) override {
        if (!xmlString)
            return E_POINTER;
        return ReturnText(SerializeNode(*Tree(), Node()), xmlString);
    }
    STDMETHODIMP selectNodes(BSTR queryString, IDispatch** resultList) override {
        if (!resultList)
            return E_POINTER;
        *resultList = nullptr;
        std::vector<xmlNodePtr> found;
        HRESULT hr = SelectNodes(Node(), ToUtf8(queryString), found);
        if (FAILED(hr))
            return hr;
        return CreateStaticList(Owner(), Tree(), std::move(found), resultList);
    }
    STDMETHODIMP selectSingleNode(BSTR queryString, IDispatch** resultNode) override {
        if (!resultNode)
            return E_POINTER;
        *resultNode = nullptr;
        std::vector<xmlNodePtr> found;
        HRESULT hr = SelectNodes(Node(), ToUtf8(queryString), found);
        if (FAILED(hr))
            return hr;
        return Wrap(found.empty() ? nullptr : found.front(), resultNode);
    }

protected:
    HRESULT Wrap(xmlNodePtr node, IDispatch** out) { return WrapNode(Owner(), Tree(), node, out); }
    // Attribute values are not handed out as nodes, nor the declarations inside a document type.
    bool HasChildList() { return Node()->type != XML_ATTRIBUTE_NODE && Node()->type != XML_DTD_NODE; }
    HRESULT InsertAndWrap(IDispatch* newChild, xmlNodePtr before, IDispatch** out) {
        xmlNodePtr inserted = nullptr;
        HRESULT hr = InsertChild(Tree(), Node(), newChild, before, &inserted);
        if (FAILED(hr))
            return hr;
        return out ? Wrap(inserted, out) : S_OK;
    }
};

// A node object over one node of a tree, holding its document and its tree.
template <typename Itf>
class TreeNodeImpl : public NodeImpl<Itf> {
public:
    ~TreeNodeImpl() override {
        if (!tree_)
            return;
        auto entry = tree_->nodeObjects.find(node_);
        if (entry != tree_->nodeObjects.end() && entry->second == Self())
            tree_->nodeObjects.erase(entry);
    }

    // Makes this object the node's one object in its tree.
    void Bind(IXMLDOMDocument* owner, TreePtr tree, xmlNodePtr node) {
        owner_ = owner;
        tree_ = std::move(tree);
        node_ = node;
        tree_->nodeObjects.insert_or_assign(node_, Self());
    }
    xmlNodePtr Node() override { return node_; }
    TreePtr Tree() override { return tree_; }
    IXMLDOMDocument* Owner() override { return owner_.Get(); }

protected:
    // The pointer QueryInterface(IID_IDispatch) gives, which is what callers are handed.
    IDispatch* Self() { return static_cast<Itf*>(this); }

    com::ComPtr<IXMLDOMDocument> owner_;
    TreePtr tree_;
    xmlNodePtr node_ = nullptr;
};

} // namespace qx::xml
