// The OBJECT element: IHTMLObjectElement over its attributes and the control the page hosts in
// it; names the element does not declare go to the control's IDispatch first, then to the
// attributes, so `obj.DocumentHTML` reaches the control and `obj.free` an attribute.
#include "attribute_names.h"
#include "dom_objects.h"
#include "element_object.h"

#include <memory>

namespace qx::html::dom {
namespace {

// The control's members (while the page hosts a scriptable one), then the attributes.
class ControlNames final : public com::DynamicNames {
public:
    ControlNames(DomDocument& dom, Node* element) : dom_(dom), element_(element), attributes_(element) {}

    bool FindName(std::u16string_view name, bool caseSensitive, std::u16string* spelled) override {
        DISPID id = 0;
        if (ControlId(name, &id)) {
            *spelled = name;
            return true;
        }
        return attributes_.FindName(name, caseSensitive, spelled);
    }
    HRESULT EnsureName(std::u16string_view name) override { return attributes_.EnsureName(name); }
    HRESULT InvokeName(std::u16string_view name, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* excepInfo, IServiceProvider* caller) override {
        com::ComPtr<IDispatch> control;
        DISPID id = 0;
        if (ControlId(name, &id, std::addressof(control))) {
            UINT argError = 0;
            return control->Invoke(id, IID_NULL, lcid, flags, params, result, excepInfo, &argError);
        }
        return attributes_.InvokeName(name, lcid, flags, params, result, excepInfo, caller);
    }
    HRESULT DeleteName(std::u16string_view name) override {
        DISPID id = 0;
        return ControlId(name, &id) ? S_FALSE : attributes_.DeleteName(name);
    }
    DWORD NameProperties(std::u16string_view name) override {
        DISPID id = 0;
        if (ControlId(name, &id))
            return fdexPropCanGet | fdexPropCanPut | fdexPropCanCall;
        return attributes_.NameProperties(name);
    }
    void ListNames(std::vector<std::u16string>& names) override { attributes_.ListNames(names); }

private:
    bool ControlId(std::u16string_view name, DISPID* id, com::ComPtr<IDispatch>* out = nullptr) {
        com::ComPtr<IDispatch> control;
        if (!dom_.objects || dom_.objects->ScriptableControl(element_, &control) != S_OK || !control)
            return false;
        std::u16string text(name);
        LPOLESTR names[] = {text.data()};
        if (FAILED(control->GetIDsOfNames(IID_NULL, names, 1, 0, id)))
            return false;
        if (out)
            *out = control;
        return true;
    }

    DomDocument& dom_;
    Node* element_;
    AttributeNames attributes_;
};

class CObjectElement : public ElementObject<IHTMLObjectElement> {
public:
    QX_BEGIN_INTERFACES(CObjectElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLObjectElement)
    QX_END_INTERFACES()

