// The mouse in design mode: a press places the caret or selects an element, a drag selects text.
#include "edit_tree.h"
#include "range_edits.h"
#include "session_state.h"

#include <algorithm>

namespace qx::html::editing {

namespace {

// The element a press at the hit element selects whole: a control, or a table hit outside its
// cells (on its border or spacing), or any table with Ctrl.
dom::Node* ControlAt(dom::Node* hit, bool ctrl) {
    bool inCell = false;
    for (dom::Node* n = hit; n && !n->Is(u"body"); n = n->parent) {
        if (n->Is(u"td") || n->Is(u"th") || n->Is(u"caption"))
            inCell = true;
        if (n->Is(u"table")) {
            if (!inCell || ctrl)
                return n;
            continue;
        }
        if (IsControlElement(n))
            return n;
    }
    return nullptr;
}

} // namespace

void EditingSession::MouseDown(LONG x, LONG y, bool shift, bool ctrl) {
    dom::GeometrySource* geometry = dom_->geometry.get();
    if (!geometry || !dom_->tree.Body())
        return;
    state_->typing = false;
    state_->pressed = false;
    dom::Node* hit = geometry->ElementFromPoint(x, y);
    if (!hit)
        return;
    if (dom::Node* control = ControlAt(hit, ctrl)) {
        const std::vector<dom::Node*>& chosen = text_.Controls();
        if (text_.Type() == SelectionType::Control &&
            std::find(chosen.begin(), chosen.end(), control) != chosen.end()) {
            // A press on a selected element starts dragging it; the page may refuse, nothing moves.
            FireAt(control, u"dragstart");
            return;
        }
        if (!FireAt(control, u"selectstart"))
            return;
        SelectElement(control);
        return;
    }
    const TextPoint place = geometry->TextPointFromPoint(x, y);
    if (!place.node || !FireAt(hit, u"selectstart"))
        return;
    state_->pressed = true;
    if (shift && text_.Type() != SelectionType::Control) {
        const TextPoint anchor = state_->anchor.start.node ? state_->anchor.start : text_.Selected().start;
        SelectRange(anchor, place);
    } else {
        SelectRange(place, place);
    }
}

void EditingSession::MouseMove(LONG x, LONG y) {
    dom::GeometrySource* geometry = dom_->geometry.get();
    if (!state_->pressed || !geometry)
        return;
    const TextPoint place = geometry->TextPointFromPoint(x, y);
    if (!place.node || !state_->anchor.start.node)
        return;
    const TextPoint& focus = state_->focus.start;
    if (focus.node == place.node && focus.offset == place.offset)
        return;
    SelectRange(state_->anchor.start, place);
}

void EditingSession::MouseUp(LONG x, LONG y) {
    if (state_->pressed)
        MouseMove(x, y);
    state_->pressed = false;
}

void EditingSession::SelectWordAt(LONG x, LONG y) {
    dom::GeometrySource* geometry = dom_->geometry.get();
    if (!geometry)
        return;
    const TextPoint place = geometry->TextPointFromPoint(x, y);
    dom::Node* hit = geometry->ElementFromPoint(x, y);
    if (!place.node || !hit || ControlAt(hit, false) || !FireAt(hit, u"selectstart"))
        return;
    const TextStream& stream = text_.Stream();
    std::size_t from = stream.GapOf(place), to = from;
    ExpandGaps(stream, &from, &to, MoveUnit::Word);
    state_->pressed = false;
    SelectRange(stream.Right(from), stream.Left(to));
}

} // namespace qx::html::editing
