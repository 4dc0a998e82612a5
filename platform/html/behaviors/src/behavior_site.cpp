#include "behavior_site.h"

#include "qx/com/comptr.h"
#include "qx/html/events/page_events.h"

namespace qx::html::behaviors {
namespace {

std::u16string_view TextOf(LPOLESTR text) {
    return text ? std::u16string_view(text) : std::u16string_view();
}

} // namespace

STDMETHODIMP CBehaviorSite::GetElement(IHTMLElement** element) {
    if (!element)
        return E_POINTER;
    *element = nullptr;
    if (!dom_)
        return E_UNEXPECTED;
    com::ComPtr<IDispatch> object;
    const HRESULT hr = dom::NodeObjectOf(dom_, element_, &object);
    if (FAILED(hr))
        return hr;
    return object->QueryInterface(IID_IHTMLElement, reinterpret_cast<void**>(element));
}

// Content ready and document ready reach every behaviour unasked. The other notifications are
// accepted and never sent: this browser applies no styles through behaviours, saves no content
// through them and moves no element between documents.
STDMETHODIMP CBehaviorSite::RegisterNotification(LONG event) {
    if (!dom_)
        return E_UNEXPECTED;
    return event < BEHAVIOREVENT_CONTENTREADY || event > BEHAVIOREVENT_CONTENTSAVE ? E_INVALIDARG : S_OK;
}

const CBehaviorSite::Registered* CBehaviorSite::Find(std::u16string_view name, LONG* cookie) const {
    for (std::size_t i = 0; i < events_.size(); ++i)
        if (dom::EqualsNoCase(events_[i].name, name)) {
            *cookie = static_cast<LONG>(i + 1);
            return &events_[i];
        }
    return nullptr;
}

// A name registered again (in any case) keeps its first cookie and flags.
STDMETHODIMP CBehaviorSite::RegisterEvent(LPOLESTR name, LONG flags, LONG* cookie) {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    const std::u16string_view text = TextOf(name);
    if (text.empty())
        return E_INVALIDARG;
    if (!dom_)
        return E_UNEXPECTED;
    if (Find(text, cookie))
        return S_OK;
    if (events_.size() >= kMaxEvents)
        return E_OUTOFMEMORY;
    events_.push_back({std::u16string(text), flags});
    *cookie = static_cast<LONG>(events_.size());
    return S_OK;
}

STDMETHODIMP CBehaviorSite::GetEventCookie(LPOLESTR name, LONG* cookie) {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!dom_)
        return E_UNEXPECTED;
    return Find(TextOf(name), cookie) ? S_OK : E_INVALIDARG;
}

// Delivers the event at the element: its inline on<Name> handler, then attachEvent's handlers, and
// further up only for an event registered to bubble. The handlers' event object carries the
// attributes of the one given. Without page script there is nobody to hear it.
STDMETHODIMP CBehaviorSite::FireEvent(LONG cookie, IHTMLEventObj* eventObject) {
    if (!dom_)
        return E_UNEXPECTED;
    if (cookie < 1 || static_cast<std::size_t>(cookie) > events_.size())
        return E_INVALIDARG;
    const Registered& registered = events_[static_cast<std::size_t>(cookie) - 1];
    const std::shared_ptr<dom::ElementEvents> hook = dom_->events;
    auto* page = dynamic_cast<events::PageEvents*>(hook.get());
    if (!page)
        return S_OK;
    std::u16string_view name = registered.name;
    if (name.size() > 2 && dom::EqualsNoCase(name.substr(0, 2), u"on"))
        name.remove_prefix(2);
    events::EventInit init;
    init.type = name;
    init.staysAtSource = !(registered.flags & BEHAVIOREVENTFLAGS_BUBBLE);
    // Held for the delivery: a handler may remove the behaviour, which disconnects this site and
    // may drop the behaviour's references to it.
    const com::ComPtr<IElementBehaviorSiteOM> self(this);
    const dom::DomPtr dom = dom_;
    dom::Node* element = element_;
    dom->tree.Hold(element);
    com::ComPtr<IDispatch> given;
    if (eventObject)
        eventObject->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&given));
    page->Dispatch(element, init, given.Get());
    dom->tree.Release(element);
    return S_OK;
}

STDMETHODIMP CBehaviorSite::CreateEventObject(IHTMLEventObj** eventObject) {
    if (!eventObject)
        return E_POINTER;
    *eventObject = nullptr;
    if (!dom_)
        return E_UNEXPECTED;
    com::ComPtr<IDispatch> event;
    const HRESULT hr = events::CreateBehaviorEventObject(&event);
    if (FAILED(hr))
        return hr;
    return event->QueryInterface(IID_IHTMLEventObj, reinterpret_cast<void**>(eventObject));
}

// The name reaches the behaviour's object from the element (`element.name.member`).
STDMETHODIMP CBehaviorSite::RegisterName(LPOLESTR name) {
    if (!dom_)
        return E_UNEXPECTED;
    if (TextOf(name).empty())
        return E_INVALIDARG;
    name_ = TextOf(name);
    return S_OK;
}

// Nothing in this browser lists behaviours by URN (there is no `behaviorUrns`).
STDMETHODIMP CBehaviorSite::RegisterUrn(LPOLESTR) {
    return dom_ ? S_OK : E_UNEXPECTED;
}

} // namespace qx::html::behaviors
