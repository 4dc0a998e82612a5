// Scroll members, client rectangles and hit testing of elements and the document, over the
// document's geometry source.
#include "geometry_members.h"

#include "qx/com/enumerators.h"

namespace qx::html::dom::geometry_members {
namespace {

// One client rectangle; script may put its sides, which moves nothing on the page.
class CRect : public com::ObjectRoot, public com::UnionDispatchImpl<IHTMLRect> {
public:
    QX_BEGIN_INTERFACES(CRect)
    QX_INTERFACE_ENTRY(IHTMLRect)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    ClientRect rect;

    STDMETHODIMP put_left(LONG v) override { return Set(rect.left, v); }
    STDMETHODIMP get_left(LONG* p) override { return Get(rect.left, p); }
    STDMETHODIMP put_top(LONG v) override { return Set(rect.top, v); }
    STDMETHODIMP get_top(LONG* p) override { return Get(rect.top, p); }
    STDMETHODIMP put_right(LONG v) override { return Set(rect.right, v); }
    STDMETHODIMP get_right(LONG* p) override { return Get(rect.right, p); }
    STDMETHODIMP put_bottom(LONG v) override { return Set(rect.bottom, v); }
    STDMETHODIMP get_bottom(LONG* p) override { return Get(rect.bottom, p); }

private:
    static HRESULT Set(LONG& side, LONG v) {
        side = v;
        return S_OK;
    }
    static HRESULT Get(LONG side, LONG* p) { return p ? (*p = side, S_OK) : E_POINTER; }
};

HRESULT MakeRect(const ClientRect& rect, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    com::ObjectPtr<CRect> object;
    const HRESULT hr = com::CreateObject<CRect>(object);
    if (FAILED(hr))
        return hr;
    object->rect = rect;
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

// The rectangles as they were when asked for: a snapshot, like the old browser's.
class CRectCollection : public com::ObjectRoot, public com::UnionDispatchImpl<IHTMLRectCollection> {
public:
    QX_BEGIN_INTERFACES(CRectCollection)
    QX_INTERFACE_ENTRY(IHTMLRectCollection)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    std::vector<ClientRect> rects;

    STDMETHODIMP get_length(LONG* p) override {
        return p ? (*p = static_cast<LONG>(rects.size()), S_OK) : E_POINTER;
    }
    STDMETHODIMP get__newEnum(IUnknown** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        std::vector<com::Variant> items;
        for (const ClientRect& r : rects) {
            com::ComPtr<IDispatch> rect;
            const HRESULT hr = MakeRect(r, &rect);
            if (FAILED(hr))
                return hr;
            items.emplace_back(rect.Get());
        }
        com::ComPtr<IEnumVARIANT> e;
        const HRESULT hr = com::CreateEnumVariant(std::move(items), &e);
        *p = e.Detach();
        return hr;
    }
    // An index (a number, or text holding one) within the length; anything else fails.
    STDMETHODIMP item(VARIANT* index, VARIANT* result) override {
        if (!result)
            return E_POINTER;
        VariantInit(result);
        if (!index)
            return E_INVALIDARG;
        com::Variant at;
        if (FAILED(VariantChangeType(&at, &ValueOf(*index), 0, VT_I4)) || at.lVal < 0 ||
            static_cast<std::size_t>(at.lVal) >= rects.size())
            return E_INVALIDARG;
        IDispatch* rect = nullptr;
        const HRESULT hr = MakeRect(rects[at.lVal], &rect);
        if (FAILED(hr))
            return hr;
        result->vt = VT_DISPATCH;
        result->pdispVal = rect;
        return S_OK;
    }
};

} // namespace

HRESULT GetScroll(DomDocument& dom, Node* element, ScrollMember member, LONG* out) {
    if (!out)
        return E_POINTER;
    const ElementGeometry g = dom.geometry ? dom.geometry->Geometry(element) : ElementGeometry{};
    switch (member) {
    case ScrollMember::Left:
        *out = g.scrollLeft;
        break;
    case ScrollMember::Top:
        *out = g.scrollTop;
        break;
    case ScrollMember::Width:
        *out = g.scrollWidth;
        break;
    case ScrollMember::Height:
        *out = g.scrollHeight;
        break;
    }
    return S_OK;
}

HRESULT PutScroll(DomDocument& dom, Node* element, ScrollMember member, LONG value) {
    if (!dom.geometry)
        return S_OK;
    const ElementGeometry before = dom.geometry->Geometry(element);
    if (member == ScrollMember::Left)
        dom.geometry->SetScroll(element, value, std::nullopt);
    else if (member == ScrollMember::Top)
        dom.geometry->SetScroll(element, std::nullopt, value);
    const ElementGeometry after = dom.geometry->Geometry(element);
    if (after.scrollLeft != before.scrollLeft || after.scrollTop != before.scrollTop)
        QueueScrollEvent(dom, element);
    return S_OK;
}

HRESULT BoundingClientRect(DomDocument& dom, Node* element, IDispatch** out) {
    return MakeRect(dom.geometry ? dom.geometry->BoundingClientRect(element) : ClientRect{}, out);
}

HRESULT ClientRects(DomDocument& dom, Node* element, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    com::ObjectPtr<CRectCollection> object;
    const HRESULT hr = com::CreateObject<CRectCollection>(object);
    if (FAILED(hr))
        return hr;
    if (dom.geometry)
        object->rects = dom.geometry->ClientRects(element);
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

HRESULT ComponentFromPoint(DomDocument& dom, Node* element, LONG x, LONG y, BSTR* out) {
    return ReturnText(dom.geometry ? dom.geometry->ComponentFromPoint(element, x, y) : u"outside", out);
}

HRESULT ScrollIntoView(DomDocument& dom, Node* element, const VARIANT& alignToTop) {
    const VARIANT& v = ValueOf(alignToTop);
    bool top = true;
    if (v.vt != VT_EMPTY && v.vt != VT_ERROR && v.vt != VT_NULL) {
        com::Variant flag;
        if (FAILED(VariantChangeType(&flag, &v, 0, VT_BOOL)))
            return E_INVALIDARG;
        top = flag.boolVal != VARIANT_FALSE;
    }
    if (dom.geometry)
        dom.geometry->ScrollIntoView(element, top);
    return S_OK;
}

HRESULT ElementFromPoint(const DomPtr& dom, LONG x, LONG y, IDispatch** out) {
    return ReturnObject(dom, dom->geometry ? dom->geometry->ElementFromPoint(x, y) : nullptr, out);
}

} // namespace qx::html::dom::geometry_members
