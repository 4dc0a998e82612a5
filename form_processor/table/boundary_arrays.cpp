// The column and row boundaries of a table, read from the rendered table by probing it, and the
// index walks that place a cell among them.
#include "grid_dom.h"
#include "table_editor.h"

#include <qx/com/bstr.h>

#include <string>

using qx::com::Bstr;
using qx::com::ComPtr;

namespace {

std::string Ansi(std::u16string_view text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                            nullptr);
    return out;
}

} // namespace

int CTableEditor::CellColumnIndex(IHTMLElement* cell, int& span) {
    return WalkLineIndex(cell, true, span);
}

int CTableEditor::CellRowIndex(IHTMLElement* cell, int& span) {
    return WalkLineIndex(cell, false, span);
}

// Walks the cell's row (columns) or column (rows) from the table's edge, 2 px inside the cell on
// the other axis, adding up the spans of the cells met until the cell itself is met.
int CTableEditor::WalkLineIndex(IHTMLElement* cell, bool columns, int& span) {
    span = CellSpan(cell, columns);
    ComPtr<IHTMLElement> table = FindAncestorByTag(cell, u"TABLE");
    if (!cell || !table || !document_)
        return -1;
    const TableMetrics metrics = GetTableMetrics(table.Get());
    const PageRect tableRect = GetElementPageRect(table.Get());
    const PageRect cellRect = GetElementPageRect(cell);
    LONG position = (columns ? tableRect.left : tableRect.top) + metrics.spacing + metrics.border;
    const LONG end = columns ? cellRect.Right() : cellRect.Bottom();
    int index = 0;
    ComPtr<IHTMLElement> last;
    while (position <= end) {
        ComPtr<IHTMLElement> hit = columns ? ElementAtPagePoint(position + 2, cellRect.top + 2)
                                           : ElementAtPagePoint(cellRect.left + 2, position + 2);
        ComPtr<IHTMLElement> met = FindCellOfTable(table.Get(), hit.Get());
        if (!met || SameElement(met.Get(), last.Get()))
            return -1;
        index += CellSpan(met.Get(), columns);
        if (SameElement(met.Get(), cell))
            return index;
        const PageRect box = GetElementPageRect(met.Get());
        const LONG next = (columns ? box.Right() : box.Bottom()) + metrics.spacing;
        if (next <= position)
            return -1;
        position = next;
        last = met;
    }
    return -1;
}

int CTableEditor::RowAtY(LONG y, LONG& lower) const {
    for (int i = 0; i < m_ptYArray_len && i < static_cast<int>(m_ptYArray.size()); ++i) {
        if (!m_ptYLive[static_cast<std::size_t>(i)] || m_ptYArray[static_cast<std::size_t>(i)] <= y - 2)
            continue;
        lower = m_ptYArray[static_cast<std::size_t>(i)];
        return i - 1;
    }
    return -1;
}

void CTableEditor::BuildBoundaryArrays(IHTMLElement* table) {
    m_arraysTable = table;
    m_ptXArray.assign(1, 0);
    m_ptYArray.assign(1, 0);
    m_ptXLive.assign(1, false);
    m_ptYLive.assign(1, false);
    m_ptXArray_len = m_ptYArray_len = 0;
    if (!ComPtr<IHTMLTable>::QueryFrom(table) || !document_)
        return;
    const TableMetrics metrics = GetTableMetrics(table);
    const PageRect tableRect = GetElementPageRect(table);
    const auto grid = TableCellRows(table);
    if (grid.empty())
        return;

    // Rows: each row's upper grid line, then the lower edge of the last row read.
    const std::size_t rowCount = grid.size();
    m_ptYArray.assign(rowCount + 2, 0);
    m_ptYLive.assign(rowCount + 2, false);
    PageRect lastCell;
    bool anyCell = false;
    for (std::size_t i = 0; i < rowCount; ++i) {
        for (const auto& cell : grid[i]) {
            lastCell = GetElementPageRect(cell.Get());
            m_ptYArray[i] = lastCell.top - metrics.spacing;
            m_ptYLive[i] = true;
            anyCell = true;
        }
    }
    if (!anyCell)
        return;
    m_ptYArray_len = static_cast<int>(rowCount) + 1;
    m_ptYArray[rowCount] = lastCell.Bottom();
    m_ptYLive[rowCount] = true;

    // Columns: as many as the first row's spans declare.
    int columns = 0;
    for (const auto& cell : grid[0])
        columns += CellSpan(cell.Get(), true);
    if (columns == 0)
        return;
    m_ptXArray_len = columns + 1;
    m_ptXArray.assign(static_cast<std::size_t>(m_ptXArray_len) + 1, 0);
    m_ptXLive.assign(static_cast<std::size_t>(m_ptXArray_len) + 1, false);
    m_ptXArray[0] = tableRect.left + metrics.border + 1;
    m_ptXLive[0] = true;

    // One probe walk per live row band, inside the row's cells (below the spacing above them);
    // the closing entry has no band.
    for (std::size_t band = 0; band < rowCount; ++band) {
        if (!m_ptYLive[band])
            continue;
        const LONG y = m_ptYArray[band] + metrics.spacing + 2;
        LONG x = tableRect.left + metrics.spacing + metrics.border;
        int counter = 1;
        ComPtr<IHTMLElement> last;
        for (;;) {
            ComPtr<IHTMLElement> hit = ElementAtPagePoint(x + 2, y);
            ComPtr<IHTMLElement> cell = FindCellOfTable(table, hit.Get());
            if (!cell) {
                Bstr tag;
                if (hit && SUCCEEDED(hit->get_tagName(&tag)) && tag.View() != u"TABLE" &&
                    tag.View() != u"BODY")
                    MessageBoxA(GetActiveWindow(), Ansi(tag.View()).c_str(), "message", MB_OK);
                break;
            }
            if (SameElement(cell.Get(), last.Get()))
                break;
            counter += CellSpan(cell.Get(), true);
            if (counter - 1 >= m_ptXArray_len) {
                // A row wider than the first: the arrays keep what they have.
                Bstr html;
                cell->get_innerHTML(&html);
                const std::string text = Ansi(html.View()) + " - m_ptXArray_len == totalIdx";
                MessageBoxA(GetActiveWindow(), text.c_str(), "problem", MB_OK);
                FillEmptyCells();
                MessageBoxA(GetActiveWindow(), "Fixed the space in cell(TD)", "fix", MB_OK);
                return;
            }
            const PageRect box = GetElementPageRect(cell.Get());
            m_ptXArray[static_cast<std::size_t>(counter - 1)] = box.Right();
            m_ptXLive[static_cast<std::size_t>(counter - 1)] = true;
            const LONG next = box.Right() + metrics.spacing;
            if (next <= x)
                break;
            x = next;
            last = cell;
        }
    }
}
