// The document window: the window a page is shown in (class "Internet Explorer_Server"). It turns
// the mouse and keyboard messages a screen (or the UI driver) sends into the page's DOM events, at
// the element under the point or at the focus, and does the default action when nothing cancelled
// the event.
#pragma once

#include "qx/html/layout/page_layout.h"

#include "mshtml.h"
#include "wintypes.h"

namespace qx::html::events {

inline constexpr char16_t kPageWindowClass[] = u"Internet Explorer_Server";

// Makes the window of a document of this browser, a child of parent (top-level without one) at
// rect in the parent's client coordinates. The layout is the document's (layout::AttachLayout);
// its viewport follows the window's client size. The window keeps the document and its events
// until it is destroyed. Null for a document that is not this browser's.
HWND CreatePageWindow(IHTMLDocument2* document, layout::PageLayout& layout, HWND parent, const RECT& rect);

} // namespace qx::html::events
