// The styles the page gives its nodes at run time, for the browser's other pieces: layout reads an
// element's runtime style here (it is never serialised, so the tree's attributes do not carry it).
#pragma once

#include "qx/html/css/declarations.h"
#include "qx/html/dom/node_tree.h"

namespace qx::html::dom {

// The element's runtime style; null when script never gave it one.
const css::DeclarationBlock* RuntimeStyleOf(const Node& element);

} // namespace qx::html::dom
