// A document's editing state: the places text ranges and the selection hold, kept right as the tree
// changes, the document's text stream, and the selection itself. The caret and the editing commands
// of the editing control work on the same state.
#pragma once

#include "qx/html/editing/text_stream.h"

#include <cstdint>
#include <vector>

namespace qx::html::editing {

class DocumentText;

// A start and an end in the tree that follow its changes: a node leaving the tree takes the places
// inside it to where it was; a node coming in moves the places after it along; text edits made
// through DocumentText move the places inside the text.
class LiveRange {
public:
    explicit LiveRange(DocumentText& text);
    LiveRange(const LiveRange& other);
    LiveRange& operator=(const LiveRange& other);
    ~LiveRange();

    DocumentText& Text() const { return *text_; }
    TextPoint start;
    TextPoint end;

private:
    DocumentText* text_;
};

enum class SelectionType { None, Text, Control };

class DocumentText final : private dom::TreeObserver {
public:
    explicit DocumentText(dom::DomDocument& dom);
    ~DocumentText();
    DocumentText(const DocumentText&) = delete;
    DocumentText& operator=(const DocumentText&) = delete;

    dom::DomDocument& Dom() { return dom_; }
    // The text stream of BODY, made again when the tree has changed since it was last made.
    const TextStream& Stream();

    // The selection: a text selection (collapsed: the caret, type "None") or control elements.
    SelectionType Type();
    const LiveRange& Selected() const { return selection_; }
    const std::vector<dom::Node*>& Controls() const { return controls_; }
    void SelectText(const TextPoint& start, const TextPoint& end);
    void SelectControls(const std::vector<dom::Node*>& elements);
    // No selection: the caret stays at the selection's start.
    void Empty();

    // Text edits that keep the live places right: replaces `count` characters at `offset`.
    void ReplaceText(dom::Node* text, std::size_t offset, std::size_t count, std::u16string_view with);
    // Splits a text node at `offset`; the new node (after it) holds the rest and the places there.
    dom::Node* SplitText(dom::Node* text, std::size_t offset);

private:
    friend class LiveRange;
    void NodeUnlinking(dom::Node* node) override;
    void NodeLinked(dom::Node* node) override;
    void HoldControls(const std::vector<dom::Node*>& elements);
    void ReleaseControls();

    dom::DomDocument& dom_;
    std::vector<LiveRange*> ranges_;
    TextStream stream_;
    std::uint64_t streamVersion_ = ~std::uint64_t{0};
    LiveRange selection_;
    bool hasSelection_ = false;
    std::vector<dom::Node*> controls_; // held while selected
};

// Gives the document its selection and BODY its createTextRange; returns the document's editing
// state (it lives as long as the document).
DocumentText& AttachEditing(dom::DomDocument& document);
// The editing state of a document, null when none was attached.
DocumentText* EditingOf(dom::DomDocument& document);

} // namespace qx::html::editing
