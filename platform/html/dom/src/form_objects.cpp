// Form fields (INPUT, SELECT and OPTION), images and DIVs. What the user changes (value, checked, the
// selection) is written into the field's attributes, as the old browser's saved documents carried it.
#include "element_object.h"
#include "tag_members.h"

namespace qx::html::dom {

namespace {

Node* SelectOf(Node* option) {
    Node* n = option->parent;
    if (n && n->Is(u"optgroup"))
        n = n->parent;
    return n && n->Is(u"select") ? n : nullptr;
}

std::vector<Node*> OptionsOf(Node* select) {
    std::vector<Node*> options;
    for (Node* n = select->firstChild; n; n = NextInTree(n, select))
        if (n->Is(u"option"))
            options.push_back(n);
    return options;
}

// The selected option's index: the first marked one; for a single-choice list showing one row,
// the first option when none is marked; otherwise -1.
long SelectedIndex(Node* select) {
    const std::vector<Node*> options = OptionsOf(select);
    for (std::size_t i = 0; i < options.size(); ++i)
        if (options[i]->FindAttribute(u"selected"))
            return static_cast<long>(i);
    const bool list = select->FindAttribute(u"multiple") || IntegerAttribute(select, u"size", 1) > 1;
    return options.empty() || list ? -1 : 0;
}

void SelectOption(NodeTree& tree, Node* select, Node* chosen) {
    const bool multiple = select->FindAttribute(u"multiple") != nullptr;
    for (Node* option : OptionsOf(select))
        if (option == chosen || !multiple)
            SetFlag(tree, option, u"selected", option == chosen);
}

std::u16string OptionValue(const Node* option) {
    if (const Attribute* value = option->FindAttribute(u"value"))
        return value->value;
    return TextContent(option);
}

class CInputElement : public ElementObject<IHTMLInputElement> {
public:
    QX_BEGIN_INTERFACES(CInputElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLInputElement)
    QX_END_INTERFACES()

    STDMETHODIMP put_type(BSTR v) override { return Set(u"type", ViewOf(v)); }
    STDMETHODIMP get_type(BSTR* p) override { return ReturnText(Type(), p); }
    STDMETHODIMP put_value(BSTR v) override { return Set(u"value", ViewOf(v)); }
    STDMETHODIMP get_value(BSTR* p) override {
        const bool choice = Type() == u"checkbox" || Type() == u"radio";
        return ReturnText(node_->AttributeValue(u"value", choice ? u"on" : u""), p);
    }
    STDMETHODIMP put_name(BSTR v) override { return Set(u"name", ViewOf(v)); }
    STDMETHODIMP get_name(BSTR* p) override { return ReturnText(node_->AttributeValue(u"name"), p); }
    STDMETHODIMP put_disabled(VARIANT_BOOL v) override { return Flag(u"disabled", v); }
    STDMETHODIMP get_disabled(VARIANT_BOOL* p) override {
        return ReturnBool(node_->FindAttribute(u"disabled"), p);
    }
    STDMETHODIMP get_form(IDispatch** p) override { return ReturnObject(dom_, FormOf(node_), p); }
    STDMETHODIMP put_size(LONG v) override { return Set(u"size", Decimal(v)); }
    STDMETHODIMP get_size(LONG* p) override { return ReturnLong(IntegerAttribute(node_, u"size", 20), p); }
    STDMETHODIMP put_maxLength(LONG v) override { return Set(u"maxLength", Decimal(v)); }
    STDMETHODIMP get_maxLength(LONG* p) override {
        return ReturnLong(IntegerAttribute(node_, u"maxLength", 2147483647), p);
    }
    STDMETHODIMP put_defaultValue(BSTR v) override { return put_value(v); }
    STDMETHODIMP get_defaultValue(BSTR* p) override { return ReturnText(node_->AttributeValue(u"value"), p); }
    STDMETHODIMP put_readOnly(VARIANT_BOOL v) override { return Flag(u"readOnly", v); }
    STDMETHODIMP get_readOnly(VARIANT_BOOL* p) override {
        return ReturnBool(node_->FindAttribute(u"readOnly"), p);
    }
    STDMETHODIMP put_defaultChecked(VARIANT_BOOL v) override { return put_checked(v); }
    STDMETHODIMP get_defaultChecked(VARIANT_BOOL* p) override { return get_checked(p); }
    // Checking a radio button clears the others of its name in its form.
    STDMETHODIMP put_checked(VARIANT_BOOL v) override {
        if (v != VARIANT_FALSE && Type() == u"radio") {
            const std::u16string name(node_->AttributeValue(u"name"));
            Node* scope = FormOf(node_);
            if (!scope)
                scope = dom_->tree.Document();
            for (Node* n = scope->firstChild; n && !name.empty(); n = NextInTree(n, scope))
                if (n != node_ && n->Is(u"input") && n->AttributeValue(u"name") == name &&
                    EqualsNoCase(n->AttributeValue(u"type"), u"radio"))
                    SetFlag(dom_->tree, n, u"checked", false);
        }
        return Flag(u"checked", v);
    }
    STDMETHODIMP get_checked(VARIANT_BOOL* p) override {
        return ReturnBool(node_->FindAttribute(u"checked"), p);
    }

private:
    std::u16string Type() const { return LowerAscii(node_->AttributeValue(u"type", u"text")); }
    HRESULT Set(std::u16string_view name, std::u16string_view value) {
        node_->SetAttribute(name, value);
        return S_OK;
    }
    HRESULT Flag(std::u16string_view name, VARIANT_BOOL on) {
        SetFlag(dom_->tree, node_, name, on != VARIANT_FALSE);
        return S_OK;
    }
};

class CSelectElement : public ElementObject<IHTMLSelectElement> {
public:
    QX_BEGIN_INTERFACES(CSelectElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLSelectElement)
    QX_END_INTERFACES()

