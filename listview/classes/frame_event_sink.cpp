#include "frame_event_sink.h"

#include "list_view_behavior.h"

#include <ocidl.h>

namespace orrin {

using qx::com::ComPtr;

namespace {

constexpr DISPID kOnScroll = 1014;
constexpr DISPID kOnClick = -600;
constexpr DISPID kOnDoubleClick = -601;
constexpr DISPID kOnMouseOver = static_cast<DISPID>(0x80010008);
constexpr DISPID kOnMouseOut = static_cast<DISPID>(0x80010009);
constexpr DISPID kOnSelectStart = static_cast<DISPID>(0x8001000C);

} // namespace

CFrameEventSink::CFrameEventSink(CListViewBehavior* owner, Frame frame) : m_owner(owner), m_frame(frame) {}

const IID& CFrameEventSink::EventsOf(Frame frame) {
    return frame == Frame::Body ? DIID_HTMLElementEvents : DIID_HTMLTextContainerEvents;
}

STDMETHODIMP CFrameEventSink::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, EventsOf(m_frame))) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CFrameEventSink::AddRef() {
    return ++m_refs;
}

STDMETHODIMP_(ULONG) CFrameEventSink::Release() {
    const ULONG count = --m_refs;
    if (count == 0)
        delete this;
    return count;
}

STDMETHODIMP CFrameEventSink::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CFrameEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CFrameEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP CFrameEventSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) {
    if (!m_owner)
        return S_OK;
    // A handler may let go of the list view: it lives until the handler is done.
    ComPtr<IListViewBehavior> keep(m_owner);
    CListViewBehavior* owner = m_owner;
    if (m_frame == Frame::Header) {
        switch (dispIdMember) {
        case kOnClick:
            return owner->OnHeaderClick();
        case kOnDoubleClick:
            return owner->OnHeaderDoubleClick();
        default:
            return S_OK;
        }
    }
    switch (dispIdMember) {
    case kOnScroll:
        return owner->OnBodyScroll();
    case kOnClick:
        return owner->OnBodyCellClick(false);
    case kOnDoubleClick:
        return owner->OnBodyCellClick(true);
    case kOnMouseOver:
        return owner->OnBodyHover(true);
    case kOnMouseOut:
        return owner->OnBodyHover(false);
    case kOnSelectStart:
        return owner->OnBodySelectStart();
    default:
        return S_OK;
    }
}

HRESULT CFrameEventSink::Advise(IHTMLElement* element, DWORD* cookie) {
    auto container = ComPtr<IConnectionPointContainer>::QueryFrom(element);
    if (!container)
        return E_NOINTERFACE;
    ComPtr<IConnectionPoint> point;
    HRESULT hr = container->FindConnectionPoint(EventsOf(m_frame), &point);
    return FAILED(hr) ? hr : point->Advise(static_cast<IDispatch*>(this), cookie);
}

void CFrameEventSink::Unadvise(IHTMLElement* element, Frame frame, DWORD cookie) {
    auto container = ComPtr<IConnectionPointContainer>::QueryFrom(element);
    ComPtr<IConnectionPoint> point;
    if (container && SUCCEEDED(container->FindConnectionPoint(EventsOf(frame), &point)))
        point->Unadvise(cookie);
}

} // namespace orrin
