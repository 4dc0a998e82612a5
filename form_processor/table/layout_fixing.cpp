// Layout fixing and cell preparation: the sizes the user sees written into the table as pixels,
// the table switched to and from fixed layout, and every cell given an alignment and a blank.
#include "dispatch_names.h"
#include "grid_dom.h"
#include "table_editor.h"

#include <mshtml_style.h>
#include <qx/com/bstr.h>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

ComPtr<IHTMLStyle> InlineStyle(IHTMLElement* element) {
    ComPtr<IDispatch> style;
    if (!element || FAILED(element->get_style(&style)))
        return nullptr;
    return ComPtr<IHTMLStyle>::QueryFrom(style.Get());
}

void RemoveStyleAttribute(IHTMLStyle* style, const OLECHAR* name) {
    VARIANT_BOOL removed = VARIANT_FALSE;
    style->removeAttribute(Bstr(name), 0, &removed);
}

void SetWidthToOffset(IHTMLElement* element, IHTMLTable* table) {
    LONG offsetWidth = 0;
    element->get_offsetWidth(&offsetWidth);
    table->put_width(Variant(offsetWidth));
}

} // namespace

std::vector<LONG> ColumnWidths(const std::vector<int>& lines, const std::vector<bool>& live, int length) {
    std::vector<LONG> widths;
    if (length < 2)
        return widths;
    widths.assign(static_cast<std::size_t>(length - 1), 0);
    // A run of lines no cell ends at shares the distance between the live lines around it evenly,
    // the remainder going to its last column.
    int from = 0;
    for (int to = 1; to < length; ++to) {
        if (!live[static_cast<std::size_t>(to)])
            continue;
        const int count = to - from;
        const LONG total = lines[static_cast<std::size_t>(to)] - lines[static_cast<std::size_t>(from)];
        for (int k = 0; k < count; ++k)
            widths[static_cast<std::size_t>(from + k)] = total / count + (k == count - 1 ? total % count : 0);
        from = to;
    }
    return widths;
}

void CTableEditor::FixTableLayout(IHTMLElement* element, int fix) {
    if (editorWindow_)
        SetFocus(editorWindow_);
    ComPtr<IHTMLTable> table = ComPtr<IHTMLTable>::QueryFrom(element);
    ComPtr<IHTMLStyle> style = InlineStyle(element);
    ComPtr<IHTMLStyle2> style2 = ComPtr<IHTMLStyle2>::QueryFrom(style.Get());
    if (!table || !style2 || !document_)
        return;
    if (fix) {
        SetWidthToOffset(element, table.Get());
        BuildBoundaryArrays(element);
        if (m_ptXArray_len < 2 || m_ptYArray_len < 2)
            return;
        ComPtr<IDispatch> groupObject;
        ComPtr<IHTMLElement2> tableElement = ComPtr<IHTMLElement2>::QueryFrom(element);
        if (!tableElement || FAILED(document_->createElement(Bstr(u"COLGROUP"), &groupObject)) ||
            !groupObject)
            return;
        ComPtr<IDispatch> inserted;
        tableElement->insertAdjacentElement(Bstr(u"afterbegin"), groupObject.Get(), &inserted);
        ComPtr<IHTMLElement2> group = ComPtr<IHTMLElement2>::QueryFrom(groupObject.Get());
        if (!group)
            return;
        for (LONG width : ColumnWidths(m_ptXArray, m_ptXLive, m_ptXArray_len)) {
            ComPtr<IDispatch> colObject;
            if (FAILED(document_->createElement(Bstr(u"COL"), &colObject)) || !colObject)
                return;
            if (ComPtr<IHTMLTableCol> col = ComPtr<IHTMLTableCol>::QueryFrom(colObject.Get()))
                col->put_width(Variant(width));
            ComPtr<IDispatch> placed;
            group->insertAdjacentElement(Bstr(u"beforeEnd"), colObject.Get(), &placed);
        }
        FixRowHeights(element, 1);
        style2->put_tableLayout(Bstr(u"fixed"));
        style->setAttribute(Bstr(u"Design_Time_Lock"), Variant(u"true"), 0);
        return;
    }
    SetWidthToOffset(element, table.Get());
    FixRowHeights(element, 0);
    RemoveStyleAttribute(style.Get(), u"width");
    RemoveStyleAttribute(style.Get(), u"height");
    VARIANT_BOOL removed = VARIANT_FALSE;
    element->removeAttribute(Bstr(u"height"), 0, &removed);
    RemoveStyleAttribute(style.Get(), u"tableLayout");
    ComPtr<IDispatch> children;
    if (SUCCEEDED(element->get_children(&children))) {
        for (const auto& child : CollectionElements(children.Get())) {
            if (!TagNameIs(child.Get(), u"COLGROUP", false))
                continue;
            ComPtr<IHTMLDOMNode> node = ComPtr<IHTMLDOMNode>::QueryFrom(element);
            ComPtr<IDispatch> gone;
            if (node)
                node->removeChild(child.Get(), &gone);
            break;
        }
    }
    RemoveStyleAttribute(style.Get(), u"Design_Time_Lock");
}

