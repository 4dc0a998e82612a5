// The page's geometry as the element members read it, hit testing and the box dump.
#include "layouter.h"

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <unordered_map>

namespace qx::html::layout {
namespace {

constexpr int kScrollBar = 16;

bool HalfOpen(const Rect& r, int x, int y) {
    return x >= r.left && x < r.Right() && y >= r.top && y < r.Bottom();
}
bool Closed(const Rect& r, int x, int y) {
    return x >= r.left && x <= r.Right() && y >= r.top && y <= r.Bottom();
}

// Scroll positions as put, clamped to a box's extents when read.
using ScrollMap = std::unordered_map<const dom::Node*, std::pair<int, int>>;

bool IsPage(const PageLayout::Model& m, const dom::Node* node) {
    return node == m.body || node == m.html;
}

// A scroll container's client size: its padding box less its bars.
int ClientWidthOf(const Box& b) {
    return std::max(0, b.PaddingWidth() - (b.verticalBar ? kScrollBar : 0));
}
int ClientHeightOf(const Box& b) {
    return std::max(0, b.PaddingHeight() - (b.horizontalBar ? kScrollBar : 0));
}

std::pair<int, int> ClampedScroll(const PageLayout::Model& m, const ScrollMap& scrolls, const Box& b) {
    bool page = IsPage(m, b.node);
    if (!page && b.overflow == Overflow::Visible)
        return {0, 0};
    auto it = scrolls.find(page ? m.body : b.node);
    if (it == scrolls.end())
        return {0, 0};
    int clientWidth = page ? m.clientWidth : ClientWidthOf(b);
    int clientHeight = page ? m.clientHeight : ClientHeightOf(b);
    int scrollWidth = page ? m.scrollWidth : std::max(clientWidth, b.scrollWidth);
    int scrollHeight = page ? m.scrollHeight : std::max(clientHeight, b.scrollHeight);
    return {std::clamp(it->second.first, 0, std::max(0, scrollWidth - clientWidth)),
            std::clamp(it->second.second, 0, std::max(0, scrollHeight - clientHeight))};
}

struct Hit {
    const PageLayout::Model& m;
    const ScrollMap& scrolls;

    // The children of a box, the last painted first: positioned ones, then later before earlier. A
    // scroll container clips them to its client area and moves them by its scroll.
    const dom::Node* InChildren(int index, int x, int y) const {
        const Box& b = m.boxes[index];
        if (b.overflow != Overflow::Visible && !IsPage(m, b.node)) {
            if (!HalfOpen({b.PaddingLeft(), b.PaddingTop(), ClientWidthOf(b), ClientHeightOf(b)}, x, y))
                return nullptr;
            auto [sx, sy] = ClampedScroll(m, scrolls, b);
            x += sx;
            y += sy;
        }
        std::vector<int> children;
        for (std::size_t c = index + 1; c < b.end; c = std::max(m.boxes[c].end, c + 1))
            children.push_back(static_cast<int>(c));
        std::stable_partition(children.begin(), children.end(),
                              [&](int c) { return m.boxes[c].position == Position::Static; });
        for (auto c = children.rbegin(); c != children.rend(); ++c)
            if (const dom::Node* hit = InBox(*c, x, y))
                return hit;
        return nullptr;
    }

