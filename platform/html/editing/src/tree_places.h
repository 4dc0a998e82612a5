// Small helpers over places in the tree shared by the editing sources.
#pragma once

#include "qx/html/dom/node_tree.h"

#include <cstddef>

namespace qx::html::editing {

// A node's position among its parent's children (the node has a parent).
inline std::size_t IndexInParent(const dom::Node* node) {
    std::size_t index = 0;
    for (const dom::Node* c = node->parent->firstChild; c != node; c = c->next)
        ++index;
    return index;
}

} // namespace qx::html::editing
