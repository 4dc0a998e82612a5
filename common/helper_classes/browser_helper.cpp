#include "browser_helper.h"

#include <exdisp.h>
#include <qx/com/comptr.h>
#include <servprov.h>

HRESULT BrowserHelper::GetHostDocument(IOleClientSite* site, IHTMLDocument2** document) {
    if (document == nullptr)
        return E_POINTER;
    *document = nullptr;
    if (site == nullptr)
        return E_INVALIDARG;
    qx::com::ComPtr<IOleContainer> container;
    HRESULT hr = site->GetContainer(&container);
    if (FAILED(hr))
        return hr;
    if (!container)
        return E_NOINTERFACE;
    qx::com::ComPtr<IServiceProvider> services;
    hr = container->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&services));
    if (FAILED(hr))
        return hr;
    qx::com::ComPtr<IWebBrowser2> browser;
    hr = services->QueryService(SID_SInternetExplorer, IID_IWebBrowser2, reinterpret_cast<void**>(&browser));
    if (FAILED(hr))
        return hr;
    if (!browser)
        return E_NOINTERFACE;
    qx::com::ComPtr<IDispatch> page;
    hr = browser->get_Document(&page);
    if (FAILED(hr))
        return hr;
    if (!page)
        return E_NOINTERFACE;
    return page->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(document));
}
