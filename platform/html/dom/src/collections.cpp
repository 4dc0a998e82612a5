// Live collections: what they hold is worked out again whenever the tree has changed since the
// last look, so iterating while the tree changes sees the tree as it is and never a freed node.
// Names and indexes also read as members (`document.all.field1`, `rows[0]`).
#include "dom_objects.h"
#include "table_structure.h"

#include "oleauto.h"
#include "qx/com/enumerators.h"
#include "qx/html/item_names.h"

#include <charconv>
#include <unordered_map>

namespace qx::html::dom {

namespace {

// A VARIANT argument as an index when it is a number (strings are names).
bool IndexOfVariant(const VARIANT& v, LONG* index) {
    const VARIANT* value = &ValueOf(v);
    switch (value->vt) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8: {
        com::Variant n;
        if (FAILED(VariantChangeType(&n, value, 0, VT_I4)))
            return false;
        *index = n.lVal;
        return true;
    }
    default:
        return false;
    }
}

bool IsMissing(const VARIANT& v) {
    return v.vt == VT_EMPTY || v.vt == VT_ERROR || v.vt == VT_NULL;
}

// Holds its root node for its life.
class CollectionBase {
protected:
    void Hold(DomPtr dom, Node* root) {
        dom_ = std::move(dom);
        root_ = root;
        dom_->tree.Hold(root_);
    }
    void Unhold() {
        if (root_)
            dom_->tree.Release(root_);
    }
    HRESULT Enumerate(const std::vector<Node*>& nodes, IUnknown** out) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        std::vector<com::Variant> items;
        items.reserve(nodes.size());
        for (Node* n : nodes) {
            com::ComPtr<IDispatch> object;
            const HRESULT hr = NodeObjectOf(dom_, n, &object);
            if (FAILED(hr))
                return hr;
            items.emplace_back(object.Get());
        }
        com::ComPtr<IEnumVARIANT> e;
        const HRESULT hr = com::CreateEnumVariant(std::move(items), &e);
        *out = e.Detach();
        return hr;
    }

    DomPtr dom_;
    Node* root_ = nullptr;
};

