// Node lists (the live child list, the fixed result of a query) and the attribute map.
#include "node_impl.h"

#include "qx/com/enumerators.h"
#include "qx/com/variant.h"

#include <vector>

namespace qx::xml {
namespace {

HRESULT EnumerateNodes(IXMLDOMDocument* owner, const TreePtr& tree, const std::vector<xmlNodePtr>& nodes,
                       IUnknown** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    std::vector<com::Variant> items;
    items.reserve(nodes.size());
    for (xmlNodePtr n : nodes) {
        com::ComPtr<IDispatch> d;
        HRESULT hr = WrapNode(owner, tree, n, &d);
        if (FAILED(hr))
            return hr;
        items.emplace_back(d.Get());
    }
    com::ComPtr<IEnumVARIANT> e;
    HRESULT hr = com::CreateEnumVariant(std::move(items), &e);
    if (FAILED(hr))
        return hr;
    *out = e.Detach();
    return S_OK;
}

// A list whose nodes come from Nodes() each time it is read.
template <typename Itf>
class ListBase : public com::ObjectRoot, public com::DispatchImpl<Itf> {
public:
    void Bind(IXMLDOMDocument* owner, TreePtr tree) {
        owner_ = owner;
        tree_ = std::move(tree);
    }
    virtual std::vector<xmlNodePtr> Nodes() = 0;
    virtual xmlNodePtr At(LONG index) {
        std::vector<xmlNodePtr> nodes = Nodes();
        return index >= 0 && static_cast<std::size_t>(index) < nodes.size()
                   ? nodes[static_cast<std::size_t>(index)]
                   : nullptr;
    }

    STDMETHODIMP get_item(LONG index, IDispatch** listItem) override {
        if (!listItem)
            return E_POINTER;
        return WrapNode(owner_.Get(), tree_, At(index), listItem);
    }
    STDMETHODIMP get_length(LONG* listLength) override {
        if (!listLength)
            return E_POINTER;
        *listLength = static_cast<LONG>(Nodes().size());
        return S_OK;
    }
    STDMETHODIMP nextNode(IDispatch** nextItem) override {
        if (!nextItem)
            return E_POINTER;
        xmlNodePtr n = At(position_);
        if (n)
            ++position_;
        return WrapNode(owner_.Get(), tree_, n, nextItem);
    }
    STDMETHODIMP reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP get__newEnum(IUnknown** ppUnk) override {
        return EnumerateNodes(owner_.Get(), tree_, Nodes(), ppUnk);
    }

protected:
    com::ComPtr<IXMLDOMDocument> owner_;
    TreePtr tree_;
    LONG position_ = 0;
};

class CChildList : public ListBase<IXMLDOMNodeList> {
public:
    QX_BEGIN_INTERFACES(CChildList)
    QX_INTERFACE_ENTRY(IXMLDOMNodeList)
    QX_INTERFACE_ENTRY2(IDispatch, IXMLDOMNodeList)
    QX_END_INTERFACES()

    xmlNodePtr parent_ = nullptr;

    // Attribute values and the declarations inside a document type are not nodes of the tree.
    bool HasChildren() const { return parent_->type != XML_ATTRIBUTE_NODE && parent_->type != XML_DTD_NODE; }

    std::vector<xmlNodePtr> Nodes() override {
        std::vector<xmlNodePtr> out;
        if (HasChildren())
            for (xmlNodePtr c = parent_->children; c; c = c->next)
                out.push_back(c);
        return out;
    }
    xmlNodePtr At(LONG index) override {
        if (index < 0 || !HasChildren())
            return nullptr;
        xmlNodePtr c = parent_->children;
        for (LONG i = 0; c && i < index; ++i)
            c = c->next;
        return c;
    }
};

class CStaticList : public ListBase<IXMLDOMNodeList> {
public:
    QX_BEGIN_INTERFACES(CStaticList)
    QX_INTERFACE_ENTRY(IXMLDOMNodeList)
    QX_INTERFACE_ENTRY2(IDispatch, IXMLDOMNodeList)
    QX_END_INTERFACES()