    const dom::Node* InBox(int index, int x, int y) const {
        const Box& b = m.boxes[index];
        if (b.display == Display::Table) {
            // Cells own their closed box; where two meet, the smaller left, then the smaller top.
            int best = -1;
            for (int cell : b.cells) {
                const Rect& r = m.boxes[cell].border;
                if (!Closed(r, x, y))
                    continue;
                const Rect* bestRect = best >= 0 ? &m.boxes[best].border : nullptr;
                if (!bestRect || r.left < bestRect->left ||
                    (r.left == bestRect->left && r.top < bestRect->top))
                    best = cell;
            }
            if (best >= 0) {
                const dom::Node* inner = InChildren(best, x, y);
                return inner ? inner : m.boxes[best].node;
            }
            return HalfOpen(b.border, x, y) ? b.node : nullptr;
        }
        if (b.display == Display::Row || b.display == Display::RowGroup || b.display == Display::Cell)
            return nullptr; // reached through their table only
        if (const dom::Node* hit = InChildren(index, x, y))
            return hit;
        if (b.display == Display::Inline) {
            for (const Rect& f : b.fragments)
                if (HalfOpen(f, x, y))
                    return b.node;
            return nullptr;
        }
        return HalfOpen(b.border, x, y) ? b.node : nullptr;
    }
};

// The part of a scroll bar of `length` pixels at `at` for a content of `content` in `client`.
std::u16string BarPart(int at, int length, int client, int content, int scroll, bool vertical) {
    if (at < kScrollBar)
        return vertical ? u"scrollbarUp" : u"scrollbarLeft";
    if (at >= length - kScrollBar)
        return vertical ? u"scrollbarDown" : u"scrollbarRight";
    int track = std::max(0, length - 2 * kScrollBar);
    int thumb =
        content > 0 ? std::max(8, static_cast<int>(static_cast<long long>(track) * client / content)) : track;
    int range = std::max(1, content - client);
    int thumbStart = kScrollBar + static_cast<int>(static_cast<long long>(track - thumb) * scroll / range);
    if (at < thumbStart)
        return vertical ? u"scrollbarPageUp" : u"scrollbarPageLeft";
    if (at >= thumbStart + thumb)
        return vertical ? u"scrollbarPageDown" : u"scrollbarPageRight";
    return vertical ? u"scrollbarVThumb" : u"scrollbarHThumb";
}

// Whether a run starts with white space (a collapsed space between two words).
bool IsCollapsedSpace(std::u16string_view text, std::size_t at) {
    return at < text.size() &&
           (text[at] == u' ' || text[at] == u'\t' || text[at] == u'\n' || text[at] == u'\r');
}

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

} // namespace

PageLayout::PageLayout(dom::NodeTree& tree, LayoutHooks hooks)
    : tree_(tree), hooks_(std::move(hooks)), model_(std::make_unique<Model>()),
      layouter_(std::make_unique<Layouter>(hooks_, *model_)) {}

PageLayout::~PageLayout() = default;

void PageLayout::SetViewport(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width != viewportWidth_ || height != viewportHeight_) {
        viewportWidth_ = width;
        viewportHeight_ = height;
        dirty_ = true;
    }
}

void PageLayout::Invalidate() {
    dirty_ = true;
    forgetAll_ = true;
}

const PageLayout::Model& PageLayout::Current() {
    if (dirty_ || laidOutVersion_ != tree_.ContentVersion()) {
        dom::NodeTree::ChangeSet changes;
        if (!forgetAll_ && laidOutVersion_ != tree_.ContentVersion())
            changes = tree_.ChangesSince(laidOutVersion_);
        if (forgetAll_ || changes.unknown)
            layouter_->ForgetAll();
        else
            layouter_->Forget(changes.nodes);
        forgetAll_ = false;
        model_->viewportWidth = viewportWidth_;
        model_->viewportHeight = viewportHeight_;
        BuildModel(tree_, *layouter_, *model_);
        laidOutVersion_ = tree_.ContentVersion();
        dirty_ = false;
        ++layoutCount_;
    }
    return *model_;
}

std::pair<int, int> PageLayout::ScrollOf(int box) {
    const Model& m = Current();
    return ClampedScroll(m, scrolls_, m.boxes[box]);
}

std::pair<int, int> PageLayout::ContainerScroll(int box) {
    const Model& m = Current();
    int sx = 0, sy = 0;
    for (int p = m.boxes[box].parent; p >= 0; p = m.boxes[p].parent) {
        if (IsPage(m, m.boxes[p].node))
            break;
        auto [x, y] = ClampedScroll(m, scrolls_, m.boxes[p]);
        sx += x;
        sy += y;
    }
    return {sx, sy};
}

ElementMetrics PageLayout::Metrics(const dom::Node* element) {
    const Model& m = Current();
    ElementMetrics out;
    int index = m.IndexOf(element);
    if (index < 0)
        return out;
    const Box* box = &m.boxes[index];
    out.rendered = true;
    out.offsetParent = OffsetParentOf(m, element);
    const Box* parent = m.Find(out.offsetParent);
    out.offsetLeft = box->border.left - (parent ? parent->PaddingLeft() : 0);
    out.offsetTop = box->border.top - (parent ? parent->PaddingTop() : 0);
    out.offsetWidth = box->border.width;
    out.offsetHeight = box->border.height;
    out.clientLeft = box->borderWidth[3];
    out.clientTop = box->borderWidth[0];
    bool page = IsPage(m, element);
    if (page) {
        out.clientWidth = m.clientWidth;
        out.clientHeight = m.clientHeight;
        out.scrollWidth = m.scrollWidth;
        out.scrollHeight = m.scrollHeight;
    } else if (box->display != Display::Inline) {
        out.clientWidth = ClientWidthOf(*box);
        out.clientHeight = ClientHeightOf(*box);
        out.scrollWidth = std::max(out.clientWidth, box->scrollWidth);
        out.scrollHeight = std::max(out.clientHeight, box->scrollHeight);
    }
    std::tie(out.scrollLeft, out.scrollTop) = ClampedScroll(m, scrolls_, *box);
    auto [px, py] = ClampedScroll(m, scrolls_, m.boxes[m.IndexOf(m.body)]);
    auto [cx, cy] = ContainerScroll(index);
    out.boundingClientRect = {box->border.left - px - cx, box->border.top - py - cy, box->border.width,
                              box->border.height};
    return out;
}

