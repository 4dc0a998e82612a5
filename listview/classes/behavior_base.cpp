#include "behavior_base.h"

namespace orrin {

STDMETHODIMP BehaviorBase::Init(IElementBehaviorSite* pBehaviorSite) {
    if (!pBehaviorSite)
        return E_POINTER;
    m_site = pBehaviorSite;
    return S_OK;
}

STDMETHODIMP BehaviorBase::Notify(LONG lEvent, VARIANT*) {
    if (lEvent != BEHAVIOREVENT_CONTENTREADY)
        return S_OK;
    HRESULT hr = AttachElement();
    return FAILED(hr) ? hr : OnContentReady();
}

STDMETHODIMP BehaviorBase::Detach() {
    m_site = nullptr;
    return S_OK;
}

HRESULT BehaviorBase::AttachElement() {
    if (!m_site)
        return E_POINTER;
    HRESULT hr = m_site->GetElement(&m_element);
    if (FAILED(hr))
        return hr;
    if (!m_element)
        return E_POINTER;
    qx::com::ComPtr<IDispatch> document;
    hr = m_element->get_document(&document);
    if (FAILED(hr))
        return hr;
    m_document = qx::com::ComPtr<IHTMLDocument2>::QueryFrom(document.Get());
    m_element2 = qx::com::ComPtr<IHTMLElement2>::QueryFrom(m_element.Get());
    return m_document && m_element2 ? S_OK : E_NOINTERFACE;
}

} // namespace orrin
