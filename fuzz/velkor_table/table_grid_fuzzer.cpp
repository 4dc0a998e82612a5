// Form documents as the table engine meets them: the bytes (Latin-1) are a page laid out in
// 640 x 480; every table (up to four) gets its boundary arrays, both scans from its first cell,
// border moves of its first cell, its sizes fixed, and its layout fixed and unfixed. Nothing may
// crash or hang, the arrays stay within their lengths, and no COL gets a negative width.
#include "table_editor.h"

#include <mshtml.h>
#include <qx/com/comptr.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/layout/document_geometry.h>
#include <qx/html/layout/page_layout.h>
#include <qx/win32/ui_driver.h>
#include <winuser_window.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using qx::com::ComPtr;

namespace {

class Owner : public TableEditorOwner {
public:
    SHORT OwnerStartMode() const override { return 1; }
    bool OwnerKeysFree() const override { return true; }
    bool OwnerCaretAnywhere() const override { return true; }
    bool TakeKeyIgnore() override { return false; }
    void NotifyElementKey(LONG, LONG, LONG) override {}
    void NotifyControlChange(IDispatch*) override {}
};

HWND ViewWindow() {
    static HWND window = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = u"qx.fuzz.TableView";
        RegisterClassExW(&wc);
        return CreateWindowExW(0, u"qx.fuzz.TableView", u"", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                               nullptr, nullptr);
    }();
    return window;
}

void Exercise(CTableEditor& editor, IHTMLElement* table, std::uint8_t bits) {
    editor.BuildBoundaryArrays(table);
    if (editor.m_ptXArray.size() < static_cast<std::size_t>(editor.m_ptXArray_len) ||
        editor.m_ptYArray.size() < static_cast<std::size_t>(editor.m_ptYArray_len))
        std::abort();
    for (LONG width : ColumnWidths(editor.m_ptXArray, editor.m_ptXLive, editor.m_ptXArray_len))
        if (width < 0)
            std::abort();
    LONG lower = 0;
    editor.RowAtY(bits * 3, lower);
    ComPtr<IDispatch> cells;
    auto table2 = ComPtr<IHTMLTable2>::QueryFrom(table);
    if (!table2 || FAILED(table2->get_cells(&cells)))
        return;
    auto collection = ComPtr<IHTMLElementCollection>::QueryFrom(cells.Get());
    ComPtr<IDispatch> first;
    if (!collection || FAILED(collection->item(qx::com::Variant(0L), qx::com::Variant(), &first)) || !first)
        return;
    editor.startCell = ComPtr<IHTMLElement>::QueryFrom(first.Get());
    editor.startTable = table;
    const PageRect cell = editor.GetElementPageRect(editor.startCell.Get());
    editor.ScanColumnCells(bits & 1, cell.Right(), cell.top, cell.Bottom());
    editor.ScanRowCells(bits & 2, cell.top + 2, cell.left, cell.Right() + 40);
    editor.ApplyBorderDrag(kHitRight, (bits & 4) ? 3 : -3);
    editor.ApplyBorderDrag(kHitBottom, (bits & 8) ? 2 : -20);
    if (bits & 16)
        editor.FixTableSizes(table);
    editor.FixTableLayout(table, 1);
    if (bits & 32)
        editor.FixTableLayout(table, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 4 * 1024)
        return 0;
    static qx::win32::MessageBoxRecorder boxes;
    qx::win32::SetUiDriver(&boxes);
    boxes.Clear();
    std::u16string html(reinterpret_cast<const char*>(data) + 1, reinterpret_cast<const char*>(data) + size);
    for (char16_t& c : html)
        c = static_cast<unsigned char>(c);
    ComPtr<IHTMLDocument2> document;
    if (FAILED(qx::html::dom::ParseHtmlDocumentObject(html, &document)))
        return 0;
    auto access = ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get());
    qx::html::dom::DomPtr dom = access->AccessDocument();
    qx::html::layout::LayoutHooks hooks;
    hooks.readImage = [](std::u16string_view) -> std::optional<std::string> { return std::nullopt; };
    qx::html::layout::AttachLayout(*dom, hooks).SetViewport(640, 480);
    dom->viewWindow = ViewWindow();
    Owner owner;
    CTableEditor editor(owner);
    editor.Attach(document.Get());
    std::vector<ComPtr<IHTMLElement>> tables;
    for (qx::html::dom::Node* n = dom->tree.Document(); n && tables.size() < 4;
         n = qx::html::dom::NextInTree(n, dom->tree.Document())) {
        if (!n->IsElement() || n->name != u"table")
            continue;
        ComPtr<IDispatch> object;
        if (SUCCEEDED(qx::html::dom::NodeObjectOf(dom, n, &object)))
            tables.push_back(ComPtr<IHTMLElement>::QueryFrom(object.Get()));
    }
    for (const auto& table : tables)
        if (table)
            Exercise(editor, table.Get(), data[0]);
    editor.FillEmptyCells();
    editor.Detach();
    return 0;
}
