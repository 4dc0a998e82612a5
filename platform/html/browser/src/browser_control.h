// "Shell.Explorer": the browser control. A navigation runs on the browser's thread: the download
// ends on its message queue, the document is made ("loading"), NavigateComplete2 fires, the
// document becomes "interactive" and its scripts run, and a message posted to the browser's own
// window completes it ("complete", the BODY's load, DocumentComplete). Every step of a navigation
// that a newer one replaced is dropped.
#pragma once

#include "navigation.h"
#include "navigation_page.h"

#include "oleidl.h"
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
                       public IOleObject,
                       public IOleInPlaceObject,
                       public IOleInPlaceActiveObject,
                       public IWebBrowserPlatform {
public:
    static constexpr bool kAggregatable = false;
    QX_BEGIN_INTERFACES(BrowserControl)
    QX_INTERFACE_ENTRY(IWebBrowser2)
    QX_INTERFACE_ENTRY2(IWebBrowserApp, IWebBrowser2)
    QX_INTERFACE_ENTRY2(IWebBrowser, IWebBrowser2)
    QX_INTERFACE_ENTRY2(IDispatch, IWebBrowser2)
    QX_INTERFACE_ENTRY(IConnectionPointContainer)
    QX_INTERFACE_ENTRY(IOleObject)
    QX_INTERFACE_ENTRY(IOleInPlaceObject)
    QX_INTERFACE_ENTRY(IOleInPlaceActiveObject)
    QX_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObject)
    QX_INTERFACE_ENTRY(IWebBrowserPlatform)
    QX_END_INTERFACES()

    HRESULT FinalConstruct();
    void FinalRelease();

    QX_OVERRIDES_IWebBrowser;
    QX_OVERRIDES_IWebBrowserApp;
    QX_OVERRIDES_IWebBrowser2;
    // Embedding (browser_control_ole.cpp): the control takes its container's window as its parent
    // when it is activated in place and leaves it when deactivated or closed.
    QX_OVERRIDES_IOleObject;
    QX_OVERRIDES_IOleWindow;
    QX_OVERRIDES_IOleInPlaceObject;
    QX_OVERRIDES_IOleInPlaceActiveObject;

    STDMETHODIMP SetExternal(IDispatch* external) override;
    STDMETHODIMP_(LONG) ScriptErrorCount() override { return page_ ? page_->ScriptErrorCount() : 0; }
    STDMETHODIMP_(BOOL) NavigationFailed() override { return failed_; }
    STDMETHODIMP_(HWND) Window() override { return window_; }

    // A form of the shown page sent by POST.
    HRESULT Post(std::u16string_view url, std::string_view body, std::string_view contentType);
    // The shown document's IPersistStreamInit (InitNew: no bytes); Load completes as a navigation.
    HRESULT ReplaceContent(dom::DomDocument& dom, const dom::DocumentBytes* source);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // post: the body and headers of a POST (a form's submission, Navigate2's PostData).
    HRESULT Go(const std::u16string& url, LONG flags, const std::u16string& target,
               const PostData* post = nullptr);
    // The body of the address arrived (or failed); the navigation's number tells a stale one.
    void Arrived(unsigned navigation, HRESULT result, std::string body);
    // The page's document is there: "interactive", its scripts run, completion posted.
    void Interactive(unsigned navigation);
    void Complete(unsigned navigation);
    // Drops a download under way; the page shown stays.
    void StopLoading();
    HRESULT Print(OLECMDEXECOPT option);
    HRESULT WindowMeasure(LONG RECT::*from, LONG RECT::*to, LONG* pVal) const;
    HRESULT PlaceWindow(LONG RECT::*side, bool size, LONG value);
    HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position, bool ui);
    com::Variant Address() const;
    // Shows the page (null: none), so that BrowserOfDocument finds this browser for its document.
    void ShowPage(std::unique_ptr<NavigationPage> page);

    CProxyDWebBrowserEvents2 events_{*this};
    HWND window_ = nullptr;
    std::unique_ptr<NavigationRequest> request_;
    std::unique_ptr<NavigationPage> page_;
    com::ComPtr<IDispatch> external_;
    com::ComPtr<IOleClientSite> site_;
    com::ComPtr<IOleInPlaceSite> inPlaceSite_; // while active in place
    SIZEL extent_{7938, 3969};                 // HIMETRIC: 300 x 150 pixels
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
