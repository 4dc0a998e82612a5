// The page's geometry: a box tree laid out from a document's node tree, its inline style and its
// attributes (style sheets do not take part), in whole pixels with fixed text metrics. The layout is
// made again lazily on the first read after the tree changes (its content version tells), after the
// viewport or a runtime style changes (Invalidate), so reads in a row cost nothing. A relayout after
// changes the tree recorded redoes only what they reach (see layouter.h).
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
#include <vector>

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
    // The border box in client coordinates: the page box less the page's scroll and the scroll of
    // every scroll container the element sits in.
    Rect boundingClientRect;
};

// A place in the page: a text node and the offset of a character in it (UTF-16 units), or an
// element and a child index (the place before that child).
struct TextPoint {
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

class Layouter;

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
    // How many times the page has been laid out, wholly or in part (for benchmarks that report
    // the relayouts an operation causes).
    std::uint64_t LayoutCount() const { return layoutCount_; }

    ElementMetrics Metrics(const dom::Node* element);
    // What a percentage width of the element counts from (the width of its containing block as
    // layout took it); nothing for an element that is not laid out as a block, table or positioned box.
    std::optional<int> PercentWidthBase(const dom::Node* element);
    // Scroll positions of the page (BODY or HTML) or of a scroll container, clamped as they are put.
    void SetScroll(const dom::Node* element, std::optional<int> left, std::optional<int> top);

    // Scrolls the page and the scroll containers the element sits in, innermost first, so that its
    // border box shows: its top at the top of each view (alignToTop) or its bottom at the bottom;
    // across, only where its left edge is out of view.
    void ScrollIntoView(const dom::Node* element, bool alignToTop);

    // The element at a point of the client area; null outside it; BODY on the page's scroll bars.
    const dom::Node* ElementFromPoint(int clientX, int clientY);
    // The page's part at a point: "outside" outside the window, a "scrollbar..." part on a scroll
    // bar, "" over content.
    std::u16string ComponentFromPoint(int clientX, int clientY);
    // An element's part at a point: "outside" outside its border box, a part of its own scroll
    // bars, "" elsewhere inside. BODY and HTML answer for the page.
    std::u16string ComponentFromPoint(const dom::Node* element, int clientX, int clientY);
    // The client rectangles of an element: its border box, or an inline element's line fragments;
    // none for what is not rendered.
    std::vector<Rect> ClientRects(const dom::Node* element);

    // Where a point of the client area falls in the text, for placing a caret or a text range
    // there (moveToPoint): the text of the line under the point inside the element the point hits
    // (the line nearest to the point when it lies between lines), at the character boundary
    // nearest to the point's x (the end of the line past its right end). An element hit that
    // holds no laid-out text gives itself and 0, a replaced one (an image, a field) the place
    // beside it on the nearer side, since no caret goes inside it; null outside the window.
    TextPoint TextFromPoint(int clientX, int clientY);

    // One line per box: tag, page box, line fragments of inline elements.
    std::string Dump();
    // A picture of the page for a quick look: a binary PBM ("P4") as large as the page's scroll
    // size (at most kPictureSide pixels a side), black where a box's border edge or an inline
    // element's line fragment edge runs.
    static constexpr int kPictureSide = 8192;
    std::string Picture();

    struct Model;

private:
    const Model& Current();
    // The clamped scroll of the page or of a scroll container (box index).
    std::pair<int, int> ScrollOf(int box);
    // How far the scroll containers above a box (not the page) have moved it.
    std::pair<int, int> ContainerScroll(int box);

    dom::NodeTree& tree_;
    LayoutHooks hooks_;
    int viewportWidth_ = 1024;
    int viewportHeight_ = 768;
    std::unique_ptr<Model> model_;
    std::unique_ptr<Layouter> layouter_;
    std::uint64_t laidOutVersion_ = ~std::uint64_t{0};
    bool dirty_ = true;
    std::uint64_t layoutCount_ = 0;
    bool forgetAll_ = true; // nothing of the last layout may be kept (runtime styles changed)
    // Scroll positions as put; reads clamp them to the current layout.
    std::unordered_map<const dom::Node*, std::pair<int, int>> scrolls_;
};

} // namespace qx::html::layout
