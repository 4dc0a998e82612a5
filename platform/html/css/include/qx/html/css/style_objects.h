// The style objects script and components reach: an element's `style`, `runtimeStyle` and
// `currentStyle`, style sheets (`IHTMLStyleSheet`), their rules and rule styles, and the document's
// `styleSheets` collection. The DOM makes them and keeps one object per element and purpose while
// it is referenced; a sheet, a rule and a rule's style are each one object while referenced.
#pragma once

#include "mshtml_style.h"
#include "qx/html/css/style_owner.h"
#include "qx/html/css/style_sheet.h"

#include <memory>
#include <vector>

namespace qx::html::css {

// Each of the three element styles is one object per element while it is referenced: asking again
// gives the live one.
// element.style (IHTMLStyle, IHTMLStyle2): the element's style attribute, read again whenever its
// text changed and written back after every change.
HRESULT CreateInlineStyle(StyleOwner& element, IDispatch** style);
// element.runtimeStyle (IHTMLStyle, IHTMLStyle2) over StyleOwner::RuntimeStyle().
HRESULT CreateRuntimeStyle(StyleOwner& element, IDispatch** style);
// element.currentStyle (IHTMLCurrentStyle): the cascade, read live.
HRESULT CreateCurrentStyle(StyleOwner& element, IDispatch** style);
// The sheet's object (IHTMLStyleSheet); the same object while one is referenced.
HRESULT GetStyleSheetObject(const std::shared_ptr<StyleSheet>& sheet, IDispatch** object);

// The sheets a `styleSheets` collection shows (the document's), asked again on every call.
class StyleSheetSource {
public:
    virtual void AddSourceRef() = 0;
    virtual void ReleaseSourceRef() = 0;
    virtual void StyleSheets(std::vector<std::shared_ptr<StyleSheet>>& sheets) = 0;

protected:
    ~StyleSheetSource() = default;
};

// document.styleSheets (IHTMLStyleSheetsCollection): live; item by index or by the sheet's id.
HRESULT CreateStyleSheetsCollection(StyleSheetSource& source, IDispatch** collection);

} // namespace qx::html::css
