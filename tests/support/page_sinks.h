// The sinks advised to a page's nodes (the document node and every element), counted through the
// connection points the page's events give them: what components leave behind when they go.
#pragma once

#include "ocidl.h"
#include "qx/com/comptr.h"
#include "qx/html/dom/html_document.h"

#include <cstddef>

namespace qxtest {

inline std::size_t AdvisedSinks(const qx::html::dom::DomPtr& dom) {
    if (!dom || !dom->events)
        return 0;
    std::size_t count = 0;
    qx::html::dom::Node* root = dom->tree.Document();
    for (qx::html::dom::Node* node = root; node; node = qx::html::dom::NextInTree(node, root)) {
        IConnectionPointContainer* container = dom->events->ConnectionPoints(node);
        qx::com::ComPtr<IEnumConnectionPoints> points;
        if (!container || FAILED(container->EnumConnectionPoints(&points)))
            continue;
        IConnectionPoint* point = nullptr;
        while (points->Next(1, &point, nullptr) == S_OK) {
            qx::com::ComPtr<IEnumConnections> connections;
            if (SUCCEEDED(point->EnumConnections(&connections))) {
                CONNECTDATA data{};
                while (connections->Next(1, &data, nullptr) == S_OK) {
                    ++count;
                    if (data.pUnk)
                        data.pUnk->Release();
                }
            }
            point->Release();
        }
    }
    return count;
}

} // namespace qxtest
