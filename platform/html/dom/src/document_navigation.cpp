// What a document's navigation does where the browser that shows it adds nothing.
#include "qx/html/dom/html_document.h"

namespace qx::html::dom {

HRESULT DocumentNavigation::Post(std::u16string_view url, std::string_view body, std::string_view) {
    return Navigate(url, body, false);
}

HRESULT DocumentNavigation::ReplaceContent(DomDocument& dom, const DocumentBytes* source) {
    return ReplaceDocumentContent(dom, source);
}

} // namespace qx::html::dom
