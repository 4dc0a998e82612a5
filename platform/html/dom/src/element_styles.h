// The DOM's side of the styles: elements as the styles see them (css::StyleOwner), their `style`,
// `runtimeStyle` and `currentStyle` objects, the sheets of STYLE and LINK elements, and the
// document's `styleSheets` and `createStyleSheet`.
#pragma once

#include "qx/html/css/style_owner.h"
#include "qx/html/css/style_sheet.h"
#include "qx/html/dom/html_document.h"

#include <memory>

namespace qx::html::dom {

enum class ElementStyleKind { Inline, Runtime, Current };

// The element as the styles see it (a css::StyleOwner). A style object keeps `object` (the element's
// own object) alive while it lives; `object` outlives the owner made for it.
class ElementStyleOwner;
struct ElementStyleOwnerDeleter {
    void operator()(ElementStyleOwner* owner) const;
};
using ElementStyleOwnerPtr = std::unique_ptr<ElementStyleOwner, ElementStyleOwnerDeleter>;
ElementStyleOwnerPtr MakeElementStyleOwner(const DomPtr& dom, Node* element, IUnknown* object);
// The element's style object of a kind: the same one while it is referenced.
HRESULT ElementStyleObject(ElementStyleOwner& owner, ElementStyleKind kind, IDispatch** out);

// A STYLE element's or a LINK rel=stylesheet element's sheet, brought up to date with the STYLE's
// text or the LINK's href (title and media come from the element when it is read again); null for
// other elements.
std::shared_ptr<css::StyleSheet> ElementSheet(const DomPtr& dom, Node* element);
// The same as its object; null (S_OK) for other elements
// and for a LINK that is no style sheet link.
HRESULT ElementStyleSheet(const DomPtr& dom, Node* element, IDispatch** out);

// document.styleSheets: live, in document order.
HRESULT DocumentStyleSheets(const DomPtr& dom, IDispatch** out);
// document.createStyleSheet(url, index): a new empty sheet (its href the URL) placed at `index`
// among the document's sheets (-1 or past the end: last).
HRESULT CreateDocumentStyleSheet(const DomPtr& dom, BSTR url, LONG index, IDispatch** out);

} // namespace qx::html::dom
