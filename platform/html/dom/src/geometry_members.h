// The members that read and move the page's layout: scrolling, client rectangles, hit testing. They
// ask the document's geometry source; without one nothing scrolls, rectangles are empty and no
// point holds an element.
#pragma once

#include "dom_objects.h"

namespace qx::html::dom::geometry_members {

enum class ScrollMember { Left, Top, Width, Height };
HRESULT GetScroll(DomDocument& dom, Node* element, ScrollMember member, LONG* out);
// A put that moves the element's content queues its scroll event (QueueScrollEvent).
HRESULT PutScroll(DomDocument& dom, Node* element, ScrollMember member, LONG value);
// The element's scroll event, delivered from the thread's message queue as a scroll the user made
// would be (after the script that moved it has run); nothing without a page's events.
void QueueScrollEvent(DomDocument& dom, Node* element);
// An IHTMLRect.
HRESULT BoundingClientRect(DomDocument& dom, Node* element, IDispatch** out);
// An IHTMLRectCollection.
HRESULT ClientRects(DomDocument& dom, Node* element, IDispatch** out);
HRESULT ComponentFromPoint(DomDocument& dom, Node* element, LONG x, LONG y, BSTR* out);
// The argument is true (the default) to align the element's top with the view's.
HRESULT ScrollIntoView(DomDocument& dom, Node* element, const VARIANT& alignToTop);
HRESULT ElementFromPoint(const DomPtr& dom, LONG x, LONG y, IDispatch** out);

} // namespace qx::html::dom::geometry_members
