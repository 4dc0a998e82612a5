// Block flow and inline flow: blocks stack, inline content forms line boxes with greedy wrapping at
// ASCII spaces, BR breaks, whitespace collapses and a text node of only whitespace is nothing.
#include "layouter.h"

#include <algorithm>
#include <cstdint>

namespace qx::html::layout {

struct Layouter::Item {
    enum class Kind { Word, Space, Atomic, Break } kind = Kind::Word;
    int width = 0;
    int height = 0;
    int ownerBox = -1;  // the innermost inline element's box
    int atomicBox = -1; // a replaced element's box
    bool breakable = true;
    int x = 0;
    int line = 0;
    const dom::Node* text = nullptr; // words and spaces: the characters [begin, end) of a text node
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    int font = 0;
    bool placed = false; // given a place on a line (a space only between two words)
};

namespace {

bool IsCollapsible(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

} // namespace

const ElementStyle& Layouter::Style(const dom::Node* element) {
    auto it = styles_.find(element);
    if (it != styles_.end())
        return it->second;
    ElementStyle style = ReadStyle(*element, Runtime(element));
    if ((element->name == u"ul" || element->name == u"ol") && style.padding[3] == 0)
        style.padding[3] = 40;
    if (element->parent && element->parent->IsElement()) {
        const ElementStyle& parent = Style(element->parent);
        style.noWrap = style.noWrap || parent.noWrap;
        style.pre = style.pre || parent.pre;
    }
    return styles_.emplace(element, std::move(style)).first->second;
}

int Layouter::Font(const dom::Node* element) {
    auto it = fonts_.find(element);
    if (it != fonts_.end())
        return it->second;
    int inherited =
        element->parent && element->parent->IsElement() ? Font(element->parent) : kDefaultFontPixels;
    int px = Style(element).fontPixels.value_or(inherited);
    fonts_.emplace(element, px);
    return px;
}

bool Layouter::IsBlockLevel(const dom::Node* node) {
    if (!node->IsElement())
        return false;
    auto it = blockLevel_.find(node);
    if (it != blockLevel_.end())
        return it->second;
    Display d = Style(node).display;
    bool block = d == Display::Block || d == Display::Table || d == Display::Cell || d == Display::Row ||
                 d == Display::RowGroup;
    if (d == Display::Inline) // an inline element holding a block lays out as a block
        for (const dom::Node* c = node->firstChild; c && !block; c = c->next)
            block = IsBlockLevel(c) && Style(c).position != Position::Absolute;
    blockLevel_.emplace(node, block);
    return block;
}

int Layouter::NewBox(const dom::Node* element, int parent) {
    Box box;
    box.node = element;
    box.parent = parent;
    const ElementStyle& st = Style(element);
    box.display = st.display;
    box.position = st.position;
    box.overflow = st.overflow;
    model_.boxes.push_back(std::move(box));
    int index = static_cast<int>(model_.boxes.size() - 1);
    model_.index[element] = index;
    return index;
}

void Layouter::SetBorders(Box& box, const ElementStyle& style) {
    std::copy(std::begin(style.border), std::end(style.border), box.borderWidth);
}

void Layouter::Shift(int firstBox, int dx, int dy, int end) {
    if (dx == 0 && dy == 0)
        return;
    std::size_t last = end < 0 ? model_.boxes.size() : static_cast<std::size_t>(end);
    for (std::size_t i = firstBox; i < last; ++i) {
        Box& b = model_.boxes[i];
        b.border.left += dx;
        b.border.top += dy;
        for (Rect& f : b.fragments) {
            f.left += dx;
            f.top += dy;
        }
        ShiftTexts(b, dx, dy);
        b.from.x += dx;
        b.from.y += dy;
    }
}

void Layouter::ShiftTexts(Box& box, int dx, int dy) {
    for (TextRun& t : box.texts) {
        t.rect.left += dx;
        t.rect.top += dy;
    }
}

void Layouter::ForgetAll() {
    styles_.clear();
    fonts_.clear();
    intrinsic_.clear();
    blockLevel_.clear();
    grids_.clear();
    replaced_.clear();
    changed_.clear();
    changedUp_.clear();
    mayReuse_ = false;
}

void Layouter::Forget(const std::vector<const dom::Node*>& changed) {
    for (const dom::Node* c : changed) {
        // What the node and its subtree read of themselves and inherit.
        for (const dom::Node* n = c; n; n = NextInTree(n, c)) {
            styles_.erase(n);
            fonts_.erase(n);
            blockLevel_.erase(n);
            intrinsic_.erase(n);
            grids_.erase(n);
            replaced_.erase(n);
        }
        // What the ancestors measured of their content.
        for (const dom::Node* a = c; a; a = a->parent) {
            intrinsic_.erase(a);
            blockLevel_.erase(a);
            grids_.erase(a);
            replaced_.erase(a);
            changedUp_.insert(a);
        }
        changed_.insert(c);
    }
}

bool Layouter::BelowChange(const dom::Node* element) const {
    if (changedUp_.count(element))
        return true; // it changed, or something below it did
    for (const dom::Node* a = element->parent; a; a = a->parent)
        if (changed_.count(a))
            return true;
    return false;
}

std::optional<int> Layouter::Reuse(const dom::Node* element, int parentBox, int x, int y, int width) {
    if (!mayReuse_)
        return std::nullopt;
    auto it = model_.index.find(element);
    if (it == model_.index.end() || it->second < 0 ||
        static_cast<std::size_t>(it->second) >= previous_.size())
        return std::nullopt;
    const int old = it->second;
    const Box& first = previous_[old];
    const bool alike =
        !first.from.widthMatters || first.from.width == width ||
        (first.from.sameFrom > 0 && first.from.width >= first.from.sameFrom && width >= first.from.sameFrom);
    if (first.node != element || !first.from.valid || first.holdsAbsolute || !alike ||
        first.from.centered != (centerDepth_ > 0) || BelowChange(element))
        return std::nullopt;
    const int dx = x - first.from.x, dy = y - first.from.y;
    const int height = first.from.height;
    const std::size_t end = first.end;
    const int at = static_cast<int>(model_.boxes.size());
    const int moved = at - old;
    // The old boxes are taken, not copied: nothing else reads them, and a second try at the same
    // element finds its first box no longer valid.
    model_.boxes.insert(model_.boxes.end(), std::make_move_iterator(previous_.begin() + old),
                        std::make_move_iterator(previous_.begin() + static_cast<std::ptrdiff_t>(end)));
    previous_[old].from.valid = false;
    model_.boxes[at].parent = parentBox;
    model_.boxes[at].percentBase = width; // what a percentage of its own counts from
    if (moved != 0) { // else every index and link is still right (a round for the page's bars)
        for (std::size_t i = at; i < model_.boxes.size(); ++i) {
            Box& b = model_.boxes[i];
            if (i != static_cast<std::size_t>(at))
                b.parent += moved;
            b.end += moved;
            for (int& cell : b.cells)
                cell += moved;
            model_.index[b.node] = static_cast<int>(i);
        }
    }
    Shift(at, dx, dy);
    return height;
}

void Layouter::CollectInline(const dom::Node* node, std::vector<Item>& items, int parentBox, bool measuring,
                             bool noWrap, bool pre) {
    if (node->type == dom::NodeType::Text) {
        const std::u16string& text = node->text;
        int font = node->parent && node->parent->IsElement() ? Font(node->parent) : kDefaultFontPixels;
        int line = LineHeight(font);
        if (!pre && std::all_of(text.begin(), text.end(), IsCollapsible))
            return;
        std::size_t i = 0;
        while (i < text.size()) {
            if (pre && text[i] == u'\n') {
                items.push_back({Item::Kind::Break, 0, line, parentBox});
                ++i;
            } else if (IsCollapsible(text[i])) {
                std::size_t j = i;
                while (j < text.size() && IsCollapsible(text[j]) && !(pre && text[j] == u'\n'))
                    ++j;
                int width = pre ? static_cast<int>(j - i) * Advance(u' ', font) : Advance(u' ', font);
                if (pre || items.empty() || items.back().kind != Item::Kind::Space)
                    items.push_back({Item::Kind::Space, width, line, parentBox, -1, !noWrap, 0, 0, node,
                                     static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j), font});
                i = j;
            } else {
                std::size_t j = i;
                while (j < text.size() && !IsCollapsible(text[j]))
                    ++j;
                items.push_back({Item::Kind::Word,
                                 TextWidth(std::u16string_view(text).substr(i, j - i), font), line, parentBox,
                                 -1, true, 0, 0, node, static_cast<std::uint32_t>(i),
                                 static_cast<std::uint32_t>(j), font});
                i = j;
            }
        }
        return;
    }
    if (!node->IsElement())
        return;
    const ElementStyle& st = Style(node);
    if (st.display == Display::None)
        return;
    if (st.position == Position::Absolute) {
        if (!measuring)
            pendingAbsolutes_.emplace_back(node, parentBox);
        return;
    }
    if (node->name == u"br") {
        int box = measuring ? -1 : NewBox(node, parentBox);
        if (box >= 0)
            model_.boxes[box].end = model_.boxes.size();
        items.push_back({Item::Kind::Break, 0, LineHeight(Font(node)), parentBox, box});
        return;
    }
    if (st.display == Display::Replaced) {
        Rect size = ReplacedSize(node);
        int box = measuring ? -1 : NewBox(node, parentBox);
        if (box >= 0) {
            SetBorders(model_.boxes[box], st);
            model_.boxes[box].border = size;
            model_.boxes[box].end = model_.boxes.size();
        }
        items.push_back({Item::Kind::Atomic, size.width, size.height, parentBox, box});
        return;
    }
    int box = measuring ? -1 : NewBox(node, parentBox);
    for (const dom::Node* c = node->firstChild; c; c = c->next)
        CollectInline(c, items, box >= 0 ? box : parentBox, measuring, noWrap || st.noWrap, pre || st.pre);
    if (box >= 0)
        model_.boxes[box].end = model_.boxes.size();
}

int Layouter::PlaceInline(std::vector<Item>& items, int x, int y, int width, bool center) {
    if (items.empty())
        return 0;
    // Lines: greedy, a line breaks at a breakable space when the next word would pass the width.
    int line = 0;
    int lineX = 0;
    bool lineHasContent = false;
    int pendingSpace = -1; // the space item waiting between two words
    std::vector<int> lineWidths(1, 0);
    for (std::size_t i = 0; i < items.size(); ++i) {
        Item& item = items[i];
        item.line = line;
        if (item.kind == Item::Kind::Break) {
            item.x = lineX;
            ++line;
            lineX = 0;
            lineHasContent = false;
            pendingSpace = -1;
            lineWidths.push_back(0);
            continue;
        }
        if (item.kind == Item::Kind::Space) {
            if (lineHasContent && pendingSpace < 0)
                pendingSpace = static_cast<int>(i);
            continue;
        }
        int space = pendingSpace >= 0 ? items[pendingSpace].width : 0;
        bool canBreak = pendingSpace >= 0 && items[pendingSpace].breakable;
        if (lineHasContent && canBreak && lineX + space + item.width > width) {
            ++line;
            lineX = 0;
            space = 0;
            lineWidths.push_back(0);
        }
        if (pendingSpace >= 0 && space > 0) {
            items[pendingSpace].x = lineX;
            items[pendingSpace].line = line;
            items[pendingSpace].placed = true;
        }
        lineX += space;
        item.x = lineX;
        item.line = line;
        item.placed = true;
        lineX += item.width;
        lineWidths[line] = lineX;
        lineHasContent = true;
        pendingSpace = -1;
    }
    // Heights: the tallest item of each line; a line of only replaced elements is as tall as the
    // tallest of them.
    std::vector<int> lineHeights(lineWidths.size(), 0);
    for (const Item& item : items)
        if (item.kind != Item::Kind::Space)
            lineHeights[item.line] = std::max(lineHeights[item.line], item.height);
    std::vector<int> lineTops(lineWidths.size(), y);
    for (std::size_t l = 1; l < lineTops.size(); ++l)
        lineTops[l] = lineTops[l - 1] + lineHeights[l - 1];
    // A break that ends the content does not start a line of its own.
    std::size_t usedLines = lineWidths.size();
    if (items.back().kind == Item::Kind::Break && usedLines > 1)
        --usedLines;
    for (Item& item : items) {
        int shift = center ? std::max(0, (width - lineWidths[item.line]) / 2) : 0;
        int left = x + item.x + shift;
        int top = lineTops[item.line];
        int lineHeight = lineHeights[item.line];
        if (item.atomicBox >= 0) {
            Rect& r = model_.boxes[item.atomicBox].border;
            r.left = left;
            r.top = item.kind == Item::Kind::Atomic ? top + lineHeight - item.height : top;
            if (item.kind == Item::Kind::Break)
                r.height = lineHeight;
        }
        if (item.kind == Item::Kind::Break || (item.kind == Item::Kind::Space && item.width == 0))
            continue;
        Rect piece{left, top, item.width, item.kind == Item::Kind::Atomic ? item.height : lineHeight};
        if (item.text && item.placed && item.ownerBox >= 0)
            model_.boxes[item.ownerBox].texts.push_back({item.text, item.begin, item.end, item.font, piece});
        for (int b = item.ownerBox; b >= 0 && model_.boxes[b].display == Display::Inline;
             b = model_.boxes[b].parent) {
            std::vector<Rect>& fragments = model_.boxes[b].fragments;
            if (!fragments.empty() && fragments.back().top == top) {
                fragments.back() = Union(fragments.back(), piece);
            } else {
                fragments.push_back(piece);
            }
        }
    }
    int height = 0;
    for (std::size_t l = 0; l < usedLines; ++l)
        height += lineHeights[l];
    return height;
}

Intrinsic Layouter::ItemsIntrinsic(const std::vector<Item>& items) {
    Intrinsic result;
    int lineWidth = 0;   // the unwrapped line
    int unbreakable = 0; // the run since the last chance to break
    int pendingSpace = 0;
    bool spaceBreaks = false;
    for (const Item& item : items) {
        if (item.kind == Item::Kind::Break) {
            lineWidth = unbreakable = pendingSpace = 0;
        } else if (item.kind == Item::Kind::Space) {
            if (lineWidth > 0) {
                pendingSpace = item.width;
                spaceBreaks = item.breakable;
            }
        } else {
            lineWidth += pendingSpace + item.width;
            unbreakable = (spaceBreaks ? 0 : unbreakable + pendingSpace) + item.width;
            pendingSpace = 0;
            spaceBreaks = false;
        }
        result.max = std::max(result.max, lineWidth);
        result.min = std::max(result.min, unbreakable);
    }
    return result;
}

int Layouter::LayoutChildren(const dom::Node* container, int parentBox, int x, int y, int width,
                             bool center) {
    int cy = y;
    std::vector<Item> run;
    const ElementStyle& cst = Style(container);
    auto flush = [&] {
        cy += PlaceInline(run, x, cy, width, center);
        run.clear();
    };
    for (const dom::Node* c = container->firstChild; c; c = c->next) {
        if (c->IsElement() && IsBlockLevel(c) && Style(c).position != Position::Absolute) {
            flush();
            cy += LayoutBlockLevel(c, parentBox, x, cy, width);
        } else {
            CollectInline(c, run, parentBox, false, cst.noWrap, cst.pre);
        }
    }
    flush();
    return cy - y;
}

int Layouter::LayoutBlockLevel(const dom::Node* element, int parentBox, int x, int y, int width) {
    if (Style(element).display == Display::None)
        return 0;
    if (std::optional<int> height = Reuse(element, parentBox, x, y, width))
        return *height;
    std::size_t first = model_.boxes.size();
    int height = LayoutBlockLevelAfresh(element, parentBox, x, y, width);
    if (first < model_.boxes.size() && model_.boxes[first].node == element) {
        const ElementStyle& st = Style(element);
        bool aligned = st.display == Display::Table &&
                       (centerDepth_ > 0 || EqualsNoCase(element->AttributeValue(u"align"), u"center"));
        int sameFrom = st.display == Display::Table && !aligned ? TableSameFrom(element) : 0;
        model_.boxes[first].from = {x,      y,   width, !st.width || aligned, sameFrom, centerDepth_ > 0,
                                    height, true};
    }
    return height;
}

int Layouter::LayoutBlockLevelAfresh(const dom::Node* element, int parentBox, int x, int y, int width) {
    const ElementStyle& st = Style(element);
    if (st.display == Display::Table) {
        std::size_t first = model_.boxes.size();
        int height = LayoutTable(element, parentBox, x, y, width);
        const Rect& r = model_.boxes[first].border;
        if (centerDepth_ > 0 || EqualsNoCase(element->AttributeValue(u"align"), u"center"))
            Shift(static_cast<int>(first), std::max(0, (width - r.width) / 2), 0);
        return height;
    }
    int horizontal = st.border[1] + st.border[3] + st.padding[1] + st.padding[3];
    int contentWidth = st.width      ? *st.width
                       : st.widthPct ? static_cast<int>(*st.widthPct * width / 100) - horizontal
                                     : width - st.margin[1] - st.margin[3] - horizontal;
    int box = NewBox(element, parentBox);
    model_.boxes[box].percentBase = width;
    int height = LayoutBlockBox(element, box, x + st.margin[3], y + st.margin[0], std::max(0, contentWidth));
    if (st.position == Position::Relative)
        Shift(box, st.left.value_or(0), st.top.value_or(0));
    return st.margin[0] + height + st.margin[2];
}

int Layouter::LayoutBlockBox(const dom::Node* element, int box, int x, int y, int contentWidth) {
    const ElementStyle& st = Style(element);
    SetBorders(model_.boxes[box], st);
    int vertical = st.border[0] + st.border[2] + st.padding[0] + st.padding[2];
    bool center = element->name == u"center";
    centerDepth_ += center;
    int content = element->name == u"hr"
                      ? 0
                      : LayoutChildren(element, box, x + st.border[3] + st.padding[3],
                                       y + st.border[0] + st.padding[0], contentWidth, centerDepth_ > 0);
    centerDepth_ -= center;
    int height = element->name == u"hr" ? std::max(10, vertical) : st.height.value_or(content) + vertical;
    Box& b = model_.boxes[box];
    b.border = {x, y, contentWidth + st.border[1] + st.border[3] + st.padding[1] + st.padding[3], height};
    b.end = model_.boxes.size();
    return height;
}

void Layouter::LayoutAbsolute(const dom::Node* element, int parentBox) {
    const ElementStyle& st = Style(element);
    int box = NewBox(element, parentBox);
    model_.absolutes.push_back(box);
    if (st.display != Display::Replaced)
        model_.boxes[box].display = Display::Block; // taken out of flow, it lays out as a block
    const Box* op = model_.Find(OffsetParentOf(model_, element));
    int originX = op ? op->PaddingLeft() : 0;
    int originY = op ? op->PaddingTop() : 0;
    int room = op ? op->PaddingWidth() : model_.clientWidth;
    model_.boxes[box].percentBase = room;
    int horizontal = st.border[1] + st.border[3] + st.padding[1] + st.padding[3];
    int contentWidth = st.width ? *st.width
                       : st.widthPct
                           ? static_cast<int>(*st.widthPct * room / 100) - horizontal
                           : std::min(ChildrenIntrinsic(element).max, std::max(0, room - horizontal));
    if (Style(element).display == Display::Replaced) {
        Box& b = model_.boxes[box];
        SetBorders(b, st);
        b.border = ReplacedSize(element);
        b.border.left = originX + st.left.value_or(0);
        b.border.top = originY + st.top.value_or(0);
        b.end = model_.boxes.size();
        return;
    }
    LayoutBlockBox(element, box, originX + st.left.value_or(0) + st.margin[3],
                   originY + st.top.value_or(0) + st.margin[0], std::max(0, contentWidth));
}

Intrinsic Layouter::ChildrenIntrinsic(const dom::Node* container) {
    auto it = intrinsic_.find(container);
    if (it != intrinsic_.end())
        return it->second;
    Intrinsic result;
    std::vector<Item> run;
    const ElementStyle& cst = Style(container);
    auto flush = [&] {
        Intrinsic i = ItemsIntrinsic(run);
        result.min = std::max(result.min, i.min);
        result.max = std::max(result.max, i.max);
        run.clear();
    };
    for (const dom::Node* c = container->firstChild; c; c = c->next) {
        if (c->IsElement() && IsBlockLevel(c) && Style(c).position != Position::Absolute) {
            flush();
            Intrinsic i = BlockIntrinsic(c);
            result.min = std::max(result.min, i.min);
            result.max = std::max(result.max, i.max);
        } else {
            CollectInline(c, run, -1, true, cst.noWrap, cst.pre);
        }
    }
    flush();
    intrinsic_.emplace(container, result);
    return result;
}

Intrinsic Layouter::BlockIntrinsic(const dom::Node* element) {
    const ElementStyle& st = Style(element);
    if (st.display == Display::None)
        return {};
    if (st.display == Display::Table)
        return TableIntrinsic(element);
    int outer = st.margin[1] + st.margin[3] + st.border[1] + st.border[3] + st.padding[1] + st.padding[3];
    if (st.width)
        return {*st.width + outer, *st.width + outer};
    Intrinsic i = ChildrenIntrinsic(element);
    return {i.min + outer, i.max + outer};
}

} // namespace qx::html::layout
