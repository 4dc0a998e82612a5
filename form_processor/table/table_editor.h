// The table engine of the edited document: it subclasses the editor window, keeps the document,
// the split and merge modes and the attribute view, advises element sinks, and answers the
// control's questions about the selection.
#pragma once

#include "grid_model.h"
#include "table_owner.h"

#include <mshtml.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <windows.h>

#include <map>
#include <vector>

class CTableEditor {
public:
    explicit CTableEditor(TableEditorOwner& owner) : owner_(owner) {}
    ~CTableEditor();
    CTableEditor(const CTableEditor&) = delete;
    CTableEditor& operator=(const CTableEditor&) = delete;

    // Holds the document and subclasses its window once; 0 (after a box) when the document has
    // no window, 1 otherwise.
    int Attach(IHTMLDocument2* document);
    // Restores the window's procedure, forgets the window and unadvises every element sink.
    void Detach();
    // Element sinks on every TABLE, SELECT, INPUT, TD and BODY of the document.
    void AdviseElementSinks();
    // Nonzero lets the editor have the key message, 0 swallows it.
    int FilterKey(const MSG& msg);

    IHTMLDocument2* Document() const { return document_.Get(); }
    HWND EditorWindow() const { return editorWindow_; }
    void SetPageBridge(CExternalDispatch* bridge) { bridge_ = bridge; }
    CExternalDispatch* PageBridge() const { return bridge_; }

    // The element at the caret or the selection; null when there is none.
    qx::com::ComPtr<IHTMLElement> GetSelectedElement() const;
    qx::com::ComPtr<IHTMLElement> GetCurrentCell() const;
    qx::com::ComPtr<IHTMLElement> GetCurrentTable() const;
    // Puts the caret at the end of the element's text and the focus on the editor.
    void FocusElement(IHTMLElement* element) const;
    // BODY's attribute `name` becomes the empty string.
    void SetDocumentMarker(const OLECHAR* name) const;
    // Whether the selection lies under an element with "free" (never in browse use).
    bool IsSelectionEditable() const;
    // The font families of the desktop, one VT_BSTR each; null when it cannot be built.
    static SAFEARRAY* EnumFonts();

    // Element commands of the dispatcher (element_commands.cpp).
    // 1 when the current element changed; previous then holds the one that stopped being current.
    int UpdateCurrentElement(qx::com::ComPtr<IHTMLElement>& previous);
    void ClearModes();
    void ToggleSplitMode();
    void ToggleMergeMode();
    void ToggleTableLayout();
    void LockDocument();
    void MarkMemo();
    void InsertRuleAtCaret();
    // Empties the height of the cell's row and of the rows around each enclosing cell.
    void ResetRowHeights(IHTMLElement* cell);
    // Sets the current cell and table from the caret; nonzero when a cell was found.
    int SelectCellAtCaret();

    // The editor window's messages (editor_mouse.cpp). 0 when designMode is "Off", else 1.
    int IsDesignEditing() const;
    // Mouse entries of the subclassed window: 0 consumes the message, nonzero passes it on.
    int OnLButtonDown(POINT point);
    int OnCtrlClick(POINT point);
    int OnRButtonDown(POINT point);
    // Highlights a Ctrl+clicked cell in inverted colours, or (clear nonzero) takes them off again.
    void ToggleCellHighlight(IHTMLElement* cell, int clear);
    void ClearTableHighlights(IHTMLElement* table);
    // Pastes n no-break spaces at a caret or over a text selection.
    void InsertSpaces(int n);

    // Layout fixing and cell preparation (layout_fixing.cpp).
    // Every TD gets vAlign "middle" when it has none and a blank when it is empty.
    void FillEmptyCells();
    // fix 1 pins the table's columns (COLGROUP, fixed layout, lock); 0 undoes it.
    void FixTableLayout(IHTMLElement* table, int fix);

    // Grid model, line scans, resizes, boundary arrays and layout fixing (grid_*.cpp,
    // line_scans.cpp, column_resize.cpp, boundary_arrays.cpp, layout_fixing.cpp).
    // BODY's scroll offsets; 0 without a document.
    void GetBodyScroll(LONG& scrollLeft, LONG& scrollTop) const;
    // The element's rectangle in page coordinates; all 0 without a document. stopAtAbsolute ends
    // the offset walk at an absolutely positioned offset parent.
    PageRect GetElementPageRect(IHTMLElement* element, bool stopAtAbsolute = false) const;
    // The TD under the client point and its page rectangle; null without a BODY or a cell.
    qx::com::ComPtr<IHTMLElement> CellAtPoint(LONG clientX, LONG clientY, PageRect* rect = nullptr) const;
    // Fill the scan result with the cells of the current table met by a horizontal line at page y
    // (from xFrom to xTo, or the whole width) or a vertical line at page x. 0 when no cell of the
    // current table lies at the start point, 1 otherwise.
    int ScanRowCells(int wholeWidth, LONG y, LONG xFrom, LONG xTo);
    int ScanColumnCells(int wholeHeight, LONG x, LONG yFrom, LONG yTo);
    const std::vector<CCellRecord>& ScanResult() const { return scanResult_; }
    // Adds pixels to the width of every scanned cell and to the table's width; 0 (nothing
    // written) when a content width would fall below 8.
    int ChangeColumnWidth(LONG pixels);
    // Sets every scanned cell's height from its measured height; never below 8. Always 1.
    int ChangeRowHeight(LONG pixels);
    // Moves the current cell's right border (kHitRight) or bottom border (kHitBottom) by delta
    // pixels; kDeltaToGuide moves it to the last guide position. A column change is all or nothing.
    static constexpr LONG kDeltaToGuide = -2;
    void ApplyBorderDrag(int hitCode, LONG delta);
    // Rebuilds m_ptXArray and m_ptYArray for the table.
    void BuildBoundaryArrays(IHTMLElement* table);
    // The index of the boundary that closes the cell among the columns (rows) of its table, with
    // its span; -1 when the walk along its row (column) misses.
    int CellColumnIndex(IHTMLElement* cell, int& span);
    int CellRowIndex(IHTMLElement* cell, int& span);
    // The row whose band holds page y, lower receiving its lower boundary; -1 (lower untouched)
    // when there is none.
    int RowAtY(LONG y, LONG& lower) const;
    // Writes the current cell sizes into pixel widths and heights.
    void FixTableSizes(IHTMLElement* table);
    // fix 1: every row's height := its measured height; 0: every row's height := "".
    void FixRowHeights(IHTMLElement* table, int fix);

