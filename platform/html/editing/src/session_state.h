// The editing session's own state and the helpers its sources share.
#pragma once

#include "qx/html/editing/editing_session.h"

#include <string>
#include <utility>
#include <vector>

namespace qx::html::editing {

// A document's body content and selection, as undo and redo put them back.
struct EditSnapshot {
    std::u16string html;
    std::size_t from = 0, to = 0;      // text selection as gaps
    std::vector<std::size_t> controls; // selected elements by their order among BODY's elements
};

struct EditingSession::State {
    explicit State(DocumentText& text) : anchor(text), focus(text) {}

    // The ends of a text selection the session made: where Shift+arrow and Shift+click extend from.
    LiveRange anchor;
    LiveRange focus;

    // The mouse: a press that may become a drag.
    bool pressed = false;
    bool dragOfControl = false;

    // Formats waiting for the next typed text at the caret (Bold with a caret, say); they go when
    // the caret moves.
    struct PendingFormat {
        std::u16string tag;
        std::u16string attribute; // empty for a plain tag
        std::u16string value;
    };
    std::vector<PendingFormat> pending;
    std::size_t pendingGap = 0;

    // Undo and redo: the states before the changes; typed characters in a row are one change.
    std::vector<EditSnapshot> undo;
    std::vector<EditSnapshot> redo;
    bool typing = false;
};

// The most changes undo keeps.
inline constexpr std::size_t kUndoDepth = 100;

// The selection as ordered gaps of the stream.
std::pair<std::size_t, std::size_t> SelectionGaps(DocumentText& text);
// Where a gap's text places are: Right(from)..Left(to), a caret's Caret(gap).
void SelectGaps(DocumentText& text, std::size_t from, std::size_t to);

} // namespace qx::html::editing
