#include "qx/html/layout/document_geometry.h"

namespace qx::html::layout {
namespace {

dom::ClientRect ToClient(const Rect& r) {
    return {r.left, r.top, r.Right(), r.Bottom()};
}

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
        g.scrollLeft = m.scrollLeft;
        g.scrollTop = m.scrollTop;
        g.scrollWidth = m.scrollWidth;
        g.scrollHeight = m.scrollHeight;
        return g;
    }
    std::optional<LONG> PercentWidthBase(dom::Node* element) override {
        return layout_.PercentWidthBase(element);
    }

    dom::TextPoint TextPointFromPoint(LONG clientX, LONG clientY) override {
        const TextPoint at = layout_.TextFromPoint(clientX, clientY);
        return {const_cast<dom::Node*>(at.node), at.offset};
    }

    dom::ClientRect BoundingClientRect(dom::Node* element) override {
        ElementMetrics m = layout_.Metrics(element);
        return m.rendered ? ToClient(m.boundingClientRect) : dom::ClientRect{};
    }
    std::vector<dom::ClientRect> ClientRects(dom::Node* element) override {
        std::vector<dom::ClientRect> out;
        for (const Rect& r : layout_.ClientRects(element))
            out.push_back(ToClient(r));
        return out;
    }
    void SetScroll(dom::Node* element, std::optional<LONG> left, std::optional<LONG> top) override {
        layout_.SetScroll(element, left ? std::optional<int>(*left) : std::nullopt,
                          top ? std::optional<int>(*top) : std::nullopt);
    }
    void ScrollIntoView(dom::Node* element, bool alignToTop) override {
        layout_.ScrollIntoView(element, alignToTop);
    }
    dom::Node* ElementFromPoint(LONG x, LONG y) override {
        return const_cast<dom::Node*>(layout_.ElementFromPoint(x, y));
    }
    std::u16string ComponentFromPoint(dom::Node* element, LONG x, LONG y) override {
        return layout_.ComponentFromPoint(element, x, y);
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
