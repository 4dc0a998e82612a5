// Tree surgery for the editing session: splits, wraps and the leaves and blocks of a selection.
#include "edit_tree.h"

#include "tree_places.h"

#include <algorithm>
#include <map>
#include <set>

namespace qx::html::editing {

namespace {

bool IsOneOf(const dom::Node* node, std::initializer_list<std::u16string_view> tags) {
    return node && node->IsElement() && std::find(tags.begin(), tags.end(), node->name) != tags.end();
}

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

// The characters a Char unit stands for: one, or a whole run of white space read as one space.
std::size_t UnitLength(const Unit& unit) {
    const std::u16string& s = unit.node->text;
    if (unit.offset >= s.size())
        return 0;
    if (!IsSpace(s[unit.offset]))
        return 1;
    std::size_t end = unit.offset;
    while (end < s.size() && IsSpace(s[end]))
        ++end;
    return end - unit.offset;
}

} // namespace

bool IsBlockElement(const dom::Node* node) {
    return IsOneOf(node, {u"p",        u"div",    u"h1",   u"h2",  u"h3",      u"h4",        u"h5",
                          u"h6",       u"ul",     u"ol",   u"li",  u"dl",      u"dt",        u"dd",
                          u"dir",      u"menu",   u"pre",  u"xmp", u"listing", u"plaintext", u"blockquote",
                          u"address",  u"center", u"form", u"hr",  u"table",   u"tbody",     u"thead",
                          u"tfoot",    u"tr",     u"td",   u"th",  u"caption", u"body",      u"fieldset",
                          u"colgroup", u"col"});
}

bool IsTableStructure(const dom::Node* node) {
    return IsOneOf(node, {u"table", u"tbody", u"thead", u"tfoot", u"tr", u"colgroup", u"col"});
}

bool IsContainerBlock(const dom::Node* node) {
    return IsOneOf(node, {u"body", u"td", u"th", u"caption", u"blockquote", u"form"});
}

dom::Node* BlockOf(dom::Node* node) {
    for (dom::Node* n = node; n; n = n->parent)
        if (IsBlockElement(n))
            return n;
    return nullptr;
}

dom::Node* ChildBelow(dom::Node* ancestor, dom::Node* node) {
    for (dom::Node* n = node; n; n = n->parent)
        if (n->parent == ancestor)
            return n;
    return nullptr;
}

dom::Node* SplitBefore(dom::NodeTree& tree, dom::Node* parent, dom::Node* before, dom::Node* top) {
    dom::Node* stop = top->parent;
    while (parent && parent != stop) {
        if (!before) {
            before = parent->next;
        } else if (before == parent->firstChild) {
            before = parent;
        } else {
            dom::Node* right = tree.Clone(parent, false);
            tree.Insert(parent->parent, right, parent->next);
            for (dom::Node* moving = before; moving;) {
                dom::Node* next = moving->next;
                tree.Insert(right, moving, nullptr);
                moving = next;
            }
            before = right;
        }
        parent = parent->parent;
    }
    return before;
}

std::pair<dom::Node*, dom::Node*> BreakAt(DocumentText& text, const TextPoint& place) {
    dom::Node* node = place.node;
    if (node->type != dom::NodeType::Text) {
        dom::Node* child = node->firstChild;
        for (std::size_t i = 0; child && i < place.offset; ++i)
            child = child->next;
        return {node, child};
    }
    if (place.offset == 0)
        return {node->parent, node};
    if (place.offset >= node->text.size())
        return {node->parent, node->next};
    return {node->parent, text.SplitText(node, place.offset)};
}

void Unwrap(dom::NodeTree& tree, dom::Node* element) {
    dom::Node* parent = element->parent;
    if (!parent)
        return;
    while (dom::Node* child = element->firstChild)
        tree.Insert(parent, child, element);
    tree.Remove(element);
}

dom::Node* WrapSiblings(dom::NodeTree& tree, const std::vector<dom::Node*>& siblings,
                        std::u16string_view tag) {
    dom::Node* wrapper = tree.CreateElement(tag);
    tree.Insert(siblings.front()->parent, wrapper, siblings.front());
    for (dom::Node* n : siblings)
        tree.Insert(wrapper, n, nullptr);
    return wrapper;
}

dom::Node* Rename(dom::NodeTree& tree, dom::Node* element, std::u16string_view tag) {
    dom::Node* renamed = tree.CreateElement(tag);
    renamed->attributes = element->attributes;
    tree.Insert(element->parent, renamed, element);
    while (dom::Node* child = element->firstChild)
        tree.Insert(renamed, child, nullptr);
    tree.Remove(element);
    return renamed;
}

std::vector<dom::Node*> IsolateLeaves(DocumentText& text, std::size_t from, std::size_t to) {
    const TextStream& stream = text.Stream();
    to = std::min(to, stream.Size());
    // Each node once, in tree order, with the characters of its selected units.
    std::vector<std::pair<dom::Node*, std::pair<std::size_t, std::size_t>>> picked;
    for (std::size_t i = from; i < to; ++i) {
        const Unit& unit = stream.At(i);
        if (!unit.node || IsTableStructure(unit.node->parent))
            continue;
        if (unit.kind == UnitKind::Char && unit.node->type == dom::NodeType::Text) {
            const std::size_t end = unit.offset + UnitLength(unit);
            if (!picked.empty() && picked.back().first == unit.node)
                picked.back().second.second = end;
            else
                picked.push_back({unit.node, {unit.offset, end}});
        } else if (unit.node->IsElement() && (picked.empty() || picked.back().first != unit.node)) {
            picked.push_back({unit.node, {0, 0}});
        }
    }
    std::vector<dom::Node*> leaves;
    for (auto& [node, span] : picked) {
        dom::Node* leaf = node;
        if (node->type == dom::NodeType::Text) {
            if (span.second < node->text.size())
                text.SplitText(node, span.second);
            if (span.first > 0)
                leaf = text.SplitText(node, span.first);
        }
        leaves.push_back(leaf);
    }
    return leaves;
}

std::vector<std::vector<dom::Node*>> CoveredRuns(const std::vector<dom::Node*>& leaves) {
    // Count, for each inline element above a leaf, how many of its children are covered; one whose
    // children all are is covered itself.
    std::set<const dom::Node*> covered(leaves.begin(), leaves.end());
    std::vector<dom::Node*> tops;
    for (dom::Node* leaf : leaves) {
        dom::Node* top = leaf;
        while (top->parent && !IsBlockElement(top->parent) && top->parent->IsElement()) {
            dom::Node* parent = top->parent;
            bool all = true;
            for (dom::Node* c = parent->firstChild; c && all; c = c->next)
                all = covered.count(c) != 0 || (c->type == dom::NodeType::Text && c->text.empty());
            if (!all)
                break;
            covered.insert(parent);
            top = parent;
        }
        if (tops.empty() || !dom::IsInclusiveAncestor(tops.back(), top)) {
            while (!tops.empty() && dom::IsInclusiveAncestor(top, tops.back()))
                tops.pop_back();
            tops.push_back(top);
        }
    }
    return SiblingRuns(tops);
}

std::vector<std::vector<dom::Node*>> SiblingRuns(const std::vector<dom::Node*>& nodes) {
    std::vector<std::vector<dom::Node*>> runs;
    for (dom::Node* n : nodes) {
        if (!runs.empty() && runs.back().back()->next == n)
            runs.back().push_back(n);
        else
            runs.push_back({n});
    }
    return runs;
}

dom::Node* WrapLine(dom::NodeTree& tree, dom::Node* node) {
    dom::Node* first = node;
    dom::Node* last = node;
    while (first->previous && !IsBlockElement(first->previous))
        first = first->previous;
    while (last->next && !IsBlockElement(last->next))
        last = last->next;
    std::vector<dom::Node*> line;
    for (dom::Node* n = first;; n = n->next) {
        line.push_back(n);
        if (n == last)
            break;
    }
    return WrapSiblings(tree, line, u"p");
}

std::vector<dom::Node*> BlocksOf(DocumentText& text, std::size_t from, std::size_t to) {
    dom::NodeTree& tree = text.Dom().tree;
    std::vector<dom::Node*> nodes;
    if (from >= to) {
        const TextPoint caret = text.Selected().start;
        dom::Node* node = caret.node;
        if (!node)
            return {};
        if (node->IsElement()) {
            dom::Node* child = node->firstChild;
            for (std::size_t i = 0; child && i < caret.offset; ++i)
                child = child->next;
            if (!child || IsBlockElement(child))
                child = child ? child->previous : node->lastChild;
            if (child && !IsBlockElement(child)) {
                node = child;
            } else if (IsContainerBlock(node)) {
                // An empty line of a container: a P of its own, with the caret in it.
                dom::Node* p = tree.CreateElement(u"p");
                dom::Node* before = node->firstChild;
                for (std::size_t i = 0; before && i < caret.offset; ++i)
                    before = before->next;
                tree.Insert(node, p, before);
                text.SelectText({p, 0}, {p, 0});
                return {p};
            }
        }
        nodes.push_back(node);
    } else {
        const TextStream& stream = text.Stream();
        for (std::size_t i = from; i < std::min(to, stream.Size()); ++i)
            if (dom::Node* n = stream.At(i).node; n && (nodes.empty() || nodes.back() != n))
                nodes.push_back(n);
    }
    std::vector<dom::Node*> blocks;
    for (dom::Node* n : nodes) {
        dom::Node* block = BlockOf(n);
        if (!block || (block == n && IsTableStructure(n)))
            continue;
        if (IsContainerBlock(block)) {
            if (block == n)
                continue;
            block = WrapLine(tree, ChildBelow(block, n));
        }
        if (std::find(blocks.begin(), blocks.end(), block) == blocks.end())
            blocks.push_back(block);
    }
    return blocks;
}

} // namespace qx::html::editing
