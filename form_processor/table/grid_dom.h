// Small DOM helpers of the table engine's grid code: tag tests and a table's rows of cells.
#pragma once

#include <mshtml.h>

#include <qx/com/comptr.h>

#include <string_view>
#include <vector>

// ASCII letters compared without regard to case.
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);
// Whether the element's tag name is tag (upper case), exactly or without regard to case.
bool TagNameIs(IHTMLElement* element, std::u16string_view tag, bool ignoreCase);
// The elements of an element collection (IHTMLElementCollection), in order.
std::vector<qx::com::ComPtr<IHTMLElement>> CollectionElements(IDispatch* collection);
// The cells of each row of a TABLE (rows, then each row's cells); empty for anything else.
std::vector<std::vector<qx::com::ComPtr<IHTMLElement>>> TableCellRows(IHTMLElement* table);
// The rows (TR) of a TABLE.
std::vector<qx::com::ComPtr<IHTMLElement>> TableRows(IHTMLElement* table);
// A cell's colSpan or rowSpan, at least 1.
int CellSpan(IHTMLElement* cell, bool columns);
