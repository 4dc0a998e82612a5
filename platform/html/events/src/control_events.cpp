// A hosted control's events at its OBJECT element: the handlers get the event's own arguments,
// as `<script for="id" event="Name(a, b)">` declares them, and window.event is an event object of
// the event's name at the OBJECT element while they run.
#include "event_object.h"

#include "qx/html/events/page_events.h"

#include "oleauto.h"

namespace qx::html::events {

void PageEvents::CallControlEvent(dom::Node* node, std::u16string_view name,
                                  std::vector<com::Variant>& args) {
    const auto found = handlers_.find(node);
    if (!node || name.empty() || found == handlers_.end())
        return;
    // An event named like a DOM handler ("onclick") keeps its name, as `<script for event>` does.
    const std::u16string lower = dom::LowerAscii(name);
    const std::u16string key = lower.starts_with(u"on") ? lower : u"on" + lower;
    // Taken before they run: a handler may detach itself or close the page's controls.
    std::vector<com::ComPtr<IDispatch>> handlers;
    const auto property = found->second.properties.find(key);
    if (property != found->second.properties.end() && property->second.second)
        handlers.push_back(property->second.second);
    const auto attached = found->second.attached.find(key);
    if (attached != found->second.attached.end())
        handlers.insert(handlers.end(), attached->second.begin(), attached->second.end());
    com::ComPtr<IDispatch> element;
    com::ComPtr<IDispatch> event;
    EventInit init;
    init.type = std::u16string(name);
    if (FAILED(dom::NodeObjectOf(dom_, node, &element)) ||
        FAILED(CreateEventObject(init, element.Get(), &event)))
        return;
    dom_->tree.Hold(node);
    current_.push_back(event);
    for (const com::ComPtr<IDispatch>& handler : handlers) {
        // Script takes its arguments last first.
        std::vector<VARIANT> reversed(args.size());
        for (std::size_t i = 0; i < args.size(); ++i) {
            VariantInit(&reversed[args.size() - 1 - i]);
            reversed[args.size() - 1 - i].vt = VT_BYREF | VT_VARIANT;
            reversed[args.size() - 1 - i].pvarVal = &args[i];
        }
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        com::Variant result;
        Invoke(handler.Get(), params, result);
    }
    current_.pop_back();
    dom_->tree.Release(node);
}

} // namespace qx::html::events
