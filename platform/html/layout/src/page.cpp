// The page pass: BODY's margins, the viewport's scroll bars, positioned boxes, scroll extents.
#include "layouter.h"

#include <algorithm>

namespace qx::html::layout {
namespace {

constexpr int kScrollBar = 16;

int BodyMargin(const dom::Node* body, const ElementStyle& st, int side, std::u16string_view attribute,
               std::u16string_view alternative, int fallback) {
    if (st.marginSet[side])
        return st.margin[side];
    if (std::optional<int> n = NumberAttribute(*body, attribute))
        return std::max(0, *n);
    if (std::optional<int> n = NumberAttribute(*body, alternative))
        return std::max(0, *n);
    return fallback;
}

// Each box's content extent: the farthest right and bottom edge below it, from the padding box
// origin, and the bars of scroll containers.
void MeasureExtents(PageLayout::Model& model) {
    std::vector<int> right(model.boxes.size()), bottom(model.boxes.size());
    std::vector<int> farRight(model.boxes.size()), farBottom(model.boxes.size());
    for (std::size_t i = 0; i < model.boxes.size(); ++i) {
        farRight[i] = model.boxes[i].border.Right();
        farBottom[i] = model.boxes[i].border.Bottom();
        right[i] = bottom[i] = 0;
    }
    for (std::size_t i = model.boxes.size(); i-- > 0;) {
        Box& b = model.boxes[i];
        for (const Rect& f : b.fragments) {
            farRight[i] = std::max(farRight[i], f.Right());
            farBottom[i] = std::max(farBottom[i], f.Bottom());
        }
        b.scrollWidth = std::max(b.PaddingWidth(), right[i] - b.PaddingLeft());
        b.scrollHeight = std::max(b.PaddingHeight(), bottom[i] - b.PaddingTop());
        if (b.overflow == Overflow::Scroll) {
            b.verticalBar = b.horizontalBar = true;
        } else if (b.overflow == Overflow::Auto) {
            b.verticalBar = b.scrollHeight > b.PaddingHeight();
            b.horizontalBar = b.scrollWidth > b.PaddingWidth();
        }
        bool clips = b.overflow != Overflow::Visible;
        if (b.parent >= 0) {
            right[b.parent] =
                std::max(right[b.parent], clips ? b.border.Right() : std::max(farRight[i], right[i]));
            bottom[b.parent] =
                std::max(bottom[b.parent], clips ? b.border.Bottom() : std::max(farBottom[i], bottom[i]));
        }
    }
}

} // namespace

void Layouter::LayoutPage(const dom::Node* html, const dom::Node* body, int clientWidth, int clientHeight) {
    previous_.swap(model_.boxes);
    model_.boxes.clear();
    model_.boxes.reserve(previous_.size());
    model_.absolutes.clear();
    model_.clientWidth = clientWidth;
    model_.clientHeight = clientHeight;
    int htmlBox = html ? NewBox(html, -1) : -1;
    int bodyBox = NewBox(body, htmlBox);
    const ElementStyle& st = Style(body);
    int left = BodyMargin(body, st, 3, u"leftmargin", u"marginwidth", 10);
    int right = BodyMargin(body, st, 1, u"rightmargin", u"marginwidth", left);
    int top = BodyMargin(body, st, 0, u"topmargin", u"marginheight", 15);
    int bottom = BodyMargin(body, st, 2, u"bottommargin", u"marginheight", top);
    int height = LayoutChildren(body, bodyBox, left, top, std::max(0, clientWidth - left - right), false);
    for (std::size_t i = 0; i < pendingAbsolutes_.size(); ++i) // grows while nested ones are found
        LayoutAbsolute(pendingAbsolutes_[i].first, pendingAbsolutes_[i].second);
    pendingAbsolutes_.clear();
    for (Box& b : model_.boxes) {
        if (b.display != Display::Inline)
            continue;
        if (b.fragments.empty()) { // an empty inline element has no place, wherever it was moved
            b.border = {};
            continue;
        }
        Rect u = b.fragments.front();
        for (const Rect& f : b.fragments)
            u = Union(u, f);
        b.border = u;
    }
    model_.boxes[bodyBox].border = {0, 0, clientWidth, std::max(clientHeight, top + height + bottom)};
    model_.boxes[bodyBox].end = model_.boxes.size();
    if (htmlBox >= 0) {
        model_.boxes[htmlBox].border = model_.boxes[bodyBox].border;
        model_.boxes[htmlBox].end = model_.boxes.size();
    }
    MeasureExtents(model_);
    int contentRight = right, contentBottom = top + height + bottom;
    for (const Box& b : model_.boxes) {
        if (b.node == body || b.node == html)
            continue;
        contentRight = std::max(contentRight, b.border.Right() + right);
        contentBottom = std::max(contentBottom, b.border.Bottom() + bottom);
    }
    model_.scrollWidth = std::max(clientWidth, contentRight);
    model_.scrollHeight = std::max(clientHeight, contentBottom);
    for (int a : model_.absolutes)
        for (int p = model_.boxes[a].parent; p >= 0 && !model_.boxes[p].holdsAbsolute;
             p = model_.boxes[p].parent)
            model_.boxes[p].holdsAbsolute = true;
    // This layout is the tree as it is now: the next round may keep all of it.
    changed_.clear();
    changedUp_.clear();
    mayReuse_ = true;
}

void BuildModel(const dom::NodeTree& tree, Layouter& layouter, PageLayout::Model& model) {
    model.html = tree.DocumentElement();
    model.body = tree.Body();
    model.absolutes.clear();
    if (!model.body) {
        model.boxes.clear();
        model.clientWidth = model.clientHeight = model.scrollWidth = model.scrollHeight = 0;
        model.verticalBar = model.horizontalBar = false;
        layouter.ForgetAll();
        return;
    }
    if (model.index.size() > 4 * model.boxes.size() + 1024)
        model.index.clear(); // entries of nodes gone; the boxes they named cannot be kept then
    if (model.boxes.empty()) {
        std::size_t elements = 0;
        for (const dom::Node* n = tree.Document(); n; n = NextInTree(n, tree.Document()))
            elements += n->IsElement();
        layouter.Reserve(elements);
    }
    const ElementStyle& st = layouter.Style(model.body);
    bool barsAllowed =
        !EqualsNoCase(model.body->AttributeValue(u"scroll"), u"no") && st.overflow != Overflow::Hidden;
    // Always from no bars (but a forced one), never from the last layout's: where a page fits with
    // a bar and without one alike, the layout must not depend on what came before. A round after the
    // first keeps the boxes that did not move.
    bool vertical = barsAllowed && st.overflow == Overflow::Scroll;
    bool horizontal = false;
    // A bar narrows the client area, which may call for the other bar: at most a few rounds, one
    // layouter for all (what it keeps of styles and intrinsic widths does not depend on the width).
    for (int round = 0; round < 3; ++round) {
        int width = std::max(0, model.viewportWidth - (vertical ? kScrollBar : 0));
        int height = std::max(0, model.viewportHeight - (horizontal ? kScrollBar : 0));
        layouter.LayoutPage(model.html, model.body, width, height);
        bool needVertical = barsAllowed && (st.overflow == Overflow::Scroll || model.scrollHeight > height);
        bool needHorizontal = barsAllowed && model.scrollWidth > width;
        if (needVertical == vertical && needHorizontal == horizontal)
            break;
        // A bar that turns out unneeded goes; in the last round bars only come, so the rounds end.
        vertical = round < 2 ? needVertical : vertical || needVertical;
        horizontal = round < 2 ? needHorizontal : horizontal || needHorizontal;
        if (round == 2)
            layouter.LayoutPage(model.html, model.body,
                                std::max(0, model.viewportWidth - (vertical ? kScrollBar : 0)),
                                std::max(0, model.viewportHeight - (horizontal ? kScrollBar : 0)));
    }
    model.verticalBar = vertical;
    model.horizontalBar = horizontal;
}

const dom::Node* OffsetParentOf(const PageLayout::Model& model, const dom::Node* element) {
    if (!element || element == model.body || element == model.html)
        return nullptr;
    const Box* own = model.Find(element);
    bool positioned = own && own->position != Position::Static;
    for (const dom::Node* a = element->parent; a && a->IsElement(); a = a->parent) {
        if (a == model.body || a == model.html)
            return model.body;
        const Box* box = model.Find(a);
        if (box && box->position != Position::Static)
            return a;
        if (!positioned && (a->Is(u"td") || a->Is(u"th") || a->Is(u"table")))
            return a;
    }
    return model.body;
}

} // namespace qx::html::layout
