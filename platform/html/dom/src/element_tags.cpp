// The other tags with interfaces of their own: links, forms, text areas, spans, scripts, OBJECT's
// own members, table columns and captions.
#include "form_multipart.h"
#include "qx/win32/codepage.h"
#include "tag_members.h"
#include "url_parts.h"

#include <cctype>

namespace qx::html::dom {

namespace {

// A link resolves its address against the document's; its parts read from the resolved address.
class CAnchorElement : public ElementObject<IHTMLAnchorElement> {
public:
    QX_BEGIN_INTERFACES(CAnchorElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLAnchorElement)
    QX_END_INTERFACES()

    STDMETHODIMP put_href(BSTR v) override { return PutTextAttribute(node_, u"href", v); }
    STDMETHODIMP get_href(BSTR* p) override { return ReturnText(Href(), p); }
    QX_TEXT_ATTRIBUTE(target, u"target")
    QX_TEXT_ATTRIBUTE(rel, u"rel")
    QX_TEXT_ATTRIBUTE(rev, u"rev")
    QX_TEXT_ATTRIBUTE(name, u"name")
    STDMETHODIMP put_host(BSTR v) override { return PutPart(UrlPart::Host, v); }
    STDMETHODIMP get_host(BSTR* p) override { return GetPart(UrlPart::Host, p); }
    STDMETHODIMP put_hostname(BSTR v) override { return PutPart(UrlPart::Hostname, v); }
    STDMETHODIMP get_hostname(BSTR* p) override { return GetPart(UrlPart::Hostname, p); }
    STDMETHODIMP put_port(BSTR v) override { return PutPart(UrlPart::Port, v); }
    STDMETHODIMP get_port(BSTR* p) override { return GetPart(UrlPart::Port, p); }
    STDMETHODIMP put_pathname(BSTR v) override { return PutPart(UrlPart::Pathname, v); }
    STDMETHODIMP get_pathname(BSTR* p) override { return GetPart(UrlPart::Pathname, p); }
    STDMETHODIMP put_protocol(BSTR v) override { return PutPart(UrlPart::Protocol, v); }
    STDMETHODIMP get_protocol(BSTR* p) override { return GetPart(UrlPart::Protocol, p); }
    STDMETHODIMP put_search(BSTR v) override { return PutPart(UrlPart::Search, v); }
    STDMETHODIMP get_search(BSTR* p) override { return GetPart(UrlPart::Search, p); }
    STDMETHODIMP put_hash(BSTR v) override { return PutPart(UrlPart::Hash, v); }
    STDMETHODIMP get_hash(BSTR* p) override { return GetPart(UrlPart::Hash, p); }
    STDMETHODIMP toString(BSTR* p) override { return get_href(p); }

private:
    std::u16string Href() const {
        const Attribute* href = node_->FindAttribute(u"href");
        return href ? ResolveUrl(dom_->tree.url, href->value) : std::u16string();
    }
    HRESULT GetPart(UrlPart part, BSTR* p) { return ReturnText(ReadUrlPart(Href(), part), p); }
    HRESULT PutPart(UrlPart part, BSTR v) {
        node_->SetAttribute(u"href", WithUrlPart(Href(), part, ViewOf(v)));
        return S_OK;
    }
};

// Form data as a query: name=value pairs of the fields that count, "+" for blanks, %XX for the
// UTF-8 bytes of anything else but letters, digits and "-_.*".
std::string EncodeFormValue(std::u16string_view text) {
    std::string out;
    for (unsigned char c : win32::WideToUtf8(text)) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '*') {
            out.push_back(static_cast<char>(c));
        } else if (c == ' ') {
            out.push_back('+');
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += {'%', kHex[c >> 4], kHex[c & 15]};
        }
    }
    return out;
}

