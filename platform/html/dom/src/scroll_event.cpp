// The scroll event of a scroll that script made: queued on the thread's message queue, so that it
// reaches the handlers after the script that moved the element, as the old browser delivered it.
#include "geometry_members.h"

#include "oleauto.h"
#include "processthreadsapi.h"
#include "qx/win32/message_queue.h"

#include <memory>

namespace qx::html::dom::geometry_members {

void QueueScrollEvent(DomDocument& dom, Node* element) {
    if (!dom.events || !element)
        return;
    // The events hold the document: while they can be reached, so can the node held here.
    std::weak_ptr<ElementEvents> events = dom.events;
    dom.tree.Hold(element);
    auto deliver = [events, element] {
        const std::shared_ptr<ElementEvents> alive = events.lock();
        if (!alive)
            return; // the page closed: the tree goes with its document, hold and all
        VARIANT none;
        VariantInit(&none);
        alive->Fire(element, u"onscroll", none, nullptr);
        element->tree->Release(element);
    };
    auto abandon = [events, element] {
        if (events.lock())
            element->tree->Release(element);
    };
    if (!win32::PostThreadCall(GetCurrentThreadId(), deliver, abandon))
        dom.tree.Release(element);
}

} // namespace qx::html::dom::geometry_members
