// Tree changes shared by every node object: insertion with the checks the DOM makes, removal,
// replacement and cloning.
#pragma once

#include "node_access.h"

namespace qx::xml {

// Inserts newChild (ours, from any tree: another tree's node is copied in) into parent before
// `before` (null: at the end). *inserted is the node that now stands in the tree.
HRESULT InsertChild(const TreePtr& tree, xmlNodePtr parent, IDispatch* newChild, xmlNodePtr before,
                    xmlNodePtr* inserted);
// The child behind refChild; E_INVALIDARG when it is not a child of parent.
HRESULT ChildOf(xmlNodePtr parent, IDispatch* child, xmlNodePtr* node);
// A copy of node, kept as an orphan of tree until it is inserted.
xmlNodePtr CloneInto(XmlTree& tree, xmlNodePtr node, bool deep);

} // namespace qx::xml
