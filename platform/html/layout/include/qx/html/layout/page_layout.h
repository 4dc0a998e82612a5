// The page's geometry: a box tree laid out from a document's node tree, its inline style and its
// attributes (style sheets do not take part), in whole pixels with fixed text metrics. The layout is
// made again lazily on the first read after the tree changes (its content version tells), after the
// viewport or a runtime style changes (Invalidate), so reads in a row cost nothing.
#pragma once

#include "qx/html/css/declarations.h"
#include "qx/html/dom/node_tree.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace qx::html::layout {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
};

// What the element members read; every number in pixels.
struct ElementMetrics {
    bool rendered = false; // false for display: none, detached nodes and what is not laid out
    const dom::Node* offsetParent = nullptr;
    int offsetLeft = 0;
    int offsetTop = 0;
    int offsetWidth = 0;
    int offsetHeight = 0;
    int clientLeft = 0;
    int clientTop = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int scrollWidth = 0;
    int scrollHeight = 0;
    int scrollLeft = 0; // clamped to [0, scrollWidth - clientWidth]
    int scrollTop = 0;
    Rect boundingClientRect; // the border box in client coordinates (page less the page's scroll)
};

// A place in the page's text: a text node and a character offset; for an element without text, the
// element and 0.
struct TextPosition {
    const dom::Node* node = nullptr;
    std::size_t offset = 0;
};

struct LayoutHooks {
    // The element's runtime style (above its inline style); null when it has none. Without a hook,
    // the one script gave the element (dom::RuntimeStyleOf).
    std::function<const css::DeclarationBlock*(const dom::Node&)> runtimeStyle;
    // The first bytes of an image named by an IMG's src; nothing when it cannot be read. Without a
    // hook, absolute paths and file: URLs are read from disk.
    std::function<std::optional<std::string>(std::u16string_view source)> readImage;
};

class PageLayout {
public:
    explicit PageLayout(dom::NodeTree& tree, LayoutHooks hooks = {});
    ~PageLayout();
    PageLayout(const PageLayout&) = delete;
    PageLayout& operator=(const PageLayout&) = delete;

    // The window's client area (1024 x 768 until set).
    void SetViewport(int width, int height);
    // For changes the tree's version does not see (runtime styles).
    void Invalidate();

    ElementMetrics Metrics(const dom::Node* element);
    // What a percentage width of the element counts from (the width of its containing block as
    // layout took it); nothing for an element that is not laid out as a block, table or positioned box.
    std::optional<int> PercentWidthBase(const dom::Node* element);
    // Scroll positions of the page (BODY or HTML) or of a scroll container, clamped as they are put.
    void SetScroll(const dom::Node* element, std::optional<int> left, std::optional<int> top);

    // The element at a point of the client area; null outside it; BODY on a scroll bar.
    const dom::Node* ElementFromPoint(int clientX, int clientY);
    // The text position nearest a point of the client area within the element there (where a click
    // puts the caret): the nearest line, then the nearest character boundary; null outside it.
    TextPosition TextPositionFromPoint(int clientX, int clientY);
    // "outside" outside the window, a "scrollbar..." part on a scroll bar, "" over content.
    std::u16string ComponentFromPoint(int clientX, int clientY);

    // One line per box: tag, page box, line fragments of inline elements.
    std::string Dump();

    struct Model;

private:
    const Model& Current();

    dom::NodeTree& tree_;
    LayoutHooks hooks_;
    int viewportWidth_ = 1024;
    int viewportHeight_ = 768;
    std::unique_ptr<Model> model_;
    std::uint64_t laidOutVersion_ = ~std::uint64_t{0};
    bool dirty_ = true;
    // Scroll positions as put; reads clamp them to the current layout.
    std::unordered_map<const dom::Node*, std::pair<int, int>> scrolls_;
};

} // namespace qx::html::layout
