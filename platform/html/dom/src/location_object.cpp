// `location`: the document's address in parts. A put of the whole address or of a part navigates
// there through the document's navigation; a put of the hash alone stays on the page.
#include "dom_objects.h"
#include "url_parts.h"

namespace qx::html::dom {

namespace {

class CLocation : public com::ObjectRoot, public com::UnionDispatchImpl<IHTMLLocation> {
public:
    QX_BEGIN_INTERFACES(CLocation)
    QX_INTERFACE_ENTRY(IHTMLLocation)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    void Attach(DomPtr dom) { dom_ = std::move(dom); }

    STDMETHODIMP put_href(BSTR v) override { return Go(ResolveUrl(dom_->tree.url, ViewOf(v)), false); }
    STDMETHODIMP get_href(BSTR* p) override { return ReturnText(dom_->tree.url, p); }
    STDMETHODIMP put_protocol(BSTR v) override { return PutPart(UrlPart::Protocol, v); }
    STDMETHODIMP get_protocol(BSTR* p) override { return GetPart(UrlPart::Protocol, p); }
    STDMETHODIMP put_host(BSTR v) override { return PutPart(UrlPart::Host, v); }
    STDMETHODIMP get_host(BSTR* p) override { return GetPart(UrlPart::Host, p); }
    STDMETHODIMP put_hostname(BSTR v) override { return PutPart(UrlPart::Hostname, v); }
    STDMETHODIMP get_hostname(BSTR* p) override { return GetPart(UrlPart::Hostname, p); }
    STDMETHODIMP put_port(BSTR v) override { return PutPart(UrlPart::Port, v); }
    STDMETHODIMP get_port(BSTR* p) override { return GetPart(UrlPart::Port, p); }
    STDMETHODIMP put_pathname(BSTR v) override { return PutPart(UrlPart::Pathname, v); }
    STDMETHODIMP get_pathname(BSTR* p) override { return GetPart(UrlPart::Pathname, p); }
    STDMETHODIMP put_search(BSTR v) override { return PutPart(UrlPart::Search, v); }
    STDMETHODIMP get_search(BSTR* p) override { return GetPart(UrlPart::Search, p); }
    // The fragment moves within the page: the address changes, nothing is loaded.
    STDMETHODIMP put_hash(BSTR v) override {
        dom_->tree.url = WithUrlPart(dom_->tree.url, UrlPart::Hash, ViewOf(v));
        return S_OK;
    }
    STDMETHODIMP get_hash(BSTR* p) override { return GetPart(UrlPart::Hash, p); }
    STDMETHODIMP reload(VARIANT_BOOL) override {
        return dom_->navigation ? dom_->navigation->Reload() : E_NOTIMPL;
    }
    STDMETHODIMP replace(BSTR v) override { return Go(ResolveUrl(dom_->tree.url, ViewOf(v)), true); }
    STDMETHODIMP assign(BSTR v) override { return put_href(v); }
    STDMETHODIMP toString(BSTR* p) override { return get_href(p); }

private:
    HRESULT GetPart(UrlPart part, BSTR* p) { return ReturnText(ReadUrlPart(dom_->tree.url, part), p); }
    HRESULT PutPart(UrlPart part, BSTR v) { return Go(WithUrlPart(dom_->tree.url, part, ViewOf(v)), false); }
    HRESULT Go(std::u16string_view url, bool replace) {
        return dom_->navigation ? dom_->navigation->Navigate(url, {}, replace) : E_NOTIMPL;
    }

    DomPtr dom_;
};

} // namespace

HRESULT MakeLocationObject(const DomPtr& dom, IDispatch** out) {
    com::ObjectPtr<CLocation> location;
    const HRESULT hr = com::CreateObject<CLocation>(location);
    if (FAILED(hr))
        return hr;
    location->Attach(dom);
    return location->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

} // namespace qx::html::dom