class CElementCollection : public com::ObjectRoot,
                           public com::UnionDispatchImpl<IHTMLElementCollection>,
                           CollectionBase {
public:
    QX_BEGIN_INTERFACES(CElementCollection)
    QX_INTERFACE_ENTRY(IHTMLElementCollection)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    void Init(DomPtr dom, Node* root, CollectionScope scope) {
        Hold(std::move(dom), root);
        scope_ = std::move(scope);
    }
    void FinalRelease() { Unhold(); }

    STDMETHODIMP toString(BSTR* p) override { return ReturnText(u"[object]", p); }
    // Only a SELECT's options can be cut by length; these collections cannot.
    STDMETHODIMP put_length(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_length(LONG* p) override {
        if (!p)
            return E_POINTER;
        *p = static_cast<LONG>(Items().size());
        return S_OK;
    }
    STDMETHODIMP get__newEnum(IUnknown** p) override { return Enumerate(Items(), p); }
    STDMETHODIMP item(VARIANT name, VARIANT index, IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        LONG at = 0;
        if (IsMissing(name))
            return S_OK;
        if (IndexOfVariant(name, &at)) {
            const std::vector<Node*>& items = Items();
            return (at >= 0 && static_cast<std::size_t>(at) < items.size()) ? ReturnObject(dom_, items[at], p)
                                                                            : S_OK;
        }
        com::Variant text;
        if (FAILED(VariantChangeType(&text, &name, 0, VT_BSTR)))
            return E_INVALIDARG;
        const std::u16string key(ViewOf(text.bstrVal));
        const std::vector<Node*>* matches = Named(key);
        if (!matches)
            return S_OK;
        if (!IsMissing(index)) {
            if (!IndexOfVariant(index, &at))
                return E_INVALIDARG;
            return (at >= 0 && static_cast<std::size_t>(at) < matches->size())
                       ? ReturnObject(dom_, (*matches)[at], p)
                       : S_OK;
        }
        if (matches->size() == 1)
            return ReturnObject(dom_, matches->front(), p);
        CollectionScope named = scope_;
        named.kind = CollectionScope::Kind::Named;
        named.name = key;
        named.tag = scope_.tag;
        named.parentKind = scope_.kind;
        return MakeElementCollection(dom_, root_, std::move(named), p);
    }
    STDMETHODIMP tags(VARIANT tagName, IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        com::Variant text;
        if (FAILED(VariantChangeType(&text, &tagName, 0, VT_BSTR)))
            return E_INVALIDARG;
        CollectionScope scope = scope_;
        scope.tag = LowerAscii(ViewOf(text.bstrVal));
        return MakeElementCollection(dom_, root_, std::move(scope), p);
    }

    bool HasName(std::u16string_view name) {
        LONG at = 0;
        if (IndexOfName(name, &at))
            return static_cast<std::size_t>(at) < Items().size();
        return Named(std::u16string(name)) != nullptr;
    }
    HRESULT ItemByName(std::u16string_view name, IDispatch** out) {
        LONG at = 0;
        com::Variant key = IndexOfName(name, &at) ? com::Variant(at) : com::Variant(name);
        return item(key, com::Variant::Missing(), out);
    }

protected:
    com::DynamicNames* FallbackNames() override { return &names_; }

private:
    bool Matches(const Node* n, bool byParentKind) const {
        if (!n->IsElement() || (!scope_.tag.empty() && n->name != scope_.tag))
            return false;
        if (scope_.kind == CollectionScope::Kind::Named && !byParentKind)
            return n->AttributeValue(u"id") == scope_.name || n->AttributeValue(u"name") == scope_.name;
        return true;
    }
    const std::vector<Node*>& Items() {
        if (version_ == dom_->tree.Version() && valid_)
            return items_;
        items_.clear();
        named_.clear();
        const bool childrenOnly = scope_.kind == CollectionScope::Kind::Children ||
                                  (scope_.kind == CollectionScope::Kind::Named &&
                                   scope_.parentKind == CollectionScope::Kind::Children);
        if (scope_.kind == CollectionScope::Kind::TableRows) {
            items_ = TableRows(root_);
        } else if (scope_.kind == CollectionScope::Kind::RowCells) {
            items_ = RowCells(root_);
        } else if (scope_.kind == CollectionScope::Kind::TableCells) {
            for (Node* row : TableRows(root_))
                for (Node* cell : RowCells(row))
                    items_.push_back(cell);
        } else if (scope_.kind == CollectionScope::Kind::FormFields ||
                   scope_.parentKind == CollectionScope::Kind::FormFields) {
            for (Node* n = root_->firstChild; n; n = NextInTree(n, root_))
                if (IsFormField(n) && Matches(n, false))
                    items_.push_back(n);
        } else if (childrenOnly) {
            for (Node* n = root_->firstChild; n; n = n->next)
                if (Matches(n, false))
                    items_.push_back(n);
        } else {
            for (Node* n = root_->firstChild; n; n = NextInTree(n, root_))
                if (Matches(n, false))
                    items_.push_back(n);
        }
        version_ = dom_->tree.Version();
        valid_ = true;
        namedValid_ = false;
        return items_;
    }
    // The elements whose id or name is the key; built once per change of the tree.
    const std::vector<Node*>* Named(const std::u16string& key) {
        const std::vector<Node*>& items = Items();
        if (!namedValid_) {
            for (Node* n : items) {
                const Attribute* id = n->FindAttribute(u"id");
                const Attribute* name = n->FindAttribute(u"name");
                if (id)
                    named_[id->value].push_back(n);
                if (name && (!id || name->value != id->value))
                    named_[name->value].push_back(n);
            }
            namedValid_ = true;
        }
        const auto found = named_.find(key);
        return found == named_.end() ? nullptr : &found->second;
    }

    CollectionScope scope_;
    std::vector<Node*> items_;
    std::unordered_map<std::u16string, std::vector<Node*>> named_;
    std::uint64_t version_ = 0;
    bool valid_ = false;
    bool namedValid_ = false;
    ItemNames<CElementCollection> names_{this};
};

class CChildNodes : public com::ObjectRoot,
                    public com::UnionDispatchImpl<IHTMLDOMChildrenCollection>,
                    CollectionBase {
public:
    QX_BEGIN_INTERFACES(CChildNodes)
    QX_INTERFACE_ENTRY(IHTMLDOMChildrenCollection)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    void Init(DomPtr dom, Node* parent) { Hold(std::move(dom), parent); }
    void FinalRelease() { Unhold(); }

    STDMETHODIMP get_length(LONG* p) override {
        if (!p)
            return E_POINTER;
        *p = static_cast<LONG>(root_->ChildCount());
        return S_OK;
    }
    STDMETHODIMP get__newEnum(IUnknown** p) override {
        std::vector<Node*> nodes;
        for (Node* n = root_->firstChild; n; n = n->next)
            nodes.push_back(n);
        return Enumerate(nodes, p);
    }
    // An index past the end fails, as the old browser's did.
    STDMETHODIMP item(LONG index, IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        Node* n = index >= 0 ? root_->firstChild : nullptr;
        for (LONG i = 0; n && i < index; ++i)
            n = n->next;
        return n ? ReturnObject(dom_, n, p) : E_INVALIDARG;
    }

    bool HasName(std::u16string_view name) {
        LONG at = 0;
        return IndexOfName(name, &at) && static_cast<std::size_t>(at) < root_->ChildCount();
    }
    HRESULT ItemByName(std::u16string_view name, IDispatch** out) {
        LONG at = 0;
        return IndexOfName(name, &at) ? item(at, out) : DISP_E_MEMBERNOTFOUND;
    }

protected:
    com::DynamicNames* FallbackNames() override { return &names_; }

private:
    ItemNames<CChildNodes> names_{this};
};

} // namespace

bool IsFormField(const Node* n) {
    return n->Is(u"input") || n->Is(u"select") || n->Is(u"textarea") || n->Is(u"button") ||
           n->Is(u"object") || n->Is(u"fieldset");
}

HRESULT MakeElementCollection(const DomPtr& dom, Node* root, CollectionScope scope, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    com::ObjectPtr<CElementCollection> collection;
    const HRESULT hr = com::CreateObject<CElementCollection>(collection);
    if (FAILED(hr))
        return hr;
    collection->Init(dom, root, std::move(scope));
    return collection->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

HRESULT MakeChildNodes(const DomPtr& dom, Node* parent, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    com::ObjectPtr<CChildNodes> children;
    const HRESULT hr = com::CreateObject<CChildNodes>(children);
    if (FAILED(hr))
        return hr;
    children->Init(dom, parent);
    return children->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

} // namespace qx::html::dom
