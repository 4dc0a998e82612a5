// "Shell.Explorer": the browser control. A navigation runs on the browser's thread: the download
// ends on its message queue, the document is made ("loading"), NavigateComplete2 fires, the
// document becomes "interactive" and its scripts run, and a message posted to the browser's own
// window completes it ("complete", the BODY's load, DocumentComplete). Every step of a navigation
// that a newer one replaced is dropped.
#pragma once

#include "navigation.h"
#include "navigation_page.h"

#include "qx/com/connection_point.h"
#include "qx/com/dispatch.h"
#include "qx/com/object.h"
#include "qx/com/variant.h"
#include "qx/html/browser/web_browser.h"

#include <memory>
#include <string>

namespace qx::html::browser {

class BrowserControl : public com::ObjectRoot,
                       public com::DispatchImpl<IWebBrowser2>,
                       public com::ConnectionPointContainerImpl,
                       public IWebBrowserPlatform {
public:
    static constexpr bool kAggregatable = false;
    QX_BEGIN_INTERFACES(BrowserControl)
        QX_INTERFACE_ENTRY(IWebBrowser2)
        QX_INTERFACE_ENTRY2(IWebBrowserApp, IWebBrowser2)
        QX_INTERFACE_ENTRY2(IWebBrowser, IWebBrowser2)
        QX_INTERFACE_ENTRY2(IDispatch, IWebBrowser2)
        QX_INTERFACE_ENTRY(IConnectionPointContainer)
        QX_INTERFACE_ENTRY(IWebBrowserPlatform)
    QX_END_INTERFACES()

    HRESULT FinalConstruct();
    void FinalRelease();

    QX_OVERRIDES_IWebBrowser;
    QX_OVERRIDES_IWebBrowserApp;
    QX_OVERRIDES_IWebBrowser2;

    STDMETHODIMP SetExternal(IDispatch* external) override;
    STDMETHODIMP_(LONG) ScriptErrorCount() override { return page_ ? page_->ScriptErrorCount() : 0; }
    STDMETHODIMP_(BOOL) NavigationFailed() override { return failed_; }
    STDMETHODIMP_(HWND) Window() override { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HRESULT Go(const std::u16string& url, LONG flags, const std::u16string& target);
    // The body of the address arrived (or failed); the navigation's number tells a stale one.
    void Arrived(unsigned navigation, HRESULT result, std::string body);
    void Complete(unsigned navigation);
    // Drops a download under way; the page shown stays.
    void StopLoading();
    HRESULT Print(OLECMDEXECOPT option);
    com::Variant Address() const;

    CProxyDWebBrowserEvents2 events_{*this};
    HWND window_ = nullptr;
    std::unique_ptr<NavigationRequest> request_;
    std::unique_ptr<NavigationPage> page_;
    com::ComPtr<IDispatch> external_;
    std::u16string pendingUrl_;
    std::u16string locationUrl_;
    READYSTATE readyState_ = READYSTATE_UNINITIALIZED;
    unsigned navigation_ = 0;
    bool busy_ = false;
    bool failed_ = false;
    bool visible_ = false;
    bool silent_ = false;
    bool offline_ = false;
    bool registerAsBrowser_ = false;
    bool registerAsDropTarget_ = true;
};

} // namespace qx::html::browser