// The fields a submission carries: named, not disabled, checked when they are check boxes or radio
// buttons, the selected options of a list; buttons, files and images send nothing.
std::vector<FormField> FormFields(Node* form) {
    std::vector<FormField> fields;
    auto add = [&fields](std::u16string_view name, std::u16string_view value) {
        fields.emplace_back(name, value);
    };
    for (Node* n = form->firstChild; n; n = NextInTree(n, form)) {
        const std::u16string_view name = n->AttributeValue(u"name");
        if (!n->IsElement() || name.empty() || n->FindAttribute(u"disabled"))
            continue;
        if (n->Is(u"input")) {
            const std::u16string type = LowerAscii(n->AttributeValue(u"type", u"text"));
            if (type == u"submit" || type == u"reset" || type == u"button" || type == u"file" ||
                type == u"image")
                continue;
            const bool choice = type == u"checkbox" || type == u"radio";
            if (choice && !n->FindAttribute(u"checked"))
                continue;
            add(name, n->AttributeValue(u"value", choice ? u"on" : u""));
        } else if (n->Is(u"textarea")) {
            add(name, TextContent(n));
        } else if (n->Is(u"select")) {
            for (Node* o = n->firstChild; o; o = NextInTree(o, n))
                if (o->Is(u"option") && o->FindAttribute(u"selected")) {
                    const Attribute* value = o->FindAttribute(u"value");
                    add(name, value ? std::u16string(value->value) : TextContent(o));
                }
        }
    }
    return fields;
}

// name=value&... as a query or an application/x-www-form-urlencoded body.
std::string FormData(Node* form) {
    std::string data;
    for (const auto& [name, value] : FormFields(form))
        data += (data.empty() ? "" : "&") + EncodeFormValue(name) + "=" + EncodeFormValue(value);
    return data;
}

// A form's fields are names of the form (`form.field1`) before its attributes.
template <typename Form>
class FormFieldNames final : public com::DynamicNames {
public:
    FormFieldNames(Form* form, com::DynamicNames* attributes) : form_(form), attributes_(attributes) {}

    bool FindName(std::u16string_view name, bool caseSensitive, std::u16string* spelled) override {
        if (HasField(name)) {
            *spelled = name;
            return true;
        }
        return attributes_->FindName(name, caseSensitive, spelled);
    }
    HRESULT EnsureName(std::u16string_view name) override { return attributes_->EnsureName(name); }
    HRESULT InvokeName(std::u16string_view name, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* excepInfo, IServiceProvider* caller) override {
        if (!HasField(name))
            return attributes_->InvokeName(name, lcid, flags, params, result, excepInfo, caller);
        if (!(flags & DISPATCH_PROPERTYGET))
            return DISP_E_MEMBERNOTFOUND;
        com::ComPtr<IDispatch> field;
        const HRESULT hr = form_->item(com::Variant(name), com::Variant::Missing(), &field);
        if (FAILED(hr))
            return hr;
        if (result) {
            VariantInit(result);
            result->vt = VT_DISPATCH;
            result->pdispVal = field.Detach();
        }
        return S_OK;
    }
    HRESULT DeleteName(std::u16string_view name) override { return attributes_->DeleteName(name); }
    DWORD NameProperties(std::u16string_view name) override { return attributes_->NameProperties(name); }
    void ListNames(std::vector<std::u16string>& names) override { attributes_->ListNames(names); }

private:
    bool HasField(std::u16string_view name) const {
        Node* form = form_->AccessNode();
        for (Node* n = form->firstChild; n && !name.empty(); n = NextInTree(n, form))
            if (IsFormField(n) && (n->AttributeValue(u"name") == name || n->AttributeValue(u"id") == name))
                return true;
        return false;
    }

    Form* form_;
    com::DynamicNames* attributes_;
};

class CFormElement : public ElementObject<IHTMLFormElement> {
public:
    QX_BEGIN_INTERFACES(CFormElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLFormElement)
    QX_END_INTERFACES()

