// Gives a document's element objects their geometry members from a layout of the document.
#pragma once

#include "qx/html/dom/html_document.h"
#include "qx/html/layout/page_layout.h"

namespace qx::html::layout {

// Installs a layout of the document as the source its element objects read offset and client
// members from; returns it so that its owner can size the viewport and scroll (it lives as long as
// the document).
PageLayout& AttachLayout(dom::DomDocument& document, LayoutHooks hooks = {});

} // namespace qx::html::layout