    STDMETHODIMP put_size(LONG v) override {
        node_->SetAttribute(u"size", Decimal(v));
        return S_OK;
    }
    STDMETHODIMP get_size(LONG* p) override { return ReturnLong(IntegerAttribute(node_, u"size", 0), p); }
    STDMETHODIMP put_multiple(VARIANT_BOOL v) override {
        SetFlag(dom_->tree, node_, u"multiple", v != VARIANT_FALSE);
        return S_OK;
    }
    STDMETHODIMP get_multiple(VARIANT_BOOL* p) override {
        return ReturnBool(node_->FindAttribute(u"multiple"), p);
    }
    STDMETHODIMP put_name(BSTR v) override {
        node_->SetAttribute(u"name", ViewOf(v));
        return S_OK;
    }
    STDMETHODIMP get_name(BSTR* p) override { return ReturnText(node_->AttributeValue(u"name"), p); }
    STDMETHODIMP get_options(IDispatch** p) override {
        return MakeElementCollection(dom_, node_, {CollectionScope::Kind::Descendants, u"option", {}}, p);
    }
    // -1 clears the selection; past the options nothing changes.
    STDMETHODIMP put_selectedIndex(LONG v) override {
        const std::vector<Node*> options = OptionsOf(node_);
        if (v < 0) {
            for (Node* option : options)
                SetFlag(dom_->tree, option, u"selected", false);
        } else if (static_cast<std::size_t>(v) < options.size()) {
            SelectOption(dom_->tree, node_, options[v]);
        }
        return S_OK;
    }
    STDMETHODIMP get_selectedIndex(LONG* p) override { return ReturnLong(SelectedIndex(node_), p); }
    STDMETHODIMP get_type(BSTR* p) override {
        return ReturnText(node_->FindAttribute(u"multiple") ? u"select-multiple" : u"select-one", p);
    }
    STDMETHODIMP put_value(BSTR v) override {
        for (Node* option : OptionsOf(node_)) {
            if (OptionValue(option) == ViewOf(v)) {
                SelectOption(dom_->tree, node_, option);
                break;
            }
        }
        return S_OK;
    }
    STDMETHODIMP get_value(BSTR* p) override {
        const long index = SelectedIndex(node_);
        return ReturnText(index < 0 ? std::u16string() : OptionValue(OptionsOf(node_)[index]), p);
    }
    STDMETHODIMP put_disabled(VARIANT_BOOL v) override {
        SetFlag(dom_->tree, node_, u"disabled", v != VARIANT_FALSE);
        return S_OK;
    }
    STDMETHODIMP get_disabled(VARIANT_BOOL* p) override {
        return ReturnBool(node_->FindAttribute(u"disabled"), p);
    }
    STDMETHODIMP get_form(IDispatch** p) override { return ReturnObject(dom_, FormOf(node_), p); }
    // Adds an OPTION before the option at index `before` (or before the option given), else at the end.
    STDMETHODIMP add(IDispatch* element, VARIANT before) override {
        Node* option = NodeOfArgument(element, *dom_);
        if (!option || !option->Is(u"option") || IsInclusiveAncestor(option, node_))
            return E_INVALIDARG;
        const std::vector<Node*> options = OptionsOf(node_);
        Node* at = nullptr;
        const VARIANT& b = ValueOf(before);
        if (b.vt == VT_DISPATCH || b.vt == VT_UNKNOWN) {
            at = NodeOfArgument(b.punkVal, *dom_);
        } else if (b.vt != VT_EMPTY && b.vt != VT_ERROR && b.vt != VT_NULL) {
            com::Variant index;
            if (FAILED(VariantChangeType(&index, &b, 0, VT_I4)))
                return E_INVALIDARG;
            if (index.lVal >= 0 && static_cast<std::size_t>(index.lVal) < options.size())
                at = options[index.lVal];
        }
        if (at && (at == option || !at->Is(u"option") || !IsInclusiveAncestor(node_, at)))
            at = at == option ? option->next : nullptr;
        dom_->tree.Insert(at ? at->parent : node_, option, at);
        return S_OK;
    }
    STDMETHODIMP remove(LONG index) override {
        const std::vector<Node*> options = OptionsOf(node_);
        if (index >= 0 && static_cast<std::size_t>(index) < options.size())
            dom_->tree.Remove(options[index]);
        return S_OK;
    }
    // Shortening drops options from the end; lengthening adds empty ones.
    STDMETHODIMP put_length(LONG v) override {
        if (v < 0)
            return E_INVALIDARG;
        std::vector<Node*> options = OptionsOf(node_);
        for (auto n = static_cast<LONG>(options.size()); n > v; --n)
            dom_->tree.Remove(options[n - 1]);
        for (auto n = static_cast<LONG>(options.size()); n < v; ++n)
            dom_->tree.Insert(node_, dom_->tree.CreateElement(u"option"), nullptr);
        return S_OK;
    }
    STDMETHODIMP get_length(LONG* p) override {
        return ReturnLong(static_cast<long>(OptionsOf(node_).size()), p);
    }
};

class COptionElement : public ElementObject<IHTMLOptionElement> {
public:
    QX_BEGIN_INTERFACES(COptionElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLOptionElement)
    QX_END_INTERFACES()

