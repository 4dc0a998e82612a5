// Small questions the table engine asks of elements and documents: tag names, the BODY, the
// selection's kind and range, and the cells of a row or a table.
#pragma once

#include <mshtml.h>
#include <qx/com/comptr.h>

#include <functional>
#include <string_view>

// Whether the element's tag name is tag (upper case), ignoring the case of the tag name.
bool TagIs(IHTMLElement* element, std::u16string_view tag);
// The document's BODY; null without one.
qx::com::ComPtr<IHTMLElement> Body(IHTMLDocument2* document);

// The selection's kind and range.
enum class SelectionKind { Other, Caret, Control };
struct SelectionRange {
    SelectionKind kind = SelectionKind::Other;
    qx::com::ComPtr<IDispatch> range;
};
// "None" and "Text" selections give their text range, "Control" its control range.
SelectionRange CurrentSelection(IHTMLDocument2* document);

// Calls visit with each item of an element collection held in property name of target.
void ForEachItem(IDispatch* target, const OLECHAR* name, const std::function<void(IDispatch*)>& visit);
// Calls visit with each cell of each row of a TABLE, row by row.
void ForEachTableCell(IHTMLElement* table, const std::function<void(IHTMLElement*)>& visit);
