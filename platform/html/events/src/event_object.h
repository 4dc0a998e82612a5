// The event object script sees as window.event (IHTMLEventObj, IHTMLEventObj2).
#pragma once

#include "qx/html/events/page_events.h"

#include "mshtml.h"

// Where delivery reads and writes an event object's state.
QX_DECLARE_INTERFACE(IEventState, "{4B7E0C61-2F55-4E0B-9C3E-6A1D2B9F0E37}");
struct IEventState : IUnknown {
    virtual qx::html::events::EventInit& STDMETHODCALLTYPE Init() = 0;
    virtual bool STDMETHODCALLTYPE CancelBubble() = 0;
    virtual bool STDMETHODCALLTYPE Cancelled() = 0;
    virtual void STDMETHODCALLTYPE SetCancelled() = 0;
    // Takes the key, button, coordinates and custom attributes of another event object.
    virtual void STDMETHODCALLTYPE CopyFrom(IEventState* from) = 0;

protected:
    ~IEventState() = default;
};

namespace qx::html::events {

HRESULT CreateEventObject(const EventInit& init, IDispatch* source, IDispatch** event);

} // namespace qx::html::events