    QX_TEXT_ATTRIBUTE(action, u"action")
    STDMETHODIMP put_encoding(BSTR v) override { return PutTextAttribute(node_, u"enctype", v); }
    STDMETHODIMP get_encoding(BSTR* p) override {
        return ReturnText(node_->AttributeValue(u"enctype", u"application/x-www-form-urlencoded"), p);
    }
    STDMETHODIMP put_method(BSTR v) override { return PutTextAttribute(node_, u"method", v); }
    STDMETHODIMP get_method(BSTR* p) override {
        return ReturnText(LowerAscii(node_->AttributeValue(u"method", u"get")), p);
    }
    STDMETHODIMP get_elements(IDispatch** p) override {
        return MakeElementCollection(dom_, node_, {CollectionScope::Kind::FormFields, {}, {}}, p);
    }
    QX_TEXT_ATTRIBUTE(target, u"target")
    QX_TEXT_ATTRIBUTE(name, u"name")
    STDMETHODIMP put_onsubmit(VARIANT v) override { return PutHandler(u"onsubmit", v); }
    STDMETHODIMP get_onsubmit(VARIANT* p) override { return GetHandler(u"onsubmit", p); }
    STDMETHODIMP put_onreset(VARIANT v) override { return PutHandler(u"onreset", v); }
    STDMETHODIMP get_onreset(VARIANT* p) override { return GetHandler(u"onreset", p); }
    // The fields' collection answers for the form.
    STDMETHODIMP put_length(LONG v) override {
        com::ComPtr<IHTMLElementCollection> fields;
        const HRESULT hr = Fields(fields);
        return FAILED(hr) ? hr : fields->put_length(v);
    }
    STDMETHODIMP get_length(LONG* p) override {
        com::ComPtr<IHTMLElementCollection> fields;
        const HRESULT hr = Fields(fields);
        return FAILED(hr) ? hr : fields->get_length(p);
    }
    STDMETHODIMP get__newEnum(IUnknown** p) override {
        com::ComPtr<IHTMLElementCollection> fields;
        const HRESULT hr = Fields(fields);
        return FAILED(hr) ? hr : fields->get__newEnum(p);
    }
    STDMETHODIMP item(VARIANT name, VARIANT index, IDispatch** p) override {
        com::ComPtr<IHTMLElementCollection> fields;
        const HRESULT hr = Fields(fields);
        return FAILED(hr) ? hr : fields->item(name, index, p);
    }
    STDMETHODIMP tags(VARIANT tag, IDispatch** p) override {
        com::ComPtr<IHTMLElementCollection> fields;
        const HRESULT hr = Fields(fields);
        return FAILED(hr) ? hr : fields->tags(tag, p);
    }
    // Sends the fields to the action's address (the document's own without one): appended as the
    // query for GET, as the body for POST. onsubmit is not fired, as the old browser did not.
    STDMETHODIMP submit() override {
        if (!dom_->navigation)
            return E_NOTIMPL;
        std::u16string url = ResolveUrl(dom_->tree.url, node_->AttributeValue(u"action"));
        if (EqualsNoCase(node_->AttributeValue(u"method"), u"post")) {
            if (EqualsNoCase(node_->AttributeValue(u"enctype"), u"multipart/form-data")) {
                const MultipartBody body = EncodeMultipart(FormFields(node_));
                return dom_->navigation->Post(url, body.bytes,
                                              "multipart/form-data; boundary=" + body.boundary);
            }
            return dom_->navigation->Post(url, FormData(node_), "application/x-www-form-urlencoded");
        }
        const std::string data = FormData(node_);
        return dom_->navigation->Navigate(WithUrlPart(url, UrlPart::Search, win32::Utf8ToWide(data)), {},
                                          false);
    }
    // The fields keep what was entered in their attributes, which are what they started with as
    // well: a reset has nothing to put back. It is announced (onreset) all the same.
    STDMETHODIMP reset() override {
        VARIANT none;
        VariantInit(&none);
        return dom_->events ? dom_->events->Fire(node_, u"onreset", none, nullptr) : S_OK;
    }

protected:
    com::DynamicNames* FallbackNames() override {
        if (!fieldNames_)
            fieldNames_ =
                std::make_unique<FormFieldNames<CFormElement>>(this, ElementObject::FallbackNames());
        return fieldNames_.get();
    }

private:
    std::unique_ptr<FormFieldNames<CFormElement>> fieldNames_;
    HRESULT Fields(com::ComPtr<IHTMLElementCollection>& fields) {
        com::ComPtr<IDispatch> collection;
        const HRESULT hr = get_elements(&collection);
        if (FAILED(hr))
            return hr;
        fields = collection.As<IHTMLElementCollection>();
        return fields ? S_OK : E_NOINTERFACE;
    }
};

// A text area's value is its content.
class CTextAreaElement : public ElementObject<IHTMLTextAreaElement> {
public:
    QX_BEGIN_INTERFACES(CTextAreaElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLTextAreaElement)
    QX_END_INTERFACES()