    STDMETHODIMP get_object(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (!dom_->objects)
            return S_OK;
        const HRESULT hr = dom_->objects->ScriptableControl(node_, p);
        return FAILED(hr) ? hr : S_OK;
    }
    STDMETHODIMP get_classid(BSTR* p) override { return Text(u"classid", p); }
    STDMETHODIMP put_data(BSTR v) override { return Put(u"data", v); }
    STDMETHODIMP get_data(BSTR* p) override { return Text(u"data", p); }
    // No data binding: no record set.
    STDMETHODIMP putref_recordset(IDispatch*) override { return S_OK; }
    STDMETHODIMP get_recordset(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        return S_OK;
    }
    STDMETHODIMP put_align(BSTR v) override { return Put(u"align", v); }
    STDMETHODIMP get_align(BSTR* p) override { return Text(u"align", p); }
    STDMETHODIMP put_name(BSTR v) override { return Put(u"name", v); }
    STDMETHODIMP get_name(BSTR* p) override { return Text(u"name", p); }
    STDMETHODIMP put_codeBase(BSTR v) override { return Put(u"codeBase", v); }
    STDMETHODIMP get_codeBase(BSTR* p) override { return Text(u"codeBase", p); }
    STDMETHODIMP put_codeType(BSTR v) override { return Put(u"codeType", v); }
    STDMETHODIMP get_codeType(BSTR* p) override { return Text(u"codeType", p); }
    STDMETHODIMP put_code(BSTR v) override { return Put(u"code", v); }
    STDMETHODIMP get_code(BSTR* p) override { return Text(u"code", p); }
    STDMETHODIMP get_BaseHref(BSTR* p) override { return ReturnText(dom_->tree.url, p); }
    STDMETHODIMP put_type(BSTR v) override { return Put(u"type", v); }
    STDMETHODIMP get_type(BSTR* p) override { return Text(u"type", p); }
    STDMETHODIMP get_form(IDispatch** p) override {
        Node* n = node_->parent;
        while (n && !n->Is(u"form"))
            n = n->parent;
        return ReturnObject(dom_, n, p);
    }
    STDMETHODIMP put_width(VARIANT v) override { return PutValue(u"width", v); }
    STDMETHODIMP get_width(VARIANT* p) override { return TextValue(u"width", p); }
    STDMETHODIMP put_height(VARIANT v) override { return PutValue(u"height", v); }
    STDMETHODIMP get_height(VARIANT* p) override { return TextValue(u"height", p); }
    // A control the page hosts is ready (READYSTATE_COMPLETE); an OBJECT without one never loads.
    STDMETHODIMP get_objectReadyState(LONG* p) override {
        if (!p)
            return E_POINTER;
        com::ComPtr<IDispatch> control;
        *p = dom_->objects && dom_->objects->ScriptableControl(node_, &control) == S_OK ? 4 : 0;
        return S_OK;
    }
    STDMETHODIMP put_onreadystatechange(VARIANT v) override { return Handler(u"onreadystatechange", v); }
    STDMETHODIMP get_onreadystatechange(VARIANT* p) override {
        return GetHandlerOf(u"onreadystatechange", p);
    }
    STDMETHODIMP put_onerror(VARIANT v) override { return Handler(u"onerror", v); }
    STDMETHODIMP get_onerror(VARIANT* p) override { return GetHandlerOf(u"onerror", p); }
    STDMETHODIMP put_altHtml(BSTR v) override { return Put(u"altHtml", v); }
    STDMETHODIMP get_altHtml(BSTR* p) override { return Text(u"altHtml", p); }
    STDMETHODIMP put_vspace(LONG v) override { return Put(u"vspace", com::Bstr(Decimal(v)).Get()); }
    STDMETHODIMP get_vspace(LONG* p) override { return ReturnLong(IntegerAttribute(node_, u"vspace", 0), p); }
    STDMETHODIMP put_hspace(LONG v) override { return Put(u"hspace", com::Bstr(Decimal(v)).Get()); }
    STDMETHODIMP get_hspace(LONG* p) override { return ReturnLong(IntegerAttribute(node_, u"hspace", 0), p); }

protected:
    com::DynamicNames* FallbackNames() override {
        if (!names_)
            names_ = std::make_unique<ControlNames>(*dom_, node_);
        return names_.get();
    }

private:
    HRESULT Text(std::u16string_view name, BSTR* p) { return ReturnText(node_->AttributeValue(name), p); }
    HRESULT Put(std::u16string_view name, BSTR v) {
        node_->SetAttribute(name, ViewOf(v));
        return S_OK;
    }
    HRESULT PutValue(std::u16string_view name, const VARIANT& v) {
        std::u16string text;
        const HRESULT hr = AttributeText(v, &text);
        if (SUCCEEDED(hr))
            node_->SetAttribute(name, text);
        return hr;
    }
    HRESULT TextValue(std::u16string_view name, VARIANT* p) {
        if (!p)
            return E_POINTER;
        VariantInit(p);
        p->vt = VT_BSTR;
        p->bstrVal = com::Bstr(node_->AttributeValue(name)).Detach();
        return S_OK;
    }
    HRESULT Handler(std::u16string_view name, const VARIANT& v) {
        return dom_->events ? dom_->events->PutHandler(node_, name, ValueOf(v)) : E_NOTIMPL;
    }
    HRESULT GetHandlerOf(std::u16string_view name, VARIANT* p) {
        if (!p)
            return E_POINTER;
        VariantInit(p);
        if (!dom_->events) {
            p->vt = VT_NULL;
            return S_OK;
        }
        return dom_->events->GetHandler(node_, name, p);
    }

    std::unique_ptr<ControlNames> names_;
};

} // namespace

HRESULT CreateObjectElementObject(const DomPtr& dom, Node* node, IDispatch** out) {
    if (!node->Is(u"object"))
        return S_FALSE;
    return MakeNodeObject<CObjectElement>(dom, node, out);
}

} // namespace qx::html::dom