std::vector<Rect> PageLayout::ClientRects(const dom::Node* element) {
    const Model& m = Current();
    int index = m.IndexOf(element);
    if (index < 0)
        return {};
    const Box& box = m.boxes[index];
    std::vector<Rect> rects = box.display == Display::Inline && !box.fragments.empty()
                                  ? box.fragments
                                  : std::vector<Rect>{box.border};
    auto [px, py] = ClampedScroll(m, scrolls_, m.boxes[m.IndexOf(m.body)]);
    auto [cx, cy] = ContainerScroll(index);
    for (Rect& r : rects) {
        r.left -= px + cx;
        r.top -= py + cy;
    }
    return rects;
}

void PageLayout::SetScroll(const dom::Node* element, std::optional<int> left, std::optional<int> top) {
    const Model& m = Current();
    if (element == m.html)
        element = m.body;
    ElementMetrics now = Metrics(element);
    if (!now.rendered)
        return;
    int x = std::clamp(left.value_or(now.scrollLeft), 0, std::max(0, now.scrollWidth - now.clientWidth));
    int y = std::clamp(top.value_or(now.scrollTop), 0, std::max(0, now.scrollHeight - now.clientHeight));
    scrolls_[element] = {x, y};
}

std::optional<int> PageLayout::PercentWidthBase(const dom::Node* element) {
    const Box* box = Current().Find(element);
    if (!box || (box->display != Display::Block && box->display != Display::Table))
        return std::nullopt;
    return box->percentBase;
}

void PageLayout::ScrollIntoView(const dom::Node* element, bool alignToTop) {
    const Model& m = Current();
    int index = m.IndexOf(element);
    if (index < 0 || IsPage(m, element))
        return;
    // The box as each view sees it: in the content coordinates of the next container out.
    Rect r = m.boxes[index].border;
    auto place = [&](const dom::Node* view, int viewLeft, int viewTop, int clientWidth, int clientHeight) {
        ElementMetrics now = Metrics(view);
        int x = r.left - viewLeft, y = r.top - viewTop; // in the view's scrolled content
        int top = alignToTop ? y : y + r.height - clientHeight;
        int left = x >= now.scrollLeft && x < now.scrollLeft + clientWidth ? now.scrollLeft : x;
        SetScroll(view, left, top);
        now = Metrics(view);
        r.left = viewLeft + x - now.scrollLeft;
        r.top = viewTop + y - now.scrollTop;
    };
    for (int p = m.boxes[index].parent; p >= 0; p = m.boxes[p].parent) {
        const Box& c = m.boxes[p];
        if (IsPage(m, c.node))
            break;
        if (c.overflow != Overflow::Visible)
            place(c.node, c.PaddingLeft(), c.PaddingTop(), ClientWidthOf(c), ClientHeightOf(c));
    }
    place(m.body, 0, 0, m.clientWidth, m.clientHeight);
}

const dom::Node* PageLayout::ElementFromPoint(int clientX, int clientY) {
    const Model& m = Current();
    if (!m.body || clientX < 0 || clientY < 0 || clientX >= m.viewportWidth || clientY >= m.viewportHeight)
        return nullptr;
    if (clientX >= m.clientWidth || clientY >= m.clientHeight)
        return m.body;
    int body = m.IndexOf(m.body);
    auto [px, py] = ClampedScroll(m, scrolls_, m.boxes[body]);
    int x = clientX + px;
    int y = clientY + py;
    Hit hit{m, scrolls_};
    for (auto a = m.absolutes.rbegin(); a != m.absolutes.rend(); ++a) {
        auto [cx, cy] = ContainerScroll(*a);
        if (const dom::Node* found = hit.InBox(*a, x + cx, y + cy))
            return found;
    }
    const dom::Node* found = hit.InChildren(body, x, y);
    return found ? found : m.body;
}

std::u16string PageLayout::ComponentFromPoint(int clientX, int clientY) {
    const Model& m = Current();
    if (clientX < 0 || clientY < 0 || clientX >= m.viewportWidth || clientY >= m.viewportHeight)
        return u"outside";
    ElementMetrics body = m.body ? Metrics(m.body) : ElementMetrics{};
    if (m.verticalBar && clientX >= m.clientWidth && clientY < m.clientHeight)
        return BarPart(clientY, m.clientHeight, m.clientHeight, m.scrollHeight, body.scrollTop, true);
    if (m.horizontalBar && clientY >= m.clientHeight && clientX < m.clientWidth)
        return BarPart(clientX, m.clientWidth, m.clientWidth, m.scrollWidth, body.scrollLeft, false);
    if (clientX >= m.clientWidth || clientY >= m.clientHeight)
        return u"scrollbarSizeBox"; // the corner where two bars meet
    return u"";
}

