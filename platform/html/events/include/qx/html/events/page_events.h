// A page's events: event objects (`window.event`), delivery from the source element up to the
// document, handler properties, inline handlers, attachEvent/detachEvent, fireEvent and click().
#pragma once

#include "qx/com/comptr.h"
#include "qx/html/dom/html_document.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qx::html::events {

// What an event carries besides its type and source.
struct EventInit {
    std::u16string type; // without "on": "click"
    bool altKey = false, ctrlKey = false, shiftKey = false;
    LONG keyCode = 0, button = 0;
    LONG clientX = 0, clientY = 0, screenX = 0, screenY = 0, offsetX = 0, offsetY = 0;
    // A behaviour's event that was not registered to bubble stays at its element.
    bool staysAtSource = false;
    // A behaviour's event object: `type` is its "type" attribute (null until set).
    bool typeFromAttribute = false;
};

// Events that stay at their source.
bool EventBubbles(std::u16string_view type);

// An event object for a behaviour to fill and fire (IElementBehaviorSiteOM::CreateEventObject): it
// has no type until its "type" attribute is set, and its attributes read as members (`event.param`)
// in the handlers that the firing reaches.
HRESULT CreateBehaviorEventObject(IDispatch** event);

class PageEvents final : public dom::ElementEvents {
public:
    // What the page's script engine does for its handlers.
    class Host {
    public:
        virtual ~Host() = default;
        // Compiles an inline handler's text (`onclick="..."`) into a function taking `event` whose
        // `this` is the element; a failure is reported by the host and the handler is skipped.
        virtual HRESULT Compile(IDispatch* element, std::u16string_view code, IDispatch** handler) = 0;
        // The function put as a handler property, called with the element as `this`.
        virtual HRESULT Bind(IDispatch* element, IDispatch* function, IDispatch** bound) = 0;
        // Whether two handlers are the same function (script hands out a new wrapper each time).
        virtual bool Same(IDispatch* a, IDispatch* b) = 0;
        // Hears what a handler threw (the handler is skipped, delivery goes on).
        virtual void HandlerFailed(HRESULT hr, const EXCEPINFO& info) = 0;
    };

    PageEvents(dom::DomPtr dom, Host& host);
    ~PageEvents() override;

    // Delivers an event; false when a handler cancelled it (returnValue false).
    bool Dispatch(dom::Node* source, const EventInit& init, IDispatch* template_ = nullptr);
    // The event being delivered (window.event): VT_DISPATCH, or VT_NULL between events.
    HRESULT CurrentEvent(VARIANT* event) const;
    // Drops every handler (the page is closing): handlers and nodes hold each other otherwise.
    void Clear();

    HRESULT PutHandler(dom::Node* node, std::u16string_view name, const VARIANT& handler) override;
    HRESULT GetHandler(dom::Node* node, std::u16string_view name, VARIANT* handler) override;
    HRESULT Attach(dom::Node* node, std::u16string_view name, IDispatch* handler,
                   VARIANT_BOOL* done) override;
    HRESULT Detach(dom::Node* node, std::u16string_view name, IDispatch* handler) override;
    HRESULT Fire(dom::Node* node, std::u16string_view name, const VARIANT& eventObject,
                 VARIANT_BOOL* done) override;
    HRESULT Click(dom::Node* node) override;

private:
    struct NodeHandlers {
        // Handler properties by lower-case "on..." name, as put and as called; null pointers for a
        // property put to null.
        std::map<std::u16string, std::pair<com::ComPtr<IDispatch>, com::ComPtr<IDispatch>>> properties;
        // Compiled inline handlers with the attribute text they came from.
        std::map<std::u16string, std::pair<std::u16string, com::ComPtr<IDispatch>>> inline_;
        std::map<std::u16string, std::vector<com::ComPtr<IDispatch>>> attached;
    };
    NodeHandlers& HandlersOf(dom::Node* node);
    com::ComPtr<IDispatch> InlineHandler(dom::Node* node, const std::u16string& name);
    // Runs one handler; false when it answered VT_BOOL false.
    bool Call(IDispatch* handler, IDispatch* event);

    dom::DomPtr dom_;
    Host& host_;
    std::map<dom::Node*, NodeHandlers> handlers_; // each node here is held
    std::vector<com::ComPtr<IDispatch>> current_; // nested deliveries, innermost last
};

} // namespace qx::html::events
