#include "grid_dom.h"

#include <qx/com/bstr.h>
#include <qx/com/variant.h>

#include <algorithm>

namespace {

char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

} // namespace

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

bool TagNameIs(IHTMLElement* element, std::u16string_view tag, bool ignoreCase) {
    qx::com::Bstr name;
    if (!element || FAILED(element->get_tagName(&name)))
        return false;
    return ignoreCase ? EqualsIgnoringCase(name.View(), tag) : name.View() == tag;
}

std::vector<qx::com::ComPtr<IHTMLElement>> CollectionElements(IDispatch* collectionObject) {
    std::vector<qx::com::ComPtr<IHTMLElement>> elements;
    auto collection = qx::com::ComPtr<IHTMLElementCollection>::QueryFrom(collectionObject);
    LONG length = 0;
    if (!collection || FAILED(collection->get_length(&length)))
        return elements;
    for (LONG i = 0; i < length; ++i) {
        qx::com::ComPtr<IDispatch> item;
        collection->item(qx::com::Variant(i), qx::com::Variant(), &item);
        if (auto element = qx::com::ComPtr<IHTMLElement>::QueryFrom(item.Get()))
            elements.push_back(element);
    }
    return elements;
}

std::vector<qx::com::ComPtr<IHTMLElement>> TableRows(IHTMLElement* element) {
    auto table = qx::com::ComPtr<IHTMLTable>::QueryFrom(element);
    qx::com::ComPtr<IDispatch> rows;
    if (!table || FAILED(table->get_rows(&rows)))
        return {};
    return CollectionElements(rows.Get());
}

std::vector<std::vector<qx::com::ComPtr<IHTMLElement>>> TableCellRows(IHTMLElement* element) {
    std::vector<std::vector<qx::com::ComPtr<IHTMLElement>>> grid;
    for (const auto& rowElement : TableRows(element)) {
        auto row = qx::com::ComPtr<IHTMLTableRow>::QueryFrom(rowElement.Get());
        qx::com::ComPtr<IDispatch> cells;
        if (row && SUCCEEDED(row->get_cells(&cells)))
            grid.push_back(CollectionElements(cells.Get()));
        else
            grid.emplace_back();
    }
    return grid;
}

int CellSpan(IHTMLElement* element, bool columns) {
    auto cell = qx::com::ComPtr<IHTMLTableCell>::QueryFrom(element);
    LONG span = 1;
    if (cell)
        columns ? cell->get_colSpan(&span) : cell->get_rowSpan(&span);
    return static_cast<int>(std::max<LONG>(span, 1));
}
