// A sink on the edited document's IDispatch connection point: it hears the document's events
// (HTMLDocumentEvents' DISPIDs) while window.event is theirs, after the page's own handlers.
#pragma once

#include "ocidl.h"
#include "qx/com/comptr.h"

#include <functional>

namespace qx::html::editing::control {

class DocumentSink {
public:
    // The callback answers true to cancel the event's default action.
    using Callback = std::function<bool(DISPID)>;
    // Advises on the document's container; a document without one advises nothing.
    DocumentSink(IUnknown* document, Callback callback);
    ~DocumentSink();
    DocumentSink(const DocumentSink&) = delete;
    DocumentSink& operator=(const DocumentSink&) = delete;

private:
    com::ComPtr<IConnectionPoint> point_;
    com::ComPtr<IDispatch> sink_;
    DWORD cookie_ = 0;
};

} // namespace qx::html::editing::control
