// The page's geometry as the element members read it, hit testing and the box dump.
#include "box_model.h"

#include <algorithm>
#include <cstdio>

namespace qx::html::layout {
namespace {

constexpr int kScrollBar = 16;

bool HalfOpen(const Rect& r, int x, int y) {
    return x >= r.left && x < r.Right() && y >= r.top && y < r.Bottom();
}
bool Closed(const Rect& r, int x, int y) {
    return x >= r.left && x <= r.Right() && y >= r.top && y <= r.Bottom();
}

const dom::Node* HitBox(const PageLayout::Model& m, int index, int x, int y);

// The children of a box, the last painted first: positioned ones, then later before earlier.
const dom::Node* HitChildren(const PageLayout::Model& m, int index, int x, int y) {
    const Box& b = m.boxes[index];
    if (b.overflow != Overflow::Visible &&
        !HalfOpen({b.PaddingLeft(), b.PaddingTop(), b.PaddingWidth(), b.PaddingHeight()}, x, y))
        return nullptr;
    std::vector<int> children;
    for (std::size_t c = index + 1; c < b.end; c = std::max(m.boxes[c].end, c + 1))
        children.push_back(static_cast<int>(c));
    std::stable_partition(children.begin(), children.end(),
                          [&](int c) { return m.boxes[c].position == Position::Static; });
    for (auto c = children.rbegin(); c != children.rend(); ++c)
        if (const dom::Node* hit = HitBox(m, *c, x, y))
            return hit;
    return nullptr;
}

const dom::Node* HitBox(const PageLayout::Model& m, int index, int x, int y) {
    const Box& b = m.boxes[index];
    if (b.display == Display::Table) {
        // Cells own their closed box; where two meet, the smaller left, then the smaller top.
        int best = -1;
        for (int cell : b.cells) {
            const Rect& r = m.boxes[cell].border;
            if (!Closed(r, x, y))
                continue;
            const Rect* bestRect = best >= 0 ? &m.boxes[best].border : nullptr;
            if (!bestRect || r.left < bestRect->left || (r.left == bestRect->left && r.top < bestRect->top))
                best = cell;
        }
        if (best >= 0) {
            const dom::Node* inner = HitChildren(m, best, x, y);
            return inner ? inner : m.boxes[best].node;
        }
        return HalfOpen(b.border, x, y) ? b.node : nullptr;
    }
    if (b.display == Display::Row || b.display == Display::RowGroup || b.display == Display::Cell)
        return nullptr; // reached through their table only
    if (const dom::Node* hit = HitChildren(m, index, x, y))
        return hit;
    if (b.display == Display::Inline) {
        for (const Rect& f : b.fragments)
            if (HalfOpen(f, x, y))
                return b.node;
        return nullptr;
    }
    return HalfOpen(b.border, x, y) ? b.node : nullptr;
}

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

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

} // namespace

PageLayout::PageLayout(dom::NodeTree& tree, LayoutHooks hooks)
    : tree_(tree), hooks_(std::move(hooks)), model_(std::make_unique<Model>()) {}

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
}

const PageLayout::Model& PageLayout::Current() {
    if (dirty_ || laidOutVersion_ != tree_.ContentVersion()) {
        model_->viewportWidth = viewportWidth_;
        model_->viewportHeight = viewportHeight_;
        BuildModel(tree_, hooks_, *model_);
        laidOutVersion_ = tree_.ContentVersion();
        dirty_ = false;
    }
    return *model_;
}

ElementMetrics PageLayout::Metrics(const dom::Node* element) {
    const Model& m = Current();
    ElementMetrics out;
    const Box* box = m.Find(element);
    if (!box)
        return out;
    out.rendered = true;
    out.offsetParent = OffsetParentOf(m, element);
    const Box* parent = m.Find(out.offsetParent);
    out.offsetLeft = box->border.left - (parent ? parent->PaddingLeft() : 0);
    out.offsetTop = box->border.top - (parent ? parent->PaddingTop() : 0);
    out.offsetWidth = box->border.width;
    out.offsetHeight = box->border.height;
    out.clientLeft = box->borderWidth[3];
    out.clientTop = box->borderWidth[0];
    bool page = element == m.body || element == m.html;
    if (page) {
        out.clientWidth = m.clientWidth;
        out.clientHeight = m.clientHeight;
        out.scrollWidth = m.scrollWidth;
        out.scrollHeight = m.scrollHeight;
    } else if (box->display != Display::Inline) {
        out.clientWidth = std::max(0, box->PaddingWidth() - (box->verticalBar ? kScrollBar : 0));
        out.clientHeight = std::max(0, box->PaddingHeight() - (box->horizontalBar ? kScrollBar : 0));
        out.scrollWidth = std::max(out.clientWidth, box->scrollWidth);
        out.scrollHeight = std::max(out.clientHeight, box->scrollHeight);
    }
    auto scrolled = scrolls_.find(page ? m.body : element);
    if (scrolled != scrolls_.end()) {
        out.scrollLeft = std::clamp(scrolled->second.first, 0, out.scrollWidth - out.clientWidth);
        out.scrollTop = std::clamp(scrolled->second.second, 0, out.scrollHeight - out.clientHeight);
    }
    auto pageScroll = scrolls_.find(m.body);
    int sx = 0, sy = 0;
    if (pageScroll != scrolls_.end()) {
        sx = std::clamp(pageScroll->second.first, 0, m.scrollWidth - m.clientWidth);
        sy = std::clamp(pageScroll->second.second, 0, m.scrollHeight - m.clientHeight);
    }
    out.boundingClientRect = {box->border.left - sx, box->border.top - sy, box->border.width,
                              box->border.height};
    return out;
}

void PageLayout::SetScroll(const dom::Node* element, std::optional<int> left, std::optional<int> top) {
    const Model& m = Current();
    if (element == m.html)
        element = m.body;
    ElementMetrics now = Metrics(element);
    if (!now.rendered)
        return;
    int x = std::clamp(left.value_or(now.scrollLeft), 0, now.scrollWidth - now.clientWidth);
    int y = std::clamp(top.value_or(now.scrollTop), 0, now.scrollHeight - now.clientHeight);
    scrolls_[element] = {x, y};
}

std::optional<int> PageLayout::PercentWidthBase(const dom::Node* element) {
    const Box* box = Current().Find(element);
    if (!box || (box->display != Display::Block && box->display != Display::Table))
        return std::nullopt;
    return box->percentBase;
}

const dom::Node* PageLayout::ElementFromPoint(int clientX, int clientY) {
    const Model& m = Current();
    if (!m.body || clientX < 0 || clientY < 0 || clientX >= m.viewportWidth || clientY >= m.viewportHeight)
        return nullptr;
    if (clientX >= m.clientWidth || clientY >= m.clientHeight)
        return m.body;
    ElementMetrics body = Metrics(m.body);
    int x = clientX + body.scrollLeft;
    int y = clientY + body.scrollTop;
    for (auto a = m.absolutes.rbegin(); a != m.absolutes.rend(); ++a)
        if (const dom::Node* hit = HitBox(m, *a, x, y))
            return hit;
    const dom::Node* hit = HitChildren(m, m.index.at(m.body), x, y);
    return hit ? hit : m.body;
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
