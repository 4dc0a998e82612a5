// The tree back to HTML as the old browser wrote it: upper-case tag names, attributes in their order
// with the source's quoting where the value allows it, values quoted when they need it, and the
// character references "&amp;", "&lt;", "&gt;", "&nbsp;" (and "&quot;" in attributes). Raw-text
// elements (SCRIPT, STYLE, XML data islands) keep their text as it is.
#pragma once

#include "qx/html/dom/node_tree.h"

#include <string>

namespace qx::html::dom {

void AppendOuterHtml(const Node* node, std::u16string& out);
void AppendInnerHtml(const Node* node, std::u16string& out);
std::u16string OuterHtml(const Node* node);
// Pieces for writing part of a tree (a text range's HTML): an element's start and end tags, and part
// of a text node's text as that node's text is written.
void AppendStartTag(const Node* element, std::u16string& out);
void AppendEndTag(const Node* element, std::u16string& out);
void AppendTextPart(const Node* text, std::u16string_view part, std::u16string& out);
std::u16string InnerHtml(const Node* node);
// The whole document: its doctype as the source wrote it, then its children.
std::u16string DocumentHtml(const NodeTree& tree);

// The text of a node and its descendants as innerText reads it: BR as "\r\n", a line break
// between blocks, SCRIPT and STYLE content left out.
std::u16string InnerText(const Node* node);
// All text below the node as it stands (nodeValue-like, for comparisons and tests).
std::u16string TextContent(const Node* node);

} // namespace qx::html::dom