    STDMETHODIMP put_selected(VARIANT_BOOL v) override {
        Node* select = SelectOf(node_);
        if (v != VARIANT_FALSE && select)
            SelectOption(dom_->tree, select, node_);
        else
            SetFlag(dom_->tree, node_, u"selected", v != VARIANT_FALSE);
        return S_OK;
    }
    STDMETHODIMP get_selected(VARIANT_BOOL* p) override {
        Node* select = SelectOf(node_);
        if (!select)
            return ReturnBool(node_->FindAttribute(u"selected"), p);
        const long index = SelectedIndex(select);
        return ReturnBool(
            node_->FindAttribute(u"selected") || (index >= 0 && OptionsOf(select)[index] == node_), p);
    }
    STDMETHODIMP put_value(BSTR v) override {
        node_->SetAttribute(u"value", ViewOf(v));
        return S_OK;
    }
    STDMETHODIMP get_value(BSTR* p) override { return ReturnText(OptionValue(node_), p); }
    STDMETHODIMP put_defaultSelected(VARIANT_BOOL v) override { return put_selected(v); }
    STDMETHODIMP get_defaultSelected(VARIANT_BOOL* p) override {
        return ReturnBool(node_->FindAttribute(u"selected"), p);
    }
    STDMETHODIMP put_index(LONG) override { return E_INVALIDARG; } // an option's place is its select's to say
    STDMETHODIMP get_index(LONG* p) override {
        Node* select = SelectOf(node_);
        long index = 0;
        if (select) {
            const std::vector<Node*> options = OptionsOf(select);
            index = static_cast<long>(std::find(options.begin(), options.end(), node_) - options.begin());
        }
        return ReturnLong(index, p);
    }
    STDMETHODIMP put_text(BSTR v) override {
        dom_->tree.RemoveChildren(node_);
        if (SysStringLen(v))
            dom_->tree.Insert(node_, dom_->tree.CreateText(ViewOf(v)), nullptr);
        return S_OK;
    }
    STDMETHODIMP get_text(BSTR* p) override { return ReturnText(TextContent(node_), p); }
    STDMETHODIMP get_form(IDispatch** p) override { return ReturnObject(dom_, FormOf(node_), p); }
};

class CImgElement : public ElementObject<IHTMLImgElement> {
public:
    QX_BEGIN_INTERFACES(CImgElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLImgElement)
    QX_END_INTERFACES()

