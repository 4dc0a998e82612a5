// The table grid as the rendered document shows it: the cell record a line scan fills, a table's
// metrics, the border hit test and the content width a measured cell box stands for.
#pragma once

#include <mshtml.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <windows.h>

#include <vector>

// One cell met by a line scan. Row scans count rows, column scans count columns: the spans,
// distances and boundary indexes are along the scan's own axis.
class CCellRecord {
public:
    CCellRecord() = default;
    CCellRecord(const CCellRecord&) = default;
    CCellRecord& operator=(const CCellRecord&) = default;
    virtual ~CCellRecord() = default;

    // The TD as VT_DISPATCH; null when the record was never filled.
    qx::com::ComPtr<IHTMLElement> Element() const;

    qx::com::Variant cell;
    int overlaps = 0;
    int columnSpan = 1;
    int rowSpan = 1;
    int distanceBefore = 0;
    int distanceAfter = 0;
    // -1 when no boundary lies beyond the scan position (the distances are then 0).
    int nextBoundary = -1;
    // Boundary indexes that open and close the cell; -1 when the index walk missed.
    int firstIndex = -1;
    int lastIndex = -1;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int reserved = 0;
};

// An element's rectangle in page coordinates.
struct PageRect {
    LONG left = 0;
    LONG top = 0;
    LONG width = 0;
    LONG height = 0;
    LONG Right() const { return left + width; }
    LONG Bottom() const { return top + height; }
};

// A table's cell padding, cell spacing and border as the layout uses them (negative values count
// as 0), and whether its inline border-top-style is "none" (border 0 then).
struct TableMetrics {
    int padding = 1;
    int spacing = 2;
    int border = 1;
    int borderStyleNone = 0;
};

enum BorderHit { kHitRight = 0, kHitLeft = 1, kHitTop = 2, kHitBottom = 3, kHitInside = 4 };

// 1 when the element's inline border-top-style is "none" (case ignored).
int HasBorderStyleNone(IHTMLElement* element);
// 1 when the element's inline border-collapse is "collapse" (case ignored).
int IsBorderCollapsed(IHTMLElement* element);
TableMetrics GetTableMetrics(IHTMLElement* table);
// The TD of `table` at or above `start`; a cell of a table nested in one of its cells yields the
// enclosing cell. Null without a table or when none is found.
qx::com::ComPtr<IHTMLElement> FindCellOfTable(IHTMLElement* table, IHTMLElement* start);
// Which border band of the rectangle (x, y) lies in: each band reaches from 1 px outside to 3 px
// inside; top, bottom, left, right in that order, else inside.
int HitTestBorder(unsigned short x, unsigned short y, LONG left, LONG top, LONG right, LONG bottom);
// The `width` attribute that gives a cell box of boxWidth pixels in this table; firstColumn adds
// the pixel a collapsed table's first column shares with the table's border.
int CellContentWidth(int boxWidth, const TableMetrics& metrics, bool collapsed, bool firstColumn);
// Whether two interface pointers are the same element.
bool SameElement(IUnknown* a, IUnknown* b);
// The COL widths of a fixed table from its column boundaries: a run of lines no cell ends at
// shares the distance between the live lines around it, the remainder to its last column.
std::vector<LONG> ColumnWidths(const std::vector<int>& lines, const std::vector<bool>& live, int length);
