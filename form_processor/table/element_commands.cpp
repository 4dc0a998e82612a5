// The element commands the dispatcher calls: the current element and cell, the split and merge
// modes, the document lock, the memo mark, the rule at the caret, row heights, the cell list.
#include "table_editor.h"

#include "dispatch_names.h"
#include "element_queries.h"

#include <qx/com/bstr.h>

#include <string>
#include <vector>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

Bstr UniqueId(IHTMLElement* element) {
    Variant id;
    GetPropertyByName(element, u"uniqueID", &id);
    return Bstr(id.vt == VT_BSTR ? std::u16string_view(id.bstrVal, SysStringLen(id.bstrVal))
                                 : std::u16string_view{});
}

// Text as HTML shows it: the selection's own characters, never markup.
std::u16string EscapeHtml(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        switch (c) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The element the caret's start lies in, or the common parent of a control selection.
ComPtr<IHTMLElement> ElementAtCaret(IHTMLDocument2* document) {
    const SelectionRange selection = CurrentSelection(document);
    Variant element;
    if (selection.kind == SelectionKind::Caret) {
        Variant duplicate, atStart(true);
        if (SUCCEEDED(CallMethodByName(selection.range.Get(), u"duplicate", nullptr, 0, &duplicate)) &&
            duplicate.vt == VT_DISPATCH) {
            CallMethodByName(duplicate.pdispVal, u"collapse", &atStart, 1, nullptr);
            CallMethodByName(duplicate.pdispVal, u"parentElement", nullptr, 0, &element);
        }
    } else if (selection.kind == SelectionKind::Control) {
        CallMethodByName(selection.range.Get(), u"commonParentElement", nullptr, 0, &element);
    }
    return ComPtr<IHTMLElement>::QueryFrom(element.vt == VT_DISPATCH ? element.pdispVal : nullptr);
}

ComPtr<IHTMLElement> ParentOf(IHTMLElement* element) {
    ComPtr<IDispatch> parent;
    if (!element || FAILED(element->get_parentElement(&parent)))
        return nullptr;
    return ComPtr<IHTMLElement>::QueryFrom(parent.Get());
}

} // namespace

int CTableEditor::UpdateCurrentElement(ComPtr<IHTMLElement>& previous) {
    previous = nullptr;
    ComPtr<IHTMLElement> element = document_ ? GetSelectedElement() : nullptr;
    if (!element)
        return 0;
    if (TagIs(element.Get(), u"SELECT") || TagIs(element.Get(), u"INPUT")) {
        Bstr id = UniqueId(element.Get());
        if (currentElementId_.Get() && id == currentElementId_)
            return 0;
        if (currentElementId_.Get())
            previous = currentElement_;
        currentElement_ = element;
        currentElementId_ = std::move(id);
        return 1;
    }
    ComPtr<IHTMLElement> cell = FindAncestorByTag(element.Get(), u"TD");
    if (!cell) {
        if (!currentElement_)
            return 0;
        previous = std::move(currentElement_);
        currentElementId_.Reset();
        return 1;
    }
    Bstr id = UniqueId(cell.Get());
    if (currentElement_ && id == currentElementId_)
        return 0;
    previous = currentElement_;
    currentElement_ = cell;
    currentElementId_ = std::move(id);
    return 1;
}

void CTableEditor::ClearModes() {
    splitMode = false;
    mergeMode = false;
}

void CTableEditor::ToggleSplitMode() {
    splitMode = !splitMode;
    mergeMode = false;
}

void CTableEditor::ToggleMergeMode() {
    mergeMode = !mergeMode;
    splitMode = false;
}

void CTableEditor::ToggleTableLayout() {
    ComPtr<IHTMLElement> selected = GetSelectedElement();
    if (TagIs(selected.Get(), u"TABLE"))
        startTable = selected;
    if (ComPtr<IHTMLElement> table = startTable)
        FixTableLayout(table.Get(), HasTableLayoutStyle(table.Get()) ? 0 : 1);
}

void CTableEditor::LockDocument() {
    if (!document_)
        return;
    const Bstr free(u"free");
    VARIANT_BOOL removed = VARIANT_FALSE;
    if (ComPtr<IHTMLElement> body = Body(document_.Get()))
        body->removeAttribute(free, 0, &removed);
    std::vector<ComPtr<IHTMLElement>> tables;
    ForEachElement(document_.Get(), [&](IDispatch* item) {
        ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(item);
        if (TagIs(element.Get(), u"TD"))
            element->removeAttribute(free, 0, &removed);
        else if (TagIs(element.Get(), u"TABLE") && !HasTableLayoutStyle(element.Get()))
            tables.push_back(element);
    });
    // Fixing changes the tree under the walk, so it runs once the walk is over.
    for (const ComPtr<IHTMLElement>& table : tables)
        FixTableLayout(table.Get(), 1);
}

