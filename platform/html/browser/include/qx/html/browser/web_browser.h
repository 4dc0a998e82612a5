// The browser control, "Shell.Explorer": IWebBrowser2 with its events (DWebBrowserEvents2), pages
// loaded from res:, file:, http(s): and about:blank addresses, completing on the message queue of
// the thread that made it.
#pragma once

#include "exdisp.h"
#include "objbase.h"
#include "qx/html/dom/html_document.h"

namespace qx::html::browser {

// The instance creator of CLSID_WebBrowser (aggregation is refused). The calling thread is the
// browser's: its pages load, run and complete while that thread pumps its messages.
HRESULT CreateWebBrowser(IUnknown* outer, REFIID riid, void** ppv);
// Makes "Shell.Explorer" (and "Shell.Explorer.2") creatable in this process, as the platform's
// own classes are; S_FALSE when already done. The calling thread must be in an apartment.
HRESULT RegisterWebBrowserClass();
void RevokeWebBrowserClass();
// The browser that shows the document (a control in a page reaches its page's browser and window
// through it); E_FAIL for a document no browser shows.
HRESULT BrowserOfDocument(const dom::DomDocument* document, IWebBrowser2** browser);

} // namespace qx::html::browser

// What the platform's own tools ask of a browser beyond IWebBrowser2.
QX_DECLARE_INTERFACE(IWebBrowserPlatform, "{5B0E3C61-7E1A-4F5D-9C2B-6A3D8E4F1B27}");
struct IWebBrowserPlatform : IUnknown {
    // What every page shown from now on (and the one shown now) gets as window.external; null
    // takes it away.
    STDMETHOD(SetExternal)(IDispatch* external) = 0;
    // How many script errors the page shown reported.
    STDMETHOD_(LONG, ScriptErrorCount)() = 0;
    // Whether the last navigation failed to load its address (an empty page shows instead).
    STDMETHOD_(BOOL, NavigationFailed)() = 0;
    // The browser's own window (made with the browser, hidden until it is placed).
    STDMETHOD_(HWND, Window)() = 0;

protected:
    ~IWebBrowserPlatform() = default;
};
