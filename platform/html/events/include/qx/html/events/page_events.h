// A page's events: event objects (`window.event`), delivery from the source element up to the
// document, handler properties, inline handlers, attachEvent/detachEvent, fireEvent and click(),
// the connection points of elements, the document and the window, and the focus.
#pragma once

#include "qx/com/comptr.h"
#include "qx/com/variant.h"
#include "qx/html/dom/html_document.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

struct IEventState;

namespace qx::html::events {

// What an event carries besides its type and source.
struct EventInit {
    std::u16string type; // without "on": "click"
    bool altKey = false, ctrlKey = false, shiftKey = false;
    LONG keyCode = 0, button = 0;
    LONG clientX = 0, clientY = 0, screenX = 0, screenY = 0, offsetX = 0, offsetY = 0;
    com::ComPtr<IDispatch> fromElement, toElement; // mouseover and mouseout
    // A behaviour's event that was not registered to bubble stays at its element.
    bool staysAtSource = false;
    // A behaviour's event object: `type` is its "type" attribute (null until set).
    bool typeFromAttribute = false;
};

class EventPoints;

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

    // Without a host (a page whose script does not run) no handler is compiled or bound; sinks
    // and attached handlers still run.
    explicit PageEvents(dom::DomPtr dom, Host* host = nullptr);
    ~PageEvents() override;

    // The document's events, made (without a host) when the document has none yet: whoever shows
    // or scripts a document calls this, so that its elements answer their connection points.
    static std::shared_ptr<PageEvents> Of(const dom::DomPtr& dom);
    void SetHost(Host* host) { host_ = host; }
    bool HasHost() const { return host_ != nullptr; }

    // Delivers an event; false when a handler or sink cancelled it (returnValue false).
    bool Dispatch(dom::Node* source, const EventInit& init, IDispatch* template_ = nullptr);
    // The event being delivered (window.event): VT_DISPATCH, or VT_NULL between events.
    HRESULT CurrentEvent(VARIANT* event) const;
    // Runs the handlers of a hosted control's event ("Changed": `<script for event>` blocks,
    // attachEvent("onChanged") and the onChanged property) at its OBJECT element, each with the
    // event's arguments in their declared order.
    void CallControlEvent(dom::Node* node, std::u16string_view name, std::vector<com::Variant>& args);
    // Drops every handler, sink and the focus (the page is closing): handlers, sinks and nodes
    // hold each other otherwise.
    void Clear();

    // The window's connection points (HTMLWindowEvents); no reference taken.
    IConnectionPointContainer* WindowConnectionPoints();
    // Delivers a window event (load, unload, resize, focus, blur...) to the window's sinks; false
    // when one cancelled it.
    bool DispatchToWindow(std::u16string_view type);

    // Moves the focus to element (null: the page itself): blur at the element losing it, then
    // focus at the one getting it; document.activeElement follows.
    void MoveFocus(dom::Node* element);

    HRESULT PutHandler(dom::Node* node, std::u16string_view name, const VARIANT& handler) override;
    HRESULT GetHandler(dom::Node* node, std::u16string_view name, VARIANT* handler) override;
    HRESULT Attach(dom::Node* node, std::u16string_view name, IDispatch* handler,
                   VARIANT_BOOL* done) override;
    HRESULT Detach(dom::Node* node, std::u16string_view name, IDispatch* handler) override;
    HRESULT Fire(dom::Node* node, std::u16string_view name, const VARIANT& eventObject,
                 VARIANT_BOOL* done) override;
    HRESULT Click(dom::Node* node) override;
    IConnectionPointContainer* ConnectionPoints(dom::Node* node) override;

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
    bool Same(IDispatch* a, IDispatch* b);
    // Runs one handler; false when it answered VT_BOOL false.
    bool Call(IDispatch* handler, IDispatch* event);
    // Invokes a handler with its arguments; a failure goes to the host as a script error.
    HRESULT Invoke(IDispatch* handler, DISPPARAMS& params, com::Variant& result);

    // Runs the event's handlers and sinks at one node of its path.
    void DeliverAt(dom::Node* node, const std::u16string& name, IDispatch* event, IEventState* state);

    dom::DomPtr dom_;
    Host* host_;
    std::map<dom::Node*, NodeHandlers> handlers_;           // each node here is held
    std::map<dom::Node*, com::ComPtr<EventPoints>> points_; // each holds its node
    com::ComPtr<EventPoints> windowPoints_;
    std::vector<com::ComPtr<IDispatch>> current_; // nested deliveries, innermost last
};

} // namespace qx::html::events