void CTableEditor::MarkMemo() {
    const SelectionRange selection = CurrentSelection(document_.Get());
    if (selection.kind != SelectionKind::Caret)
        return;
    Variant text;
    if (FAILED(GetPropertyByName(selection.range.Get(), u"text", &text)) || text.vt != VT_BSTR ||
        SysStringLen(text.bstrVal) == 0)
        return;
    const std::u16string html = u"<FONT style=\"background-Color: yellow\" memo=1234567890>" +
                                EscapeHtml({text.bstrVal, SysStringLen(text.bstrVal)}) + u"</FONT>";
    Variant argument(std::u16string_view{html});
    CallMethodByName(selection.range.Get(), u"pasteHTML", &argument, 1, nullptr);
}

void CTableEditor::InsertSpaces(int n) {
    const SelectionRange selection = CurrentSelection(document_.Get());
    if (selection.kind != SelectionKind::Caret || n <= 0)
        return;
    std::u16string html;
    for (int i = 0; i < n; ++i)
        html += u"&nbsp";
    Variant argument(std::u16string_view{html});
    CallMethodByName(selection.range.Get(), u"pasteHTML", &argument, 1, nullptr);
}

void CTableEditor::InsertRuleAtCaret() {
    ComPtr<IHTMLElement> element = ElementAtCaret(document_.Get());
    ComPtr<IDispatch> rule;
    if (!element || FAILED(document_->createElement(Bstr(u"hr"), &rule)) || !rule)
        return;
    ComPtr<IHTMLElement2> target = ComPtr<IHTMLElement2>::QueryFrom(element.Get());
    ComPtr<IDispatch> inserted;
    if (target)
        target->insertAdjacentElement(Bstr(u"beforeEnd"), rule.Get(), &inserted);
}

void CTableEditor::ResetRowHeights(IHTMLElement* start) {
    const Variant empty(u"");
    ComPtr<IHTMLElement> cell(start);
    // The cell's own row, then the row of each cell that holds the table around the last one.
    for (int depth = 0; cell && depth < 1000; ++depth) {
        long index = -1;
        if (ComPtr<IHTMLElement> row = GetCellRow(cell.Get(), index)) {
            ForEachItem(row.Get(), u"cells", [&](IDispatch* item) {
                if (ComPtr<IHTMLTableCell> rowCell = ComPtr<IHTMLTableCell>::QueryFrom(item))
                    rowCell->put_height(empty);
            });
            if (ComPtr<IHTMLTableRow2> row2 = ComPtr<IHTMLTableRow2>::QueryFrom(row.Get()))
                row2->put_height(empty);
        }
        ComPtr<IHTMLElement> table = FindAncestorByTag(cell.Get(), u"TABLE");
        cell = table ? FindAncestorByTag(ParentOf(table.Get()).Get(), u"TD") : nullptr;
    }
}

int CTableEditor::SelectCellAtCaret() {
    startCell = FindAncestorByTag(ElementAtCaret(document_.Get()).Get(), u"TD");
    startTable = FindAncestorByTag(startCell.Get(), u"TABLE");
    return startCell ? 1 : 0;
}

ComPtr<IHTMLElement> GetCellRow(IHTMLElement* cell, long& cellIndex) {
    cellIndex = -1;
    ComPtr<IHTMLElement> parent = ParentOf(cell);
    if (!parent)
        return nullptr;
    LONG index = -1;
    if (ComPtr<IHTMLTableCell> tableCell = ComPtr<IHTMLTableCell>::QueryFrom(cell))
        tableCell->get_cellIndex(&index);
    cellIndex = index;
    Bstr tag;
    if (FAILED(parent->get_tagName(&tag)) || tag.View() != u"TR")
        return nullptr;
    return parent;
}

std::map<long, Variant> ListTableCells(IHTMLElement* element) {
    std::map<long, Variant> cells;
    ForEachTableCell(element, [&](IHTMLElement* cell) {
        const long number = static_cast<long>(cells.size());
        cells.emplace(number, Variant(static_cast<IDispatch*>(cell)));
    });
    return cells;
}
