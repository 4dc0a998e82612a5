// The `xml` text of a node, written as the classic parser writes it: no declaration unless the
// document had one, attributes in their order, "<a/>" for an element without children, text with
// &lt; &gt; &amp;, attribute values with &lt; &amp; &quot;, and CR LF after every top-level node of
// a document.
#pragma once

#include "xml_tree.h"

#include <string>

namespace qx::xml {

std::string SerializeNode(const XmlTree& tree, xmlNodePtr node); // UTF-8

} // namespace qx::xml