    STDMETHODIMP put_border(VARIANT v) override {
        std::u16string text;
        const HRESULT hr = AttributeText(v, &text);
        return FAILED(hr) ? hr : Set(u"border", text);
    }
    STDMETHODIMP get_border(VARIANT* p) override {
        if (!p)
            return E_POINTER;
        VariantInit(p);
        p->vt = VT_BSTR;
        p->bstrVal = com::Bstr(node_->AttributeValue(u"border")).Detach();
        return S_OK;
    }
    STDMETHODIMP put_alt(BSTR v) override { return Set(u"alt", ViewOf(v)); }
    STDMETHODIMP get_alt(BSTR* p) override { return ReturnText(node_->AttributeValue(u"alt"), p); }
    STDMETHODIMP put_src(BSTR v) override { return Set(u"src", ViewOf(v)); }
    STDMETHODIMP get_src(BSTR* p) override { return ReturnText(node_->AttributeValue(u"src"), p); }
    STDMETHODIMP get_complete(VARIANT_BOOL* p) override { return ReturnBool(true, p); }
    STDMETHODIMP put_name(BSTR v) override { return Set(u"name", ViewOf(v)); }
    STDMETHODIMP get_name(BSTR* p) override { return ReturnText(node_->AttributeValue(u"name"), p); }
    STDMETHODIMP put_width(LONG v) override { return Set(u"width", Decimal(v)); }
    STDMETHODIMP get_width(LONG* p) override { return ReturnLong(IntegerAttribute(node_, u"width", 0), p); }
    STDMETHODIMP put_height(LONG v) override { return Set(u"height", Decimal(v)); }
    STDMETHODIMP get_height(LONG* p) override { return ReturnLong(IntegerAttribute(node_, u"height", 0), p); }

private:
    HRESULT Set(std::u16string_view name, std::u16string_view value) {
        node_->SetAttribute(name, value);
        return S_OK;
    }
};

class CDivElement : public ElementObject<IHTMLDivElement> {
public:
    QX_BEGIN_INTERFACES(CDivElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLDivElement)
    QX_END_INTERFACES()

    STDMETHODIMP put_align(BSTR v) override {
        node_->SetAttribute(u"align", ViewOf(v));
        return S_OK;
    }
    STDMETHODIMP get_align(BSTR* p) override { return ReturnText(node_->AttributeValue(u"align"), p); }
    STDMETHODIMP put_noWrap(VARIANT_BOOL v) override {
        SetFlag(dom_->tree, node_, u"noWrap", v != VARIANT_FALSE);
        return S_OK;
    }
    STDMETHODIMP get_noWrap(VARIANT_BOOL* p) override {
        return ReturnBool(node_->FindAttribute(u"noWrap"), p);
    }
};

} // namespace

HRESULT CreateFormFieldObject(const DomPtr& dom, Node* node, IDispatch** out) {
    if (node->Is(u"input"))
        return MakeNodeObject<CInputElement>(dom, node, out);
    if (node->Is(u"select"))
        return MakeNodeObject<CSelectElement>(dom, node, out);
    if (node->Is(u"option"))
        return MakeNodeObject<COptionElement>(dom, node, out);
    if (node->Is(u"img"))
        return MakeNodeObject<CImgElement>(dom, node, out);
    if (node->Is(u"div"))
        return MakeNodeObject<CDivElement>(dom, node, out);
    return S_FALSE;
}

} // namespace qx::html::dom
