// The document-view window: what IOleWindow of the edited document answers and what the form
// control subclasses. Each input message goes first to the hidden page window of the document
// (the DOM events), then, unless an event was cancelled and while the document is editable, to
// the editing session.
#pragma once

#include "wintypes.h"
#include "winuser_message.h"

namespace qx::html::editing::control {

class EditedDocument;

// Posted to the view: a document's completion, and a designMode reload (wParam: the serial the
// control expects, so that a stale message is dropped).
inline constexpr UINT kCompleteMessage = WM_APP + 0x51;
inline constexpr UINT kReloadMessage = WM_APP + 0x52;

class DocumentViewOwner {
public:
    virtual EditedDocument* ViewDocument() = 0;
    // Around the page window's handling of one input message.
    virtual void BeginInput() = 0;
    virtual bool InputCancelled() const = 0;
    virtual void EndInput() = 0;
    virtual void OnViewResized(int width, int height) = 0;
    virtual void OnQueuedMessage(UINT message, WPARAM serial) = 0;

protected:
    ~DocumentViewOwner() = default;
};

inline constexpr char16_t kDocumentViewClass[] = u"DHTMLEditView";

// A hidden top-level window until the control's window takes it as its child.
HWND CreateDocumentView(DocumentViewOwner* owner);

} // namespace qx::html::editing::control
