// STYLE and LINK elements: their style sheets and the attributes that describe them.
#include "element_object.h"

namespace qx::html::dom {
namespace {

// What STYLE and LINK share: the sheet's `disabled` and `media`, the attributes as text.
template <typename Itf>
class SheetElement : public ElementObject<Itf> {
public:
    STDMETHODIMP get_styleSheet(IDispatch** p) override {
        return ElementStyleSheet(this->dom_, this->node_, p);
    }
    // Without a sheet (a LINK that is no style sheet link) nothing is disabled.
    STDMETHODIMP put_disabled(VARIANT_BOOL v) override {
        if (auto sheet = ElementSheet(this->dom_, this->node_))
            sheet->disabled = v != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_disabled(VARIANT_BOOL* p) override {
        auto sheet = ElementSheet(this->dom_, this->node_);
        return ReturnBool(sheet && sheet->disabled, p);
    }
    STDMETHODIMP put_media(BSTR v) override {
        this->node_->SetAttribute(u"media", ViewOf(v));
        if (auto sheet = ElementSheet(this->dom_, this->node_))
            sheet->media = ViewOf(v);
        return S_OK;
    }
    STDMETHODIMP get_media(BSTR* p) override { return Text(u"media", p); }
    STDMETHODIMP put_type(BSTR v) override { return SetText(u"type", v); }
    STDMETHODIMP get_type(BSTR* p) override { return Text(u"type", p); }

protected:
    HRESULT SetText(std::u16string_view name, BSTR v) {
        this->node_->SetAttribute(name, ViewOf(v));
        return S_OK;
    }
    HRESULT Text(std::u16string_view name, BSTR* p) {
        return ReturnText(this->node_->AttributeValue(name), p);
    }
};

class CStyleElement : public SheetElement<IHTMLStyleElement> {
public:
    QX_BEGIN_INTERFACES(CStyleElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLStyleElement)
    QX_END_INTERFACES()
};

class CLinkElement : public SheetElement<IHTMLLinkElement> {
public:
    QX_BEGIN_INTERFACES(CLinkElement)
    QX_HTML_ELEMENT_ENTRIES
    QX_INTERFACE_ENTRY(IHTMLLinkElement)
    QX_END_INTERFACES()

    STDMETHODIMP put_href(BSTR v) override { return SetText(u"href", v); }
    STDMETHODIMP get_href(BSTR* p) override { return Text(u"href", p); }
    STDMETHODIMP put_rel(BSTR v) override { return SetText(u"rel", v); }
    STDMETHODIMP get_rel(BSTR* p) override { return Text(u"rel", p); }
    STDMETHODIMP put_rev(BSTR v) override { return SetText(u"rev", v); }
    STDMETHODIMP get_rev(BSTR* p) override { return Text(u"rev", p); }
};

} // namespace

HRESULT CreateStyleElementObject(const DomPtr& dom, Node* node, IDispatch** out) {
    if (node->Is(u"style"))
        return MakeNodeObject<CStyleElement>(dom, node, out);
    if (node->Is(u"link"))
        return MakeNodeObject<CLinkElement>(dom, node, out);
    return S_FALSE;
}

} // namespace qx::html::dom
