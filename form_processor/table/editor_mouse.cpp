// The mouse side of the subclassed editor window: the edit-mode gate, Ctrl+click highlights,
// clicks on form controls, and the press that may not put the caret into locked content. A press
// that would start a border, split or merge drag goes on to the editing component.
#include "table_editor.h"

#include "dispatch_names.h"
#include "element_queries.h"

#include <qx/com/bstr.h>
#include <windows.h>

#include <cstdio>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view wanted) {
    if (text.size() != wanted.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t a = text[i], b = wanted[i];
        if (a >= u'A' && a <= u'Z')
            a = static_cast<char16_t>(a + 32);
        if (b >= u'A' && b <= u'Z')
            b = static_cast<char16_t>(b + 32);
        if (a != b)
            return false;
    }
    return true;
}

// The point of a mouse message: signed 16-bit client coordinates.
POINT PointOf(LPARAM lParam) {
    return {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

ComPtr<IHTMLElement> ElementAt(IHTMLDocument2* document, POINT point) {
    ComPtr<IDispatch> hit;
    if (!document || FAILED(document->elementFromPoint(point.x, point.y, &hit)))
        return nullptr;
    return ComPtr<IHTMLElement>::QueryFrom(hit.Get());
}

ComPtr<IDispatch> RuntimeStyle(IHTMLElement* element) {
    ComPtr<IHTMLElement2> element2 = ComPtr<IHTMLElement2>::QueryFrom(element);
    ComPtr<IDispatch> style;
    if (!element2 || FAILED(element2->get_runtimeStyle(&style)))
        return nullptr;
    return style;
}

void SetRuntimeColours(IHTMLElement* cell, const Variant& background, const Variant& text) {
    if (ComPtr<IDispatch> style = RuntimeStyle(cell)) {
        PutPropertyByName(style.Get(), u"backgroundColor", background);
        PutPropertyByName(style.Get(), u"color", text);
    }
}

bool IsHighlighted(IHTMLElement* cell) {
    Variant background;
    ComPtr<IDispatch> style = RuntimeStyle(cell);
    return style && SUCCEEDED(GetPropertyByName(style.Get(), u"backgroundColor", &background)) &&
           background.vt == VT_BSTR && SysStringLen(background.bstrVal) > 0;
}

// The colour opposite to a "#RRGGBB" text: what follows its first character, read as hex.
std::u16string InvertedColour(std::u16string_view colour) {
    unsigned long value = 0;
    for (std::size_t i = 1; i < colour.size(); ++i) {
        const char16_t c = colour[i];
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            break;
        value = ((value << 4) | static_cast<unsigned long>(digit)) & 0xFFFFFFFul;
    }
    char text[16];
    std::snprintf(text, sizeof text, "#%06lX", (0xFFFFFFul - (value & 0xFFFFFFul)));
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

// A click on a form control does what it does for a form user; 1 when the editor must not see it.
bool ClickFormControl(IHTMLElement* element) {
    ComPtr<IHTMLInputElement> input = ComPtr<IHTMLInputElement>::QueryFrom(element);
    Bstr type;
    if (!input || FAILED(input->get_type(&type)))
        return false;
    if (EqualsIgnoringCase(type.View(), u"checkbox")) {
        VARIANT_BOOL checked = VARIANT_FALSE;
        input->get_checked(&checked);
        input->put_checked(checked ? VARIANT_FALSE : VARIANT_TRUE);
        return true;
    }
    if (EqualsIgnoringCase(type.View(), u"radio")) {
        VARIANT_BOOL was = VARIANT_FALSE;
        input->get_checked(&was);
        // Every radio button among the parent's children goes off, whatever its name.
        ComPtr<IDispatch> parent;
        element->get_parentElement(&parent);
        ForEachItem(parent.Get(), u"children", [](IDispatch* child) {
            ComPtr<IHTMLInputElement> sibling = ComPtr<IHTMLInputElement>::QueryFrom(child);
            Bstr siblingType;
            if (sibling && SUCCEEDED(sibling->get_type(&siblingType)) &&
                EqualsIgnoringCase(siblingType.View(), u"radio"))
                sibling->put_checked(VARIANT_FALSE);
        });
        input->put_checked(was ? VARIANT_FALSE : VARIANT_TRUE);
        return true;
    }
    return EqualsIgnoringCase(type.View(), u"button");
}

} // namespace

int CTableEditor::IsDesignEditing() const {
    Bstr mode;
    if (!document_ || FAILED(document_->get_designMode(&mode)))
        return 1;
    return EqualsIgnoringCase(mode.View(), u"Off") ? 0 : 1;
}

int CTableEditor::RouteMouseMessage(HWND window, UINT message, LPARAM lParam) {
    if (message != WM_LBUTTONDOWN && message != WM_RBUTTONDOWN)
        return 1;
    if (!IsDesignEditing())
        return 1;
    const POINT point = PointOf(lParam);
    if (message == WM_RBUTTONDOWN)
        return OnRButtonDown(point);
    if (GetAsyncKeyState(VK_CONTROL) < 0)
        return OnCtrlClick(point);
    if (GetAsyncKeyState(VK_SHIFT) < 0)
        return 0;
    SetFocus(window);
    return OnLButtonDown(point);
}

bool CTableEditor::OnScrollBar(POINT point) const {
    ComPtr<IHTMLElement2> body = ComPtr<IHTMLElement2>::QueryFrom(Body(document_.Get()).Get());
    Bstr component;
    return body && SUCCEEDED(body->componentFromPoint(point.x, point.y, &component)) &&
           component.View().substr(0, 9) == u"scrollbar";
}

void CTableEditor::ForgetHighlights() {
    if (ComPtr<IHTMLElement> table = std::move(highlightTable_))
        ClearTableHighlights(table.Get());
}

int CTableEditor::OnLButtonDown(POINT point) {
    if (OnScrollBar(point))
        return 1;
    ForgetHighlights();
    mouseDownPoint_ = previousPoint_ = currentPoint_ = point;
    ComPtr<IHTMLElement> element = ElementAt(document_.Get(), point);
    if (!element || owner_.OwnerStartMode() == 2)
        return 1;
    if (TagIs(element.Get(), u"INPUT")) {
        const bool consumed = ClickFormControl(element.Get());
        // The handler may replace the document; the element stays ours until we return.
        ComPtr<IDispatch> notified = ComPtr<IDispatch>::QueryFrom(element.Get());
        owner_.NotifyControlChange(notified.Get());
        if (consumed)
            return 0;
    }
    if (!owner_.OwnerCaretAnywhere() && !HasFreeAncestor(element.Get()))
        return 0;
    return 1;
}

int CTableEditor::OnCtrlClick(POINT point) {
    ComPtr<IHTMLElement> cell = CellAtPoint(point.x, point.y);
    if (!cell) {
        if (highlightTable_)
            ClearTableHighlights(highlightTable_.Get());
        return 0;
    }
    ComPtr<IHTMLElement> table = FindAncestorByTag(cell.Get(), u"TABLE");
    if (highlightTable_) {
        LONG previous = -1, current = -2;
        highlightTable_->get_sourceIndex(&previous);
        if (table)
            table->get_sourceIndex(&current);
        if (previous != current)
            ClearTableHighlights(highlightTable_.Get());
    }
    if (HasFreeAncestor(cell.Get()))
        ToggleCellHighlight(cell.Get(), 1);
    highlightTable_ = table;
    return 0;
}

int CTableEditor::OnRButtonDown(POINT point) {
    if (OnScrollBar(point))
        return 1;
    ComPtr<IHTMLElement> cell = CellAtPoint(point.x, point.y);
    if (cell && !IsHighlighted(cell.Get()))
        ForgetHighlights();
    return 1;
}

void CTableEditor::ToggleCellHighlight(IHTMLElement* cell, int clear) {
    if (IsHighlighted(cell)) {
        if (clear)
            SetRuntimeColours(cell, Variant(u""), Variant(u""));
        return;
    }
    ComPtr<IHTMLTableCell> tableCell = ComPtr<IHTMLTableCell>::QueryFrom(cell);
    Variant colour;
    if (tableCell)
        tableCell->get_bgColor(&colour);
    if (colour.vt == VT_BSTR && SysStringLen(colour.bstrVal) > 0) {
        const std::u16string_view text(colour.bstrVal, SysStringLen(colour.bstrVal));
        SetRuntimeColours(cell, Variant(std::u16string_view{InvertedColour(text)}), colour);
    } else {
        SetRuntimeColours(cell, Variant(u"#000000"), Variant(u"#FFFFFF"));
    }
}

void CTableEditor::ClearTableHighlights(IHTMLElement* table) {
    ForEachTableCell(table, [](IHTMLElement* cell) { SetRuntimeColours(cell, Variant(u""), Variant(u"")); });
}
