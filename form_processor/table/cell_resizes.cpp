// Column and row resizes of the scanned cells, and the border move that keys and drags make.
#include "grid_dom.h"
#include "table_editor.h"

#include <oleauto.h>
#include <qx/com/bstr.h>

#include <optional>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

constexpr int kNarrowestContent = 8;

} // namespace

// The width attributes a column step wrote over, so that a refused second step can put them back.
struct WidthUndo {
    struct Entry {
        ComPtr<IHTMLElement> element;
        std::optional<Variant> width; // nullopt: the attribute was absent
    };
    std::vector<Entry> entries;

    void Remember(IHTMLElement* element) {
        Variant value;
        std::optional<Variant> width;
        if (SUCCEEDED(element->getAttribute(Bstr(u"width"), 0, &value)) && value.vt != VT_NULL &&
            value.vt != VT_EMPTY)
            width = value;
        entries.push_back({ComPtr<IHTMLElement>(element), width});
    }
    void Restore() {
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            VARIANT_BOOL removed = VARIANT_FALSE;
            if (it->width)
                it->element->setAttribute(Bstr(u"width"), *it->width, 0);
            else
                it->element->removeAttribute(Bstr(u"width"), 0, &removed);
        }
        entries.clear();
    }
};

int CTableEditor::ChangeColumnWidth(LONG pixels) {
    return ChangeColumnWidthOf(scanResult_, pixels, nullptr);
}

int CTableEditor::ChangeColumnWidthOf(const std::vector<CCellRecord>& records, LONG pixels, WidthUndo* undo) {
    if (records.empty())
        return 1;
    const TableMetrics metrics = GetTableMetrics(startTable.Get());
    const bool collapsed = IsBorderCollapsed(startTable.Get()) != 0;
    ComPtr<IHTMLTable> table = ComPtr<IHTMLTable>::QueryFrom(startTable.Get());
    if (!table)
        return 0;
    // Every width first: a refused step writes nothing.
    std::vector<LONG> widths;
    for (const CCellRecord& record : records) {
        const LONG width = CellContentWidth(record.width, metrics, collapsed, false) + pixels;
        if (width < kNarrowestContent)
            return 0;
        widths.push_back(width);
    }
    LONG offsetWidth = 0;
    startTable->get_offsetWidth(&offsetWidth);
    if (undo)
        undo->Remember(startTable.Get());
    table->put_width(Variant(static_cast<LONG>(offsetWidth + pixels)));
    for (std::size_t i = 0; i < records.size(); ++i) {
        ComPtr<IHTMLElement> element = records[i].Element();
        ComPtr<IHTMLTableCell> cell = ComPtr<IHTMLTableCell>::QueryFrom(element.Get());
        if (!cell)
            continue;
        if (undo)
            undo->Remember(element.Get());
        if (records[i].columnSpan == 1) {
            cell->put_width(Variant(widths[i]));
        } else {
            VARIANT_BOOL removed = VARIANT_FALSE;
            element->removeAttribute(Bstr(u"width"), 0, &removed);
        }
    }
    return 1;
}

int CTableEditor::ChangeRowHeight(LONG pixels) {
    const TableMetrics metrics = GetTableMetrics(startTable.Get());
    for (const CCellRecord& record : scanResult_) {
        ComPtr<IHTMLTableCell> cell = ComPtr<IHTMLTableCell>::QueryFrom(record.Element().Get());
        if (!cell)
            continue;
        // Rows thinner than the probe offsets would drop out of later scans.
        LONG height = record.height - (2 * metrics.padding + 2) + pixels;
        cell->put_height(Variant(height < kNarrowestContent ? static_cast<LONG>(kNarrowestContent) : height));
    }
    return 1;
}

void CTableEditor::ApplyBorderDrag(int hitCode, LONG delta) {
    if (!startCell || !startTable || (hitCode != kHitRight && hitCode != kHitBottom))
        return;
    const TableMetrics metrics = GetTableMetrics(startTable.Get());
    const PageRect cell = GetElementPageRect(startCell.Get());
    if (hitCode == kHitBottom) {
        const LONG amount = delta == kDeltaToGuide ? lastGuide.y - grabbedBorder.y + 2 + metrics.padding
                                                   : metrics.padding + metrics.spacing + 2 + delta;
        if (ScanRowCells(1, cell.Bottom() - 4, cell.left, cell.Right()))
            ChangeRowHeight(amount);
        return;
    }
    if (delta == kDeltaToGuide)
        delta = lastGuide.x - grabbedBorder.x;
    if (delta == 0)
        return;
    // Both sides are measured before anything is written: a scan made after the left cells grew
    // would meet them on the right of the border.
    ScanColumnCells(1, cell.Right(), cell.top, cell.Bottom());
    const std::vector<CCellRecord> left = scanResult_;
    ScanColumnCells(1, cell.Right() + metrics.spacing + 2, cell.top, cell.Bottom());
    const std::vector<CCellRecord> right = scanResult_;
    const std::vector<CCellRecord>& widened = delta > 0 ? left : right;
    const std::vector<CCellRecord>& narrowed = delta > 0 ? right : left;
    const LONG step = delta > 0 ? delta : -delta;
    WidthUndo undo;
    if (!ChangeColumnWidthOf(widened, step, &undo) || narrowed.empty())
        return;
    // The neighbour gives what the column takes, or nothing changes at all.
    if (!ChangeColumnWidthOf(narrowed, -step, nullptr))
        undo.Restore();
}
