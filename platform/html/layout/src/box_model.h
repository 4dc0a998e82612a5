// The laid-out page: one box per rendered element in pre-order (a subtree's boxes are contiguous, so
// moving a subtree moves a range), page coordinates throughout.
#pragma once

#include "element_style.h"
#include "qx/html/layout/page_layout.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace qx::html::layout {

// The smallest rectangle holding both.
inline Rect Union(const Rect& a, const Rect& b) {
    int right = std::max(a.Right(), b.Right());
    int bottom = std::max(a.Bottom(), b.Bottom());
    Rect u{std::min(a.left, b.left), std::min(a.top, b.top), 0, 0};
    u.width = right - u.left;
    u.height = bottom - u.top;
    return u;
}

// A run of one text node's characters placed on a line: a word, or the space between two.
struct TextRun {
    const dom::Node* text = nullptr;
    std::uint32_t begin = 0; // UTF-16 offsets in the node's text
    std::uint32_t end = 0;
    int font = 0; // px
    Rect rect;
};

// What a block-level element was laid out from, so that a relayout can move its boxes instead of
// laying it out again when neither it nor what it inherits has changed.
struct LaidOutFrom {
    int x = 0;
    int y = 0;
    int width = 0;
    bool widthMatters = true; // false when a pixel width of its own sizes it, whatever its container's
    int sameFrom = 0;         // a container at least this wide lays it out alike (0: no such width)
    bool centered = false;
    int height = 0; // what it took, margins included
    bool valid = false;
};

struct Box {
    const dom::Node* node = nullptr;
    int parent = -1;
    std::size_t end = 0; // one past the subtree's last box
    Rect border;         // the border box
    int borderWidth[4] = {};
    Display display = Display::Block;
    Position position = Position::Static;
    Overflow overflow = Overflow::Visible;
    std::vector<Rect> fragments; // an inline element's line fragments
    std::vector<int> cells;      // a TABLE's cell boxes
    int scrollWidth = 0;         // content extent from the padding box origin
    int scrollHeight = 0;
    bool verticalBar = false;
    bool horizontalBar = false;
    int percentBase = 0;        // what a percentage width of the element counts from
    std::vector<TextRun> texts; // the text placed directly in this box
    LaidOutFrom from;           // block-level elements
    bool holdsAbsolute = false; // a positioned box out of flow lies below it

    int PaddingLeft() const { return border.left + borderWidth[3]; }
    int PaddingTop() const { return border.top + borderWidth[0]; }
    int PaddingWidth() const { return border.width - borderWidth[1] - borderWidth[3]; }
    int PaddingHeight() const { return border.height - borderWidth[0] - borderWidth[2]; }
};

struct PageLayout::Model {
    std::vector<Box> boxes;
    std::unordered_map<const dom::Node*, int> index;
    std::vector<int> absolutes; // positioned boxes out of flow, in tree order
    const dom::Node* html = nullptr;
    const dom::Node* body = nullptr;
    int viewportWidth = 0;
    int viewportHeight = 0;
    int clientWidth = 0; // the viewport less its scroll bars
    int clientHeight = 0;
    int scrollWidth = 0; // the page's content size
    int scrollHeight = 0;
    bool verticalBar = false;
    bool horizontalBar = false;

    // The index keeps entries of nodes no longer laid out (a relayout overwrites rather than
    // clears it); an entry counts only while its box is the node's.
    int IndexOf(const dom::Node* node) const {
        auto it = index.find(node);
        if (it == index.end() || it->second < 0 || static_cast<std::size_t>(it->second) >= boxes.size() ||
            boxes[it->second].node != node)
            return -1;
        return it->second;
    }
    const Box* Find(const dom::Node* node) const {
        int i = IndexOf(node);
        return i < 0 ? nullptr : &boxes[i];
    }
};

struct Intrinsic {
    int min = 0;
    int max = 0;
};

} // namespace qx::html::layout

namespace qx::html::layout {

// The element offsetLeft/Top count from: the nearest positioned ancestor; for an element that is
// not positioned itself the nearest TD, TH or TABLE on the way; else BODY. Null for BODY and HTML.
const dom::Node* OffsetParentOf(const PageLayout::Model& model, const dom::Node* element);

} // namespace qx::html::layout
