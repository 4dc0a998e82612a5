#include "com_ctrl_factory.h"

#include "head_behavior.h"
#include "list_dom.h"
#include "list_view_behavior.h"
#include "row_behavior.h"

namespace orrin {

using qx::com::Bstr;
using qx::com::ObjectPtr;

namespace {

std::u16string_view View(BSTR text) {
    return {text ? text : u"", SysStringLen(text)};
}

} // namespace

STDMETHODIMP CComCtrlFactory::FindBehavior(BSTR bstrBehavior, BSTR bstrBehaviorUrl, IElementBehaviorSite*,
                                           IElementBehavior** ppBehavior) {
    if (!ppBehavior)
        return E_POINTER;
    // The name is matched in any case; the URLs of header cells and rows exactly as written.
    if (UpperAsciiLetters(View(bstrBehavior)) == LoadText(kTextListView).View()) {
        ObjectPtr<CListViewBehavior> listView;
        HRESULT hr = qx::com::CreateObject<CListViewBehavior>(listView);
        if (FAILED(hr))
            return hr;
        return listView->QueryInterface(IID_IElementBehavior, reinterpret_cast<void**>(ppBehavior));
    }
    const std::u16string_view url = View(bstrBehaviorUrl);
    if (url == LoadText(kTextHeaderUrl).View()) {
        ObjectPtr<CHeadBehavior> header;
        HRESULT hr = qx::com::CreateObject<CHeadBehavior>(header);
        if (FAILED(hr))
            return hr;
        header->SetOwner(m_owner);
        return header->QueryInterface(IID_IElementBehavior, reinterpret_cast<void**>(ppBehavior));
    }
    if (url == LoadText(kTextRowUrl).View()) {
        ObjectPtr<CRowBehavior> row;
        HRESULT hr = qx::com::CreateObject<CRowBehavior>(row);
        if (SUCCEEDED(hr))
            hr = row->Link(m_owner);
        if (FAILED(hr))
            return hr;
        return row->QueryInterface(IID_IElementBehavior, reinterpret_cast<void**>(ppBehavior));
    }
    return S_OK;
}

STDMETHODIMP CComCtrlFactory::GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions,
                                                        DWORD* pdwEnabledOptions) {
    if (!pdwSupportedOptions || !pdwEnabledOptions)
        return E_POINTER;
    qx::com::ComPtr<IUnknown> answered;
    HRESULT hr =
        static_cast<IComCtrlFactory*>(this)->QueryInterface(riid, reinterpret_cast<void**>(&answered));
    if (FAILED(hr)) {
        *pdwSupportedOptions = 0;
        *pdwEnabledOptions = 0;
        return hr;
    }
    *pdwSupportedOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
    *pdwEnabledOptions = m_safety;
    return S_OK;
}

STDMETHODIMP CComCtrlFactory::SetInterfaceSafetyOptions(REFIID, DWORD dwOptionSetMask,
                                                        DWORD dwEnabledOptions) {
    m_safety = (m_safety & ~dwOptionSetMask) | dwEnabledOptions;
    return S_OK;
}

} // namespace orrin
