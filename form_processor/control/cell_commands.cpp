// Commands on the cells the user picked with Ctrl and the mouse (highlighted through their
// runtime style) or, without such cells, on the cell of the selection: the "free" mark, the
// background colour and clearing the contents.
#include "external_dispatch.h"

#include "dispatch_names.h"
#include "editor_commands.h"
#include "velkor_control.h"

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

ComPtr<IHTMLElement> CellElement(const Variant& cell) {
    return ComPtr<IHTMLElement>::QueryFrom(cell.vt == VT_DISPATCH ? cell.pdispVal : nullptr);
}

bool IsHighlighted(IHTMLElement* cell) {
    ComPtr<IHTMLElement2> element = ComPtr<IHTMLElement2>::QueryFrom(cell);
    ComPtr<IDispatch> style;
    Variant colour;
    if (!element || FAILED(element->get_runtimeStyle(&style)) || !style ||
        FAILED(GetPropertyByName(style.Get(), u"backgroundColor", &colour)))
        return false;
    return colour.vt == VT_BSTR && SysStringLen(colour.bstrVal) > 0;
}

} // namespace

std::map<long, Variant> CExternalDispatch::CollectHighlightedCells(const std::map<long, Variant>& cells) {
    std::map<long, Variant> kept;
    long next = 0;
    for (const auto& [key, cell] : cells) {
        if (IsHighlighted(CellElement(cell).Get()))
            kept.emplace(next++, cell);
    }
    return kept;
}

void CExternalDispatch::ApplyToCells(const std::map<long, Variant>& cells, int mode, const VARIANT& value) {
    if (mode < 0 || mode > 2)
        return;
    // The current cell's mark is read once: every cell gets its opposite.
    bool setFree = false;
    if (mode == 2) {
        ComPtr<IHTMLElement> current =
            ComPtr<IHTMLElement>::QueryFrom(value.vt == VT_DISPATCH ? value.pdispVal : nullptr);
        setFree = !HasFreeMark(current.Get());
    }
    for (const auto& [key, cell] : cells) {
        ComPtr<IHTMLElement> element = CellElement(cell);
        if (!element)
            continue;
        if (mode == 0) {
            element->put_innerHTML(Bstr(u""));
        } else if (mode == 1) {
            if (ComPtr<IHTMLTableCell> tableCell = ComPtr<IHTMLTableCell>::QueryFrom(element.Get()))
                tableCell->put_bgColor(Variant(value));
        } else {
            SetFreeMark(element.Get(), setFree);
            if (setFree && owner_)
                owner_->TableEditor().ResetRowHeights(element.Get());
        }
    }
}

// The highlighted cells of the TABLE that holds the element; none outside a table.
std::map<long, Variant> CExternalDispatch::HighlightedCellsOf(IHTMLElement* element) {
    ComPtr<IHTMLElement> table = FindAncestorByTag(element, u"TABLE");
    if (!table)
        return {};
    return CollectHighlightedCells(ListTableCells(table.Get()));
}

void CExternalDispatch::ToggleCellLock() {
    CTableEditor& engine = owner_->TableEditor();
    if (!engine.Document())
        return;
    ComPtr<IHTMLElement> cell = engine.GetCurrentCell();
    if (!cell) {
        if (owner_->StartModeValue() == 2) {
            ComPtr<IHTMLElement> body = DocumentBody(engine.Document());
            SetFreeMark(body.Get(), !HasFreeMark(body.Get()));
        }
        return;
    }
    if (engine.attributeView != VARIANT_FALSE) {
        MessageBoxW(owner_->Window(), u"속성값 보기를 해체해야 합니다.", u"알림", MB_ICONINFORMATION);
        return;
    }
    // Without highlighted cells the current cell alone follows the same rule.
    const Variant current(ComPtr<IDispatch>::QueryFrom(cell.Get()).Get());
    std::map<long, Variant> cells = HighlightedCellsOf(cell.Get());
    if (cells.empty())
        cells.emplace(0, current);
    ApplyToCells(cells, 2, current);
}

void CExternalDispatch::ColourCells(const VARIANT& colour) {
    CTableEditor& engine = owner_->TableEditor();
    if (!engine.Document())
        return;
    ComPtr<IHTMLElement> selected = engine.GetSelectedElement();
    const std::map<long, Variant> highlighted = HighlightedCellsOf(selected.Get());
    if (!highlighted.empty()) {
        ApplyToCells(highlighted, 1, colour);
        return;
    }
    if (ComPtr<IHTMLTableCell> cell = ComPtr<IHTMLTableCell>::QueryFrom(selected.Get()))
        cell->put_bgColor(Variant(colour));
}

void CExternalDispatch::ClearCellContents() {
    CTableEditor& engine = owner_->TableEditor();
    ComPtr<IHTMLElement> selected = engine.GetSelectedElement();
    const std::map<long, Variant> highlighted = HighlightedCellsOf(selected.Get());
    if (!highlighted.empty()) {
        ApplyToCells(highlighted, 0, Variant());
        return;
    }
    ComPtr<IHTMLElement> cell = FindAncestorByTag(selected.Get(), u"TD");
    ComPtr<IHTMLBodyElement> body =
        ComPtr<IHTMLBodyElement>::QueryFrom(DocumentBody(engine.Document()).Get());
    ComPtr<IDispatch> range;
    if (!cell || !body || FAILED(body->createTextRange(&range)) || !range)
        return;
    ComPtr<IDispatch> target = ComPtr<IDispatch>::QueryFrom(cell.Get());
    const Variant element(target.Get());
    const Variant empty(u"");
    CallMethodByName(range.Get(), u"moveToElementText", &element, 1, nullptr);
    CallMethodByName(range.Get(), u"pasteHTML", &empty, 1, nullptr);
}