    STDMETHODIMP get_type(BSTR* p) override { return ReturnText(u"textarea", p); }
    STDMETHODIMP put_value(BSTR v) override { return ReplaceText(dom_->tree, node_, ViewOf(v)); }
    STDMETHODIMP get_value(BSTR* p) override { return ReturnText(TextContent(node_), p); }
    QX_TEXT_ATTRIBUTE(name, u"name")
    QX_FLAG_ATTRIBUTE(disabled, u"disabled")
    STDMETHODIMP get_form(IDispatch** p) override { return ReturnObject(dom_, FormOf(node_), p); }
    STDMETHODIMP put_defaultValue(BSTR v) override { return put_value(v); }
    STDMETHODIMP get_defaultValue(BSTR* p) override { return get_value(p); }
    QX_FLAG_ATTRIBUTE(readOnly, u"readOnly")
    QX_LONG_ATTRIBUTE(rows, u"rows", 2)
    QX_LONG_ATTRIBUTE(cols, u"cols", 20)
    QX_TEXT_ATTRIBUTE(wrap, u"wrap")
};

class CSpanElement : public ElementObject<> {
public:
    QX_BEGIN_INTERFACES(CSpanElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY_IID(IID_IHTMLSpanElement, IHTMLElement)
    QX_END_INTERFACES()
};

class CScriptElement : public ElementObject<IHTMLScriptElement> {
public:
    QX_BEGIN_INTERFACES(CScriptElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLScriptElement)
    QX_END_INTERFACES()

    QX_TEXT_ATTRIBUTE(src, u"src")
    QX_TEXT_ATTRIBUTE(htmlFor, u"for")
    QX_TEXT_ATTRIBUTE(event, u"event")
    // The text of the block; a put replaces it (a block already run does not run again).
    STDMETHODIMP put_text(BSTR v) override { return ReplaceText(dom_->tree, node_, ViewOf(v)); }
    STDMETHODIMP get_text(BSTR* p) override { return ReturnText(TextContent(node_), p); }
    QX_FLAG_ATTRIBUTE(defer, u"defer")
    QX_TEXT_ATTRIBUTE(type, u"type")
};

class CTableCol : public ElementObject<IHTMLTableCol> {
public:
    QX_BEGIN_INTERFACES(CTableCol)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLTableCol)
    QX_END_INTERFACES()

    // A span below 1 is refused, as colSpan's is.
    STDMETHODIMP put_span(LONG v) override {
        if (v < 1)
            return com::ReportError(IID_IHTMLTableCol, u"htmlfile", u"Invalid argument.", E_INVALIDARG);
        node_->SetAttribute(u"span", Decimal(v));
        return S_OK;
    }
    STDMETHODIMP get_span(LONG* p) override {
        return ReturnLong(std::max(1L, IntegerAttribute(node_, u"span", 1)), p);
    }
    QX_LENGTH_ATTRIBUTE(width, u"width")
    QX_TEXT_ATTRIBUTE(align, u"align")
    QX_TEXT_ATTRIBUTE(vAlign, u"vAlign")
};

class CTableCaption : public ElementObject<IHTMLTableCaption> {
public:
    QX_BEGIN_INTERFACES(CTableCaption)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLTableCaption)
    QX_END_INTERFACES()

    QX_TEXT_ATTRIBUTE(align, u"align")
    QX_TEXT_ATTRIBUTE(vAlign, u"vAlign")
};

} // namespace

HRESULT CreateTagElementObject(const DomPtr& dom, Node* node, IDispatch** out) {
    if (node->Is(u"a"))
        return MakeNodeObject<CAnchorElement>(dom, node, out);
    if (node->Is(u"form"))
        return MakeNodeObject<CFormElement>(dom, node, out);
    if (node->Is(u"textarea"))
        return MakeNodeObject<CTextAreaElement>(dom, node, out);
    if (node->Is(u"span"))
        return MakeNodeObject<CSpanElement>(dom, node, out);
    if (node->Is(u"script"))
        return MakeNodeObject<CScriptElement>(dom, node, out);
    if (node->Is(u"col") || node->Is(u"colgroup"))
        return MakeNodeObject<CTableCol>(dom, node, out);
    if (node->Is(u"caption"))
        return MakeNodeObject<CTableCaption>(dom, node, out);
    return S_FALSE;
}

} // namespace qx::html::dom
