// The live places of a document's ranges and selection, and the stream they are counted in.
#include "qx/html/editing/document_text.h"

#include "tree_places.h"

#include <algorithm>
#include <optional>

namespace qx::html::editing {

LiveRange::LiveRange(DocumentText& text) : text_(&text) {
    text_->ranges_.push_back(this);
}

LiveRange::LiveRange(const LiveRange& other) : start(other.start), end(other.end), text_(other.text_) {
    text_->ranges_.push_back(this);
}

LiveRange& LiveRange::operator=(const LiveRange& other) {
    start = other.start;
    end = other.end;
    return *this;
}

LiveRange::~LiveRange() {
    auto& ranges = text_->ranges_;
    ranges.erase(std::remove(ranges.begin(), ranges.end(), this), ranges.end());
}

DocumentText::DocumentText(dom::DomDocument& dom) : dom_(dom), selection_(*this) {
    dom_.tree.AddObserver(this);
}

DocumentText::~DocumentText() {
    ReleaseControls();
    dom_.tree.RemoveObserver(this);
}

const TextStream& DocumentText::Stream() {
    if (streamVersion_ != dom_.tree.ContentVersion() || stream_.Scope() != dom_.tree.Body()) {
        stream_.Build(dom_.tree.Body());
        streamVersion_ = dom_.tree.ContentVersion();
    }
    return stream_;
}

// A node leaving: places inside it go to where it stood; places after it in its parent move back.
// The node's index is found only when a place needs it (parsing links many nodes nobody points at).
void DocumentText::NodeUnlinking(dom::Node* node) {
    dom::Node* parent = node->parent;
    std::optional<std::size_t> index;
    auto indexOf = [&] { return index ? *index : *(index = IndexInParent(node)); };
    for (LiveRange* range : ranges_) {
        for (TextPoint* p : {&range->start, &range->end}) {
            if (!p->node)
                continue;
            if (p->node == parent) {
                if (p->offset > indexOf())
                    --p->offset;
            } else if (dom::IsInclusiveAncestor(node, p->node)) {
                *p = {parent, indexOf()};
            }
        }
    }
}

void DocumentText::NodeLinked(dom::Node* node) {
    std::optional<std::size_t> index;
    for (LiveRange* range : ranges_) {
        for (TextPoint* p : {&range->start, &range->end}) {
            if (p->node != node->parent)
                continue;
            if (!index)
                index = IndexInParent(node);
            if (p->offset > *index)
                ++p->offset;
        }
    }
}

void DocumentText::ReplaceText(dom::Node* text, std::size_t offset, std::size_t count,
                               std::u16string_view with) {
    offset = std::min(offset, text->text.size());
    count = std::min(count, text->text.size() - offset);
    text->text.replace(offset, count, with);
    for (LiveRange* range : ranges_) {
        for (TextPoint* p : {&range->start, &range->end}) {
            if (p->node != text || p->offset <= offset)
                continue;
            p->offset = p->offset > offset + count ? p->offset - count + with.size() : offset;
        }
    }
    dom_.tree.TouchContent();
}

dom::Node* DocumentText::SplitText(dom::Node* text, std::size_t offset) {
    offset = std::min(offset, text->text.size());
    dom::Node* rest = dom_.tree.CreateText(std::u16string_view(text->text).substr(offset));
    dom_.tree.Insert(text->parent, rest, text->next);
    const std::size_t restIndex = IndexInParent(rest);
    for (LiveRange* range : ranges_) {
        for (TextPoint* p : {&range->start, &range->end}) {
            if (p->node == text && p->offset > offset)
                *p = {rest, p->offset - offset};
            else if (p->node == text->parent && p->offset == restIndex)
                ++p->offset;
        }
    }
    text->text.resize(offset);
    dom_.tree.TouchContent();
    return rest;
}

SelectionType DocumentText::Type() {
    if (!controls_.empty()) {
        // Elements taken out of the page leave the selection.
        std::vector<dom::Node*> kept;
        for (dom::Node* e : controls_)
            if (dom::IsInclusiveAncestor(dom_.tree.Document(), e))
                kept.push_back(e);
        if (kept.size() != controls_.size())
            SelectControls(kept);
        if (!controls_.empty())
            return SelectionType::Control;
    }
    if (!hasSelection_)
        return SelectionType::None;
    const TextStream& stream = Stream();
    return stream.GapOf(selection_.start) < stream.GapOf(selection_.end) ? SelectionType::Text
                                                                         : SelectionType::None;
}

void DocumentText::SelectText(const TextPoint& start, const TextPoint& end) {
    ReleaseControls();
    selection_.start = start;
    selection_.end = end;
    hasSelection_ = true;
}

void DocumentText::SelectControls(const std::vector<dom::Node*>& elements) {
    HoldControls(elements);
    ReleaseControls();
    controls_ = elements;
    if (!controls_.empty()) {
        // The caret goes where the first element stands, for when the controls are let go.
        dom::Node* first = controls_.front();
        if (first->parent) {
            selection_.start = selection_.end = TextPoint{first->parent, IndexInParent(first)};
            hasSelection_ = true;
        }
    }
}

void DocumentText::Empty() {
    ReleaseControls();
    selection_.end = selection_.start;
}

void DocumentText::HoldControls(const std::vector<dom::Node*>& elements) {
    for (dom::Node* e : elements)
        dom_.tree.Hold(e);
}

void DocumentText::ReleaseControls() {
    std::vector<dom::Node*> held;
    held.swap(controls_);
    for (dom::Node* e : held)
        dom_.tree.Release(e);
}

} // namespace qx::html::editing