void CTableEditor::FixRowHeights(IHTMLElement* table, int fix) {
    const TableMetrics metrics = GetTableMetrics(table);
    const auto rows = TableRows(table);
    const auto grid = TableCellRows(table);
    const std::size_t count = std::min(rows.size(), grid.size());
    // edges[i]: the upper grid line of row i, then the lower edge of the last cell read; a row
    // without a cell of its own has no edge, and neither it nor the row above it is given a height.
    std::vector<LONG> edges(count + 1, 0);
    std::vector<bool> known(count + 1, false);
    if (fix) {
        PageRect last;
        bool any = false;
        for (std::size_t i = 0; i < count; ++i) {
            for (const auto& cell : grid[i]) {
                last = GetElementPageRect(cell.Get());
                edges[i] = last.top - metrics.spacing;
                known[i] = true;
                any = true;
            }
        }
        edges[count] = last.Bottom();
        known[count] = any;
    }
    for (std::size_t i = 0; i < count; ++i) {
        ComPtr<IHTMLTableRow2> row = ComPtr<IHTMLTableRow2>::QueryFrom(rows[i].Get());
        if (!row)
            continue;
        if (!fix)
            row->put_height(Variant(u""));
        else if (known[i] && known[i + 1])
            row->put_height(Variant(static_cast<LONG>(edges[i + 1] - edges[i])));
    }
}

void CTableEditor::FixTableSizes(IHTMLElement* element) {
    ComPtr<IHTMLTable> table = ComPtr<IHTMLTable>::QueryFrom(element);
    if (!table)
        return;
    const TableMetrics metrics = GetTableMetrics(element);
    const PageRect tableRect = GetElementPageRect(element);
    const bool collapsed = IsBorderCollapsed(element) != 0;
    const LONG firstLeft = tableRect.left + (metrics.borderStyleNone ? 2 : metrics.border + 1);
    struct Measured {
        ComPtr<IHTMLElement> cell;
        PageRect box;
    };
    // Everything is measured before the first write, so the table is laid out again once.
    std::vector<Measured> cells;
    for (const auto& row : TableCellRows(element))
        for (const auto& cell : row)
            cells.push_back({cell, GetElementPageRect(cell.Get())});
    SetWidthToOffset(element, table.Get());
    for (const Measured& measured : cells) {
        ComPtr<IHTMLTableCell> cell = ComPtr<IHTMLTableCell>::QueryFrom(measured.cell.Get());
        if (!cell)
            continue;
        if (CellSpan(measured.cell.Get(), true) == 1)
            cell->put_width(Variant(static_cast<LONG>(
                CellContentWidth(measured.box.width, metrics, collapsed, measured.box.left == firstLeft))));
        cell->put_height(Variant(measured.box.height));
    }
    if (ComPtr<IHTMLStyle> style = InlineStyle(element)) {
        RemoveStyleAttribute(style.Get(), u"width");
        RemoveStyleAttribute(style.Get(), u"height");
    }
}

void CTableEditor::FillEmptyCells() {
    ForEachElement(document_.Get(), [](IDispatch* item) {
        ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(item);
        ComPtr<IHTMLTableCell> cell = ComPtr<IHTMLTableCell>::QueryFrom(item);
        if (!element || !cell || !TagNameIs(element.Get(), u"TD", true))
            return;
        Bstr alignment;
        if (SUCCEEDED(cell->get_vAlign(&alignment)) && alignment.Empty())
            cell->put_vAlign(Bstr(u"middle"));
        Bstr html;
        if (SUCCEEDED(element->get_innerHTML(&html)) && html.Empty())
            element->put_innerText(Bstr(u" "));
    });
}

int HasTableLayoutStyle(IHTMLElement* element) {
    if (!ComPtr<IHTMLTable>::QueryFrom(element))
        return 0;
    ComPtr<IHTMLStyle2> style = ComPtr<IHTMLStyle2>::QueryFrom(InlineStyle(element).Get());
    Bstr layout;
    return style && SUCCEEDED(style->get_tableLayout(&layout)) && !layout.Empty() ? 1 : 0;
}
