// What the editing session does to the tree: the kinds of elements it treats alike, splitting
// elements at a place, wrapping and unwrapping, and the leaves and blocks a selection covers.
#pragma once

#include "qx/html/editing/document_text.h"

#include "range_objects.h"

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace qx::html::editing {

// Elements that start and end lines (P, DIV, headings, lists, tables and their parts, ...).
bool IsBlockElement(const dom::Node* node);
// The parts of a table that hold no text of their own (TABLE, its sections, rows, column groups).
bool IsTableStructure(const dom::Node* node);
// Blocks that hold lines of their own and are never renamed or merged: BODY, cells, CAPTION,
// BLOCKQUOTE, FORM.
bool IsContainerBlock(const dom::Node* node);
// The innermost block at or above a node (BODY at most; null outside BODY).
dom::Node* BlockOf(dom::Node* node);
// The node at or above `node` that is a child of `ancestor` (null when it is not below it).
dom::Node* ChildBelow(dom::Node* ancestor, dom::Node* node);

// Splits every element from `parent` up to `top` (inclusive) before `before` (null: at the end of
// parent). Nothing empty is made: a split at an element's edge goes up without cloning. Answers
// the node before which the split now runs among top's siblings (null: after top's last part).
dom::Node* SplitBefore(dom::NodeTree& tree, dom::Node* parent, dom::Node* before, dom::Node* top);
// Where content goes at a place: the parent and the child it goes before (null: at the end); a
// text node is split at the place.
std::pair<dom::Node*, dom::Node*> BreakAt(DocumentText& text, const TextPoint& place);
// The element's children take its place.
void Unwrap(dom::NodeTree& tree, dom::Node* element);
// Puts consecutive siblings into a new element inserted where the first stood.
dom::Node* WrapSiblings(dom::NodeTree& tree, const std::vector<dom::Node*>& siblings,
                        std::u16string_view tag);
// An element of another tag with the same attributes and children in its place.
dom::Node* Rename(dom::NodeTree& tree, dom::Node* element, std::u16string_view tag);

// The leaves of the units in [from, to): text nodes split so that each selected piece is a node of
// its own, BRs and objects; in tree order. Text in table structure (white space between rows) is
// left out.
std::vector<dom::Node*> IsolateLeaves(DocumentText& text, std::size_t from, std::size_t to);
// The highest nodes wholly made of `leaves` below their block, in runs of consecutive siblings.
std::vector<std::vector<dom::Node*>> CoveredRuns(const std::vector<dom::Node*>& leaves);
// Nodes in tree order grouped into runs of consecutive siblings.
std::vector<std::vector<dom::Node*>> SiblingRuns(const std::vector<dom::Node*>& nodes);

// The blocks the units of [from, to) sit in (the caret's block when from == to), in tree order.
// Lines directly in a container block (text in BODY or a cell) are first put into a P of their
// own, so every answer can be renamed, aligned or listed.
std::vector<dom::Node*> BlocksOf(DocumentText& text, std::size_t from, std::size_t to);
// The P made around the line of a node directly in a container block.
dom::Node* WrapLine(dom::NodeTree& tree, dom::Node* node);

} // namespace qx::html::editing