    // The current cell and table: set by a press on a cell and by SelectCellAtCaret; the scans and
    // ApplyBorderDrag work on them.
    qx::com::ComPtr<IHTMLElement> startCell;
    qx::com::ComPtr<IHTMLElement> startTable;
    // Client positions of a border drag: the grabbed border and where its guide was last drawn.
    POINT grabbedBorder{};
    POINT lastGuide{};
    // Column and row boundaries (page x, page y) of m_arraysTable, one spare entry each; an entry
    // whose live flag is clear is a line no cell ends at.
    std::vector<int> m_ptXArray;
    std::vector<int> m_ptYArray;
    std::vector<bool> m_ptXLive;
    std::vector<bool> m_ptYLive;
    int m_ptXArray_len = 0;
    int m_ptYArray_len = 0;
    qx::com::ComPtr<IHTMLElement> m_arraysTable;

    bool splitMode = false;
    bool mergeMode = false;
    VARIANT_BOOL attributeView = VARIANT_FALSE;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void UnadviseElementSinks();
    // The mouse messages the editor sees first: 0 consumes, nonzero passes on (editor_mouse.cpp).
    int RouteMouseMessage(HWND window, UINT message, LPARAM lParam);
    // Clears the highlight table's cells and forgets it.
    void ForgetHighlights();
    // Whether the point is on one of the page's scroll bars.
    bool OnScrollBar(POINT point) const;

    struct ElementSink {
        qx::com::ComPtr<IDispatch> element;
        qx::com::ComPtr<IDispatch> sink;
        DWORD cookie;
    };

    TableEditorOwner& owner_;
    CExternalDispatch* bridge_ = nullptr;
    qx::com::ComPtr<IHTMLDocument2> document_;
    HWND editorWindow_ = nullptr;
    std::vector<ElementSink> sinks_;

    // The element UpdateCurrentElement last reported, and its uniqueID.
    qx::com::ComPtr<IHTMLElement> currentElement_;
    qx::com::Bstr currentElementId_;
    // The table whose cells carry Ctrl+click highlights.
    qx::com::ComPtr<IHTMLElement> highlightTable_;
    // Client points of the last press and of the moves after it.
    POINT mouseDownPoint_{};
    POINT previousPoint_{};
    POINT currentPoint_{};
    // The element at a page point; scrolls BODY for the probe when the point is outside the
    // client area, and puts the scroll back.
    qx::com::ComPtr<IHTMLElement> ElementAtPagePoint(LONG x, LONG y) const;
    int ScanCells(bool rows, int wholeLine, LONG line, LONG from, LONG to);
    int ChangeColumnWidthOf(const std::vector<CCellRecord>& records, LONG pixels, struct WidthUndo* undo);
    int WalkLineIndex(IHTMLElement* cell, bool columns, int& span);
    // The upper grid line of each row (its cells' page top less the spacing, the last cell read
    // winning), then the lower edge of the last cell read; known[i] is false for a row without a
    // cell of its own (and for the closing entry of a table without cells).
    void MeasureRowEdges(IHTMLElement* table, int spacing, std::vector<int>& edges,
                         std::vector<bool>& known) const;
    // Whether the boundary arrays were built for this table.
    bool ArraysDescribe(IHTMLElement* table) const;

    std::vector<CCellRecord> scanResult_;
};

// The first element from start upward whose tag name is exactly tag; null when none.
qx::com::ComPtr<IHTMLElement> FindAncestorByTag(IHTMLElement* start, const OLECHAR* tag);
// Whether the element or one of its ancestors has the attribute "free".
bool HasFreeAncestor(IHTMLElement* element);
// The cell's TR (null when its parent is none) and the cell's index in it (-1 without a parent).
qx::com::ComPtr<IHTMLElement> GetCellRow(IHTMLElement* cell, long& cellIndex);
// 1 when the element is a TABLE whose inline style has a table layout, else 0.
int HasTableLayoutStyle(IHTMLElement* element);
// The cells of a TABLE, numbered row by row from 0, as VT_DISPATCH; empty for anything else.
std::map<long, qx::com::Variant> ListTableCells(IHTMLElement* element);
