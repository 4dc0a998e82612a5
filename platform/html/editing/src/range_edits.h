// What text ranges do to the tree: compare places, write a range as HTML, take its content out,
// and put HTML or text in its place.
#pragma once

#include "qx/html/editing/document_text.h"

#include <string>

namespace qx::html::editing {

// -1, 0 or 1 as `a` lies before, at or after `b` in tree order.
int ComparePoints(const TextPoint& a, const TextPoint& b);
// The range's content as HTML: whole nodes as they are written, elements cut by an end with their
// tags around the part inside.
std::u16string RangeHtml(const LiveRange& range);
// Takes out everything between the ends; both ends are then at the start. Table rows and cells that
// the range covers only in part of their table keep their place and lose their content.
void DeleteContents(DocumentText& text, LiveRange& range);
// pasteHTML: the content goes, the HTML parsed in the context of where it goes comes in, and the
// range is collapsed after it. E_INVALIDARG for HTML the parser refuses.
HRESULT PasteHtml(DocumentText& text, LiveRange& range, std::u16string_view html);
// text put: as pasteHTML with text; line breaks become BR elements.
HRESULT PutText(DocumentText& text, LiveRange& range, std::u16string_view value);

} // namespace qx::html::editing
