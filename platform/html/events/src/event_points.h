// The connection points of one element, of the document or of the window: a container answering
// the node's event interfaces, with IID_IDispatch standing for the node's default one.
#pragma once

#include "qx/html/events/page_events.h"

#include "qx/com/connection_point.h"
#include "qx/com/dispatch_decl.h"

#include <atomic>
#include <string_view>
#include <vector>

namespace qx::html::events {

// The event interfaces a node offers, its default one first.
std::vector<const com::DispInterface*> EventInterfacesOf(const dom::Node& node);
// The window's.
std::vector<const com::DispInterface*> WindowEventInterfaces();

// A tear-off of its owner (an element, the document or the window): IConnectionPointContainer is
// its own, every other interface (IUnknown included) is the owner's, so identity holds while the
// owner's object changes over the node's life. It holds its node (and so the document) while
// anybody holds it or one of its points.
class EventPoints final : public com::ConnectionPointContainerImpl {
public:
    // The points of an element or the document node; of the window for a null node.
    EventPoints(dom::DomPtr dom, dom::Node* node);
    ~EventPoints();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // Calls Invoke(DISPID of `name`, no arguments) on each sink of each point whose interface has
    // the event: the default interface's point, HTMLElementEvents', then IDispatch's, each in
    // advise order. False when a sink answered VT_BOOL false (whatever its HRESULT).
    bool Fire(std::u16string_view name) const;

private:
    struct Point {
        com::ConnectionPoint* point;
        const com::DispInterface* decl;
    };
    // The current object of the node, or the window's script global; null when there is none.
    com::ComPtr<IUnknown> Owner() const;

    std::vector<Point> points_;
    dom::DomPtr dom_;
    dom::Node* node_;
    std::atomic<ULONG> refs_{0};
};

} // namespace qx::html::events
