// The two line scans: the cells of the current table that a horizontal or vertical line crosses,
// found by probing the rendered table along the line.
#include "grid_dom.h"
#include "table_editor.h"

using qx::com::ComPtr;
using qx::com::Variant;

bool CTableEditor::ArraysDescribe(IHTMLElement* table) const {
    return table && SameElement(m_arraysTable.Get(), table);
}

int CTableEditor::ScanRowCells(int wholeWidth, LONG y, LONG xFrom, LONG xTo) {
    return ScanCells(true, wholeWidth, y, xFrom, xTo);
}

int CTableEditor::ScanColumnCells(int wholeHeight, LONG x, LONG yFrom, LONG yTo) {
    return ScanCells(false, wholeHeight, x, yFrom, yTo);
}

// rows: the line is horizontal at page y = line and the scan runs along x; otherwise the line is
// vertical at page x = line and the scan runs along y. The boundaries searched are the ones
// across the line: row boundaries for a row scan, column boundaries for a column scan.
int CTableEditor::ScanCells(bool rows, int wholeLine, LONG line, LONG from, LONG to) {
    scanResult_.clear();
    if (!document_)
        return 1;
    const TableMetrics metrics = GetTableMetrics(startTable.Get());
    const PageRect table = GetElementPageRect(startTable.Get());
    LONG position = wholeLine ? (rows ? table.left : table.top) + metrics.spacing + metrics.border + 2 : from;
    auto probe = [&](LONG along) {
        ComPtr<IHTMLElement> hit = rows ? ElementAtPagePoint(along, line) : ElementAtPagePoint(line, along);
        return FindCellOfTable(startTable.Get(), hit.Get());
    };
    ComPtr<IHTMLElement> cell = probe(position);
    if (!cell)
        return 0;
    const bool searchable = ArraysDescribe(startTable.Get());
    const std::vector<int>& boundaries = rows ? m_ptYArray : m_ptXArray;
    const std::vector<bool>& live = rows ? m_ptYLive : m_ptXLive;
    const int length = rows ? m_ptYArray_len : m_ptXArray_len;
    while (cell && ComPtr<IHTMLTableCell>::QueryFrom(cell.Get())) {
        const PageRect box = GetElementPageRect(cell.Get());
        CCellRecord record;
        record.cell = Variant(static_cast<IDispatch*>(cell.Get()));
        int span = 1;
        if (rows) {
            record.columnSpan = CellSpan(cell.Get(), true);
            record.lastIndex = CellRowIndex(cell.Get(), span);
            record.rowSpan = span;
        } else {
            record.rowSpan = CellSpan(cell.Get(), false);
            record.lastIndex = CellColumnIndex(cell.Get(), span);
            record.columnSpan = span;
        }
        record.firstIndex = record.lastIndex < 0 ? -1 : record.lastIndex - span;
        if (searchable && record.firstIndex >= 0 && record.firstIndex < length) {
            for (int k = record.firstIndex; k < length; ++k) {
                if (!live[static_cast<std::size_t>(k)] || boundaries[static_cast<std::size_t>(k)] <= line)
                    continue;
                record.nextBoundary = k;
                if (live[static_cast<std::size_t>(record.firstIndex)])
                    record.distanceBefore = line - boundaries[static_cast<std::size_t>(record.firstIndex)];
                record.distanceAfter = boundaries[static_cast<std::size_t>(k)] - line;
                break;
            }
        }
        record.left = box.left;
        record.top = box.top;
        record.width = box.width;
        record.height = box.height;
        const LONG start = rows ? box.left : box.top;
        const LONG size = rows ? box.width : box.height;
        record.overlaps = (from < start && start + size <= to) ||
                                  (start <= from && from < start + size - 1) ||
                                  (start < to && to <= start + size - 1)
                              ? 1
                              : 0;
        scanResult_.push_back(record);

        // Narrow cells get more slack so that the probe clears the spacing after them.
        const LONG next = start + size + metrics.spacing + (size <= 8 ? 4 : 2);
        if (!wholeLine && next > to)
            break;
        // A walk that does not move on (negative or odd geometry) ends here.
        if (next <= position)
            break;
        position = next;
        ComPtr<IHTMLElement> following = probe(position);
        if (following && SameElement(following.Get(), cell.Get()))
            break;
        cell = following;
    }
    return 1;
}
