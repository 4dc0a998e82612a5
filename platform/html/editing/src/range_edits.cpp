// Text ranges against the tree: comparing places, writing a range as HTML, deleting and pasting.
#include "range_edits.h"
#include "tree_places.h"

#include "qx/html/dom/html_parser.h"
#include "qx/html/dom/serializer.h"

#include <algorithm>
#include <vector>

namespace qx::html::editing {

namespace {

// Child indexes from the root down to the place.
std::vector<std::size_t> PathOf(const TextPoint& point) {
    std::vector<std::size_t> path{point.offset};
    for (const dom::Node* n = point.node; n && n->parent; n = n->parent)
        path.push_back(IndexInParent(n));
    std::reverse(path.begin(), path.end());
    return path;
}

dom::Node* CommonContainer(dom::Node* a, dom::Node* b) {
    for (dom::Node* n = a; n; n = n->parent)
        if (dom::IsInclusiveAncestor(n, b))
            return n;
    return nullptr;
}

enum class Placement { Before, Contained, Partial, After };

// Where a node lies against the range [start, end).
Placement Place(const dom::Node* node, const TextPoint& start, const TextPoint& end) {
    const std::size_t index = IndexInParent(node);
    const TextPoint before{node->parent, index}, after{node->parent, index + 1};
    if (ComparePoints(after, start) <= 0)
        return Placement::Before;
    if (ComparePoints(before, end) >= 0)
        return Placement::After;
    if (ComparePoints(before, start) >= 0 && ComparePoints(after, end) <= 0)
        return Placement::Contained;
    return Placement::Partial;
}

// Walks the nodes of [start, end) below their common container: whole nodes inside it, and the
// partly covered ones on the way to its ends (entered on the way down, left on the way up).
template <typename Whole, typename Enter, typename Leave>
void WalkRange(const TextPoint& start, const TextPoint& end, Whole whole, Enter enter, Leave leave) {
    dom::Node* common = CommonContainer(start.node, end.node);
    if (!common)
        return;
    std::vector<dom::Node*> open;
    dom::Node* n = common->firstChild;
    while (n) {
        const Placement place = Place(n, start, end);
        if (place == Placement::After)
            break;
        if (place == Placement::Contained) {
            whole(n);
        } else if (place == Placement::Partial) {
            enter(n);
            if (n->firstChild) {
                open.push_back(n);
                n = n->firstChild;
                continue;
            }
            leave(n);
        }
        while (!n->next && !open.empty()) {
            n = open.back();
            open.pop_back();
            leave(n);
        }
        n = n->next;
    }
    while (!open.empty()) {
        leave(open.back());
        open.pop_back();
    }
}

bool IsTablePart(const dom::Node* node) {
    static constexpr std::u16string_view kParts[] = {u"tbody", u"thead",   u"tfoot", u"tr",      u"td",
                                                     u"th",    u"caption", u"col",   u"colgroup"};
    return node->IsElement() &&
           std::find(std::begin(kParts), std::end(kParts), node->name) != std::end(kParts);
}

// Takes a node of the range out; the rows and cells of a table the range does not hold whole stay,
// emptied.
void RemoveCovered(dom::NodeTree& tree, dom::Node* node) {
    if (!IsTablePart(node)) {
        tree.Remove(node);
    } else if (node->Is(u"td") || node->Is(u"th") || node->Is(u"caption")) {
        tree.RemoveChildren(node);
    } else if (!node->Is(u"col") && !node->Is(u"colgroup")) {
        std::vector<dom::Node*> children;
        for (dom::Node* c = node->firstChild; c; c = c->next)
            children.push_back(c);
        for (dom::Node* c : children)
            RemoveCovered(tree, c);
    }
}

// Puts nodes (orphans of the tree) at the range's start and collapses the range after them.
HRESULT InsertAtStart(DocumentText& text, LiveRange& range, const std::vector<dom::Node*>& nodes,
                      dom::Node* parent, dom::Node* before) {
    for (dom::Node* n : nodes)
        text.Dom().tree.Insert(parent, n, before);
    if (!nodes.empty()) {
        const TextPoint after{parent, IndexInParent(nodes.back()) + 1};
        range.start = after;
        range.end = after;
    }
    return S_OK;
}

// Where new content goes at a place: the parent and the child it goes before (a text node is split).
bool InsertionPlace(DocumentText& text, const TextPoint& point, dom::Node** parent, dom::Node** before) {
    dom::Node* node = point.node;
    if (!node)
        return false;
    if (node->type == dom::NodeType::Text) {
        *parent = node->parent;
        if (point.offset == 0)
            *before = node;
        else if (point.offset >= node->text.size())
            *before = node->next;
        else
            *before = text.SplitText(node, point.offset);
    } else {
        *parent = node;
        dom::Node* child = node->firstChild;
        for (std::size_t i = 0; child && i < point.offset; ++i)
            child = child->next;
        *before = child;
    }
    return *parent && (*parent)->IsElement() && !dom::IsVoidElement((*parent)->name);
}

} // namespace

int ComparePoints(const TextPoint& a, const TextPoint& b) {
    if (a.node == b.node)
        return a.offset < b.offset ? -1 : (a.offset > b.offset ? 1 : 0);
    const std::vector<std::size_t> pa = PathOf(a), pb = PathOf(b);
    if (pa == pb)
        return 0;
    return std::lexicographical_compare(pa.begin(), pa.end(), pb.begin(), pb.end()) ? -1 : 1;
}

std::u16string RangeHtml(const LiveRange& range) {
    const TextPoint& start = range.start;
    const TextPoint& end = range.end;
    std::u16string html;
    if (!start.node || !end.node || ComparePoints(start, end) >= 0)
        return html;
    if (start.node == end.node && start.node->type == dom::NodeType::Text) {
        dom::AppendTextPart(
            start.node, std::u16string_view(start.node->text).substr(start.offset, end.offset - start.offset),
            html);
        return html;
    }
    WalkRange(
        start, end, [&](dom::Node* n) { dom::AppendOuterHtml(n, html); },
        [&](dom::Node* n) {
            if (n->type == dom::NodeType::Text) {
                const std::size_t from = n == start.node ? std::min(start.offset, n->text.size()) : 0;
                const std::size_t to = n == end.node ? std::min(end.offset, n->text.size()) : n->text.size();
                dom::AppendTextPart(n, std::u16string_view(n->text).substr(from, to > from ? to - from : 0),
                                    html);
            } else if (n->IsElement()) {
                dom::AppendStartTag(n, html);
            }
        },
        [&](dom::Node* n) {
            if (n->IsElement())
                dom::AppendEndTag(n, html);
        });
    return html;
}

void DeleteContents(DocumentText& text, LiveRange& range) {
    const dom::NodeTree::KeepRemoved keep(text.Dom().tree);
    const TextPoint start = range.start, end = range.end;
    if (!start.node || !end.node || ComparePoints(start, end) >= 0) {
        range.end = range.start;
        return;
    }
    if (start.node == end.node && start.node->type == dom::NodeType::Text) {
        text.ReplaceText(start.node, start.offset, end.offset - start.offset, u"");
        range.end = range.start;
        return;
    }
    std::vector<dom::Node*> covered;
    WalkRange(
        start, end, [&](dom::Node* n) { covered.push_back(n); }, [](dom::Node*) {}, [](dom::Node*) {});
    if (start.node->type == dom::NodeType::Text)
        text.ReplaceText(start.node, start.offset, start.node->text.size(), u"");
    if (end.node->type == dom::NodeType::Text)
        text.ReplaceText(end.node, 0, end.offset, u"");
    for (dom::Node* n : covered)
        RemoveCovered(text.Dom().tree, n);
    range.end = range.start;
}

HRESULT PasteHtml(DocumentText& text, LiveRange& range, std::u16string_view html) {
    const dom::NodeTree::KeepRemoved keep(text.Dom().tree);
    // Parsed first, in the context of the element the start is in (deleting never removes it), so
    // that HTML the parser refuses changes nothing.
    dom::Node* container = range.start.node;
    if (container && container->type == dom::NodeType::Text)
        container = container->parent;
    if (!container || !container->IsElement() || dom::IsVoidElement(container->name))
        return E_FAIL;
    std::vector<dom::Node*> nodes;
    if (dom::ParseHtmlFragment(text.Dom().tree, html, container->name, nodes) != dom::ParseError::None)
        return E_INVALIDARG;
    DeleteContents(text, range);
    dom::Node *parent = nullptr, *before = nullptr;
    if (!InsertionPlace(text, range.start, &parent, &before))
        return E_FAIL;
    return InsertAtStart(text, range, nodes, parent, before);
}

HRESULT PutText(DocumentText& text, LiveRange& range, std::u16string_view value) {
    const dom::NodeTree::KeepRemoved keep(text.Dom().tree);
    DeleteContents(text, range);
    dom::Node *parent = nullptr, *before = nullptr;
    if (!InsertionPlace(text, range.start, &parent, &before))
        return E_FAIL;
    dom::NodeTree& tree = text.Dom().tree;
    std::vector<dom::Node*> nodes;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        if (i < value.size() && value[i] != u'\r' && value[i] != u'\n')
            continue;
        if (i > lineStart)
            nodes.push_back(tree.CreateText(value.substr(lineStart, i - lineStart)));
        if (i == value.size())
            break;
        nodes.push_back(tree.CreateElement(u"br"));
        if (value[i] == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n')
            ++i;
        lineStart = i + 1;
    }
    return InsertAtStart(text, range, nodes, parent, before);
}

} // namespace qx::html::editing
