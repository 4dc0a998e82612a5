// The site the browser gives a behaviour on its element: the element, notifications, and the
// behaviour's own events (registered by name, made, and fired at the element's handlers).
#pragma once

#include "mshtml.h"
#include "qx/com/object.h"
#include "qx/html/dom/html_document.h"

#include <map>
#include <string>
#include <vector>

namespace qx::html::behaviors {

class CBehaviorSite : public com::ObjectRoot, public IElementBehaviorSite, public IElementBehaviorSiteOM {
public:
    static constexpr bool kAggregatable = false;
    // A site registers at most this many events.
    static constexpr std::size_t kMaxEvents = 1024;

    QX_BEGIN_INTERFACES(CBehaviorSite)
    QX_INTERFACE_ENTRY(IElementBehaviorSite)
    QX_INTERFACE_ENTRY(IElementBehaviorSiteOM)
    QX_END_INTERFACES()

    // The element is held by whoever connects the site, until Disconnect.
    void Connect(dom::DomPtr dom, dom::Node* element) {
        dom_ = std::move(dom);
        element_ = element;
    }
    // After Detach: every member answers E_UNEXPECTED, so a behaviour that keeps its site past
    // its element reaches nothing.
    void Disconnect() {
        dom_.reset();
        element_ = nullptr;
    }
    // The name RegisterName gave the behaviour ("" when none).
    const std::u16string& Name() const { return name_; }

    // IElementBehaviorSite
    STDMETHODIMP GetElement(IHTMLElement** element) override;
    STDMETHODIMP RegisterNotification(LONG event) override;

    // IElementBehaviorSiteOM
    STDMETHODIMP RegisterEvent(LPOLESTR name, LONG flags, LONG* cookie) override;
    STDMETHODIMP GetEventCookie(LPOLESTR name, LONG* cookie) override;
    STDMETHODIMP FireEvent(LONG cookie, IHTMLEventObj* eventObject) override;
    STDMETHODIMP CreateEventObject(IHTMLEventObj** eventObject) override;
    STDMETHODIMP RegisterName(LPOLESTR name) override;
    STDMETHODIMP RegisterUrn(LPOLESTR urn) override;

private:
    struct Registered {
        std::u16string name; // as registered
        LONG flags = 0;
    };
    // The registration of a name in any case; null when none.
    const Registered* Find(std::u16string_view name, LONG* cookie) const;

    dom::DomPtr dom_;
    dom::Node* element_ = nullptr;
    std::vector<Registered> events_; // cookie i + 1
    std::u16string name_;
};

} // namespace qx::html::behaviors
