#include "qx/html/layout/document_geometry.h"

namespace qx::html::layout {
namespace {

class LayoutGeometry final : public dom::GeometrySource {
public:
    LayoutGeometry(dom::NodeTree& tree, LayoutHooks hooks) : layout_(tree, std::move(hooks)) {}

    dom::ElementGeometry Geometry(dom::Node* element) override {
        ElementMetrics m = layout_.Metrics(element);
        dom::ElementGeometry g;
        g.offsetParent = const_cast<dom::Node*>(m.offsetParent);
        g.offsetLeft = m.offsetLeft;
        g.offsetTop = m.offsetTop;
        g.offsetWidth = m.offsetWidth;
        g.offsetHeight = m.offsetHeight;
        g.clientLeft = m.clientLeft;
        g.clientTop = m.clientTop;
        g.clientWidth = m.clientWidth;
        g.clientHeight = m.clientHeight;
        return g;
    }
    std::optional<LONG> PercentWidthBase(dom::Node* element) override {
        return layout_.PercentWidthBase(element);
    }

    dom::TextPoint TextPointFromPoint(LONG clientX, LONG clientY) override {
        const TextPosition at = layout_.TextPositionFromPoint(clientX, clientY);
        return {const_cast<dom::Node*>(at.node), at.offset};
    }

    PageLayout layout_;
};

} // namespace

PageLayout& AttachLayout(dom::DomDocument& document, LayoutHooks hooks) {
    auto source = std::make_unique<LayoutGeometry>(document.tree, std::move(hooks));
    PageLayout& layout = source->layout_;
    document.geometry = std::move(source);
    return layout;
}

} // namespace qx::html::layout