    std::vector<xmlNodePtr> nodes_;
    std::vector<xmlNodePtr> Nodes() override { return nodes_; }
};

class CAttributeMap : public ListBase<IXMLDOMNamedNodeMap> {
public:
    QX_BEGIN_INTERFACES(CAttributeMap)
    QX_INTERFACE_ENTRY(IXMLDOMNamedNodeMap)
    QX_INTERFACE_ENTRY2(IDispatch, IXMLDOMNamedNodeMap)
    QX_END_INTERFACES()

    xmlNodePtr element_ = nullptr;

    std::vector<xmlNodePtr> Nodes() override {
        std::vector<xmlNodePtr> out;
        for (xmlAttrPtr a = element_->properties; a; a = a->next)
            out.push_back(reinterpret_cast<xmlNodePtr>(a));
        return out;
    }
    STDMETHODIMP getNamedItem(BSTR name, IDispatch** namedItem) override {
        if (!namedItem)
            return E_POINTER;
        return WrapNode(owner_.Get(), tree_,
                        reinterpret_cast<xmlNodePtr>(FindAttribute(element_, ToUtf8(name))), namedItem);
    }
    STDMETHODIMP setNamedItem(IDispatch* newItem, IDispatch** nameItem) override {
        if (nameItem)
            *nameItem = nullptr;
        xmlNodePtr n = nullptr;
        TreePtr t;
        if (!UnwrapNode(newItem, &n, &t) || n->type != XML_ATTRIBUTE_NODE)
            return E_INVALIDARG;
        if (n->parent == element_)
            return nameItem ? WrapNode(owner_.Get(), tree_, n, nameItem) : S_OK;
        if (n->parent)
            return E_FAIL; // the attribute belongs to another element
        if (t.get() != tree_.get()) {
            n = CloneInto(*tree_, n, true);
            if (!n)
                return E_OUTOFMEMORY;
        }
        if (xmlAttrPtr old = FindAttribute(element_, QualifiedName(n)))
            tree_->Orphan(reinterpret_cast<xmlNodePtr>(old));
        tree_->Detach(n);
        LinkAttribute(element_, reinterpret_cast<xmlAttrPtr>(n));
        return nameItem ? WrapNode(owner_.Get(), tree_, n, nameItem) : S_OK;
    }
    STDMETHODIMP removeNamedItem(BSTR name, IDispatch** namedItem) override {
        if (namedItem)
            *namedItem = nullptr;
        xmlAttrPtr a = FindAttribute(element_, ToUtf8(name));
        if (!a)
            return S_FALSE;
        tree_->Orphan(reinterpret_cast<xmlNodePtr>(a));
        return namedItem ? WrapNode(owner_.Get(), tree_, reinterpret_cast<xmlNodePtr>(a), namedItem) : S_OK;
    }
};

} // namespace

HRESULT CreateChildList(IXMLDOMDocument* owner, const TreePtr& tree, xmlNodePtr parent, IDispatch** out) {
    com::ObjectPtr<CChildList> list;
    HRESULT hr = com::CreateObject<CChildList>(list);
    if (FAILED(hr))
        return hr;
    list->Bind(owner, tree);
    list->parent_ = parent;
    return list->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

HRESULT CreateStaticList(IXMLDOMDocument* owner, const TreePtr& tree, std::vector<xmlNodePtr> nodes,
                         IDispatch** out) {
    com::ObjectPtr<CStaticList> list;
    HRESULT hr = com::CreateObject<CStaticList>(list);
    if (FAILED(hr))
        return hr;
    list->Bind(owner, tree);
    list->nodes_ = std::move(nodes);
    return list->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

HRESULT CreateAttributeMap(IXMLDOMDocument* owner, const TreePtr& tree, xmlNodePtr element, IDispatch** out) {
    com::ObjectPtr<CAttributeMap> map;
    HRESULT hr = com::CreateObject<CAttributeMap>(map);
    if (FAILED(hr))
        return hr;
    map->Bind(owner, tree);
    map->element_ = element;
    return map->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

} // namespace qx::xml
