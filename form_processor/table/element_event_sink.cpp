#include "element_event_sink.h"

#include "dispatch_names.h"

#include <qx/com/bstr.h>
#include <qx/com/variant.h>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

constexpr DISPID kDragStart = static_cast<DISPID>(0x8001000B);
constexpr DISPID kSelectStart = static_cast<DISPID>(0x8001000C);
constexpr DISPID kDrag = static_cast<DISPID>(0x80010016);
constexpr DISPID kChange = 1001;

void Cancel(VARIANT* result) {
    if (!result)
        return;
    VariantClear(result);
    result->vt = VT_BOOL;
    result->boolVal = VARIANT_FALSE;
}

} // namespace

HRESULT CElementEventSink::Create(IHTMLDocument2* document, TableEditorOwner* owner,
                                  qx::com::ObjectPtr<CElementEventSink>& sink) {
    HRESULT hr = qx::com::CreateObject<CElementEventSink>(sink);
    if (FAILED(hr))
        return hr;
    sink->document_ = document;
    sink->owner_ = owner;
    return S_OK;
}

// The effect lies in the result VARIANT and the control's events; the answer is always E_NOTIMPL.
STDMETHODIMP CElementEventSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*,
                                       VARIANT* pVarResult, EXCEPINFO*, UINT*) {
    if (!owner_ || !document_)
        return E_NOTIMPL;
    switch (dispIdMember) {
    case kDragStart:
        SelectionTest(pVarResult);
        break;
    case kSelectStart:
        if (!owner_->OwnerKeysFree())
            SelectionTest(pVarResult);
        break;
    case kDrag: {
        ComPtr<IHTMLEventObj> event = CurrentEvent();
        ComPtr<IDispatch> source;
        if (event)
            event->get_srcElement(&source);
        FreeTest(ComPtr<IHTMLElement>::QueryFrom(source.Get()).Get(), pVarResult);
        break;
    }
    case kChange: {
        ComPtr<IHTMLEventObj> event = CurrentEvent();
        ComPtr<IDispatch> source;
        if (!event || FAILED(event->get_srcElement(&source)))
            break;
        if (ComPtr<IHTMLSelectElement>::QueryFrom(source.Get())) {
            event->put_cancelBubble(VARIANT_TRUE);
            owner_->NotifyControlChange(source.Get());
        }
        break;
    }
    default:
        break;
    }
    return E_NOTIMPL;
}

ComPtr<IHTMLEventObj> CElementEventSink::CurrentEvent() const {
    ComPtr<IDispatch> windowDispatch;
    if (FAILED(document_->get_parentWindow(&windowDispatch)))
        return nullptr;
    ComPtr<IHTMLWindow2> window = ComPtr<IHTMLWindow2>::QueryFrom(windowDispatch.Get());
    ComPtr<IDispatch> event;
    if (window)
        window->get_event(&event);
    return ComPtr<IHTMLEventObj>::QueryFrom(event.Get());
}

void CElementEventSink::SelectionTest(VARIANT* result) const {
    ComPtr<IDispatch> selection;
    Variant type;
    if (FAILED(document_->get_selection(&selection)) || !selection ||
        FAILED(GetPropertyByName(selection.Get(), u"type", &type)) || type.vt != VT_BSTR) {
        Cancel(result);
        return;
    }
    const std::u16string_view kind(type.bstrVal ? type.bstrVal : u"", SysStringLen(type.bstrVal));
    Variant range, parent;
    if (kind == u"None" || kind == u"Text") {
        if (SUCCEEDED(CallMethodByName(selection.Get(), u"createRange", nullptr, 0, &range)) &&
            range.vt == VT_DISPATCH)
            CallMethodByName(range.pdispVal, u"parentElement", nullptr, 0, &parent);
    } else if (kind == u"Control") {
        if (SUCCEEDED(CallMethodByName(selection.Get(), u"createRange", nullptr, 0, &range)) &&
            range.vt == VT_DISPATCH)
            CallMethodByName(range.pdispVal, u"commonParentElement", nullptr, 0, &parent);
    }
    IUnknown* start = parent.vt == VT_DISPATCH ? parent.pdispVal : nullptr;
    FreeTest(ComPtr<IHTMLElement>::QueryFrom(start).Get(), result);
}

void CElementEventSink::FreeTest(IHTMLElement* start, VARIANT* result) {
    ComPtr<IHTMLElement> element(start);
    while (element) {
        Variant free;
        if (SUCCEEDED(element->getAttribute(Bstr(u"free"), 0, &free)) && free.vt != VT_NULL)
            return;
        ComPtr<IDispatch> parent;
        element->get_parentElement(&parent);
        element = ComPtr<IHTMLElement>::QueryFrom(parent.Get());
    }
    Cancel(result);
}