std::u16string PageLayout::ComponentFromPoint(const dom::Node* element, int clientX, int clientY) {
    const Model& m = Current();
    if (IsPage(m, element))
        return ComponentFromPoint(clientX, clientY);
    ElementMetrics e = Metrics(element);
    const Rect& r = e.boundingClientRect;
    if (!e.rendered || clientX < r.left || clientY < r.top || clientX >= r.Right() || clientY >= r.Bottom())
        return u"outside";
    const Box& b = *m.Find(element);
    // The bars sit inside the border, at the right and bottom of the padding box.
    int x = clientX - r.left - e.clientLeft, y = clientY - r.top - e.clientTop;
    bool inVertical = b.verticalBar && x >= e.clientWidth && x < e.clientWidth + kScrollBar;
    bool inHorizontal = b.horizontalBar && y >= e.clientHeight && y < e.clientHeight + kScrollBar;
    if (inVertical && y < e.clientHeight)
        return BarPart(y, e.clientHeight, e.clientHeight, e.scrollHeight, e.scrollTop, true);
    if (inHorizontal && x < e.clientWidth)
        return BarPart(x, e.clientWidth, e.clientWidth, e.scrollWidth, e.scrollLeft, false);
    if (inVertical && inHorizontal)
        return u"scrollbarSizeBox";
    return u"";
}

TextPoint PageLayout::TextFromPoint(int clientX, int clientY) {
    const dom::Node* hit = ElementFromPoint(clientX, clientY);
    const Model& m = Current();
    int index = m.IndexOf(hit);
    if (index < 0)
        return {};
    auto [px, py] = ClampedScroll(m, scrolls_, m.boxes[m.IndexOf(m.body)]);
    auto [cx, cy] = ContainerScroll(index);
    int x = clientX + px + cx, y = clientY + py + cy;
    // The line: the run whose line holds y, else the nearest line; on it, the run under x or the
    // nearest one.
    const TextRun* best = nullptr;
    long bestScore = 0;
    for (std::size_t i = index; i < m.boxes[index].end; ++i)
        for (const TextRun& run : m.boxes[i].texts) {
            long dy = y < run.rect.top         ? run.rect.top - y
                      : y >= run.rect.Bottom() ? y - run.rect.Bottom() + 1
                                               : 0;
            long dx = x < run.rect.left       ? run.rect.left - x
                      : x >= run.rect.Right() ? x - run.rect.Right() + 1
                                              : 0;
            long score = dy * 1'000'000 + dx;
            if (!best || score < bestScore) {
                best = &run;
                bestScore = score;
            }
        }
    if (!best) {
        const Box& box = m.boxes[index];
        if (box.display != Display::Replaced || !hit->parent)
            return {hit, 0};
        std::size_t child = 0;
        for (const dom::Node* c = hit->parent->firstChild; c != hit; c = c->next)
            ++child;
        return {hit->parent, child + (x >= box.border.left + box.border.width / 2 ? 1 : 0)};
    }
    // The character boundary nearest to x.
    std::u16string_view text(best->text->text);
    std::size_t offset = best->begin;
    int at = best->rect.left;
    if (best->end > best->begin + 1 && best->rect.width > 0 && IsCollapsedSpace(text, best->begin))
        return {best->text, x - at > best->rect.width / 2 ? best->end : best->begin};
    while (offset < best->end) {
        std::size_t next = offset + 1;
        if (text[offset] >= 0xD800 && text[offset] <= 0xDBFF && next < best->end)
            ++next;
        int advance = Advance(text[offset], best->font);
        if (x < at + (advance + 1) / 2)
            break;
        at += advance;
        offset = next;
    }
    return {best->text, offset};
}

std::string PageLayout::Dump() {
    const Model& m = Current();
    std::string out;
    char line[160];
    std::snprintf(line, sizeof line, "viewport %dx%d client %dx%d scroll %dx%d\n", m.viewportWidth,
                  m.viewportHeight, m.clientWidth, m.clientHeight, m.scrollWidth, m.scrollHeight);
    out += line;
    for (const Box& b : m.boxes) {
        int depth = 0;
        for (int p = b.parent; p >= 0; p = m.boxes[p].parent)
            ++depth;
        out.append(static_cast<std::size_t>(depth) * 2, ' ');
        std::snprintf(line, sizeof line, " %d,%d %dx%d", b.border.left, b.border.top, b.border.width,
                      b.border.height);
        out += Narrow(UpperAscii(b.node->name)) + line;
        for (const Rect& f : b.fragments) {
            std::snprintf(line, sizeof line, " [%d,%d %dx%d]", f.left, f.top, f.width, f.height);
            out += line;
        }
        out += '\n';
    }
    return out;
}

} // namespace qx::html::layout
