// selectNodes / selectSingleNode: path queries ("A/B/C", "*", "//X", "@name", "X[@a='v']", "X[2]")
// evaluated from a context node.
#pragma once

#include "wintypes.h"
#include "xml_tree.h"

#include <string>
#include <vector>

namespace qx::xml {

// E_FAIL for a query that is not a path expression or does not give nodes.
HRESULT SelectNodes(xmlNodePtr context, const std::string& query, std::vector<xmlNodePtr>& result);

// Elements named `name` ("*" for all) below node, in document order.
std::vector<xmlNodePtr> ElementsByTagName(xmlNodePtr node, const std::string& name);

} // namespace qx::xml
