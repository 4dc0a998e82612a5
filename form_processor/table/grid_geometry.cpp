// Measurements of the rendered document: page rectangles from the offset chain, table metrics,
// the cell under a point and the border hit test.
#include "element_queries.h"
#include "grid_dom.h"
#include "table_editor.h"

#include <mshtml_style.h>
#include <oleauto.h>
#include <qx/com/bstr.h>

#include <algorithm>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

ComPtr<IHTMLElement> ParentOf(IHTMLElement* element) {
    ComPtr<IDispatch> parent;
    if (!element || FAILED(element->get_parentElement(&parent)))
        return nullptr;
    return ComPtr<IHTMLElement>::QueryFrom(parent.Get());
}

// The value as an integer; false when it is no number.
bool ToInteger(const VARIANT& value, LONG& out) {
    Variant converted;
    if (value.vt == VT_EMPTY || value.vt == VT_NULL ||
        FAILED(VariantChangeType(&converted, &value, 0, VT_I4)))
        return false;
    out = converted.lVal;
    return true;
}

} // namespace

ComPtr<IHTMLElement> CCellRecord::Element() const {
    return ComPtr<IHTMLElement>::QueryFrom(cell.vt == VT_DISPATCH ? cell.pdispVal : nullptr);
}

bool SameElement(IUnknown* a, IUnknown* b) {
    if (!a || !b)
        return false;
    ComPtr<IUnknown> first, second;
    a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&first));
    b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&second));
    return first && first.Get() == second.Get();
}

int HasBorderStyleNone(IHTMLElement* element) {
    ComPtr<IDispatch> styleObject;
    if (!element || FAILED(element->get_style(&styleObject)))
        return 0;
    ComPtr<IHTMLStyle> style = ComPtr<IHTMLStyle>::QueryFrom(styleObject.Get());
    Bstr value;
    return style && SUCCEEDED(style->get_borderTopStyle(&value)) && EqualsIgnoringCase(value.View(), u"none")
               ? 1
               : 0;
}

int IsBorderCollapsed(IHTMLElement* element) {
    ComPtr<IDispatch> styleObject;
    if (!element || FAILED(element->get_style(&styleObject)))
        return 0;
    ComPtr<IHTMLStyle2> style = ComPtr<IHTMLStyle2>::QueryFrom(styleObject.Get());
    Bstr value;
    return style && SUCCEEDED(style->get_borderCollapse(&value)) &&
                   EqualsIgnoringCase(value.View(), u"collapse")
               ? 1
               : 0;
}

TableMetrics GetTableMetrics(IHTMLElement* element) {
    TableMetrics metrics;
    ComPtr<IHTMLTable> table = ComPtr<IHTMLTable>::QueryFrom(element);
    if (!table)
        return metrics;
    // The layout reads a negative padding, spacing or border as 0, and so must every probe walk.
    auto read = [](HRESULT hr, const Variant& value, int& target) {
        LONG number = 0;
        if (SUCCEEDED(hr) && ToInteger(value, number))
            target = static_cast<int>(std::max<LONG>(number, 0));
    };
    Variant padding, spacing, border;
    read(table->get_cellPadding(&padding), padding, metrics.padding);
    read(table->get_cellSpacing(&spacing), spacing, metrics.spacing);
    read(table->get_border(&border), border, metrics.border);
    if (HasBorderStyleNone(element)) {
        metrics.borderStyleNone = 1;
        metrics.border = 0;
    }
    return metrics;
}

ComPtr<IHTMLElement> FindCellOfTable(IHTMLElement* table, IHTMLElement* start) {
    if (!table || !start)
        return nullptr;
    ComPtr<IHTMLElement> element(start);
    while (element) {
        ComPtr<IHTMLElement> cell = element;
        while (cell && !TagNameIs(cell.Get(), u"TD", false))
            cell = ParentOf(cell.Get());
        if (!cell)
            return nullptr;
        ComPtr<IHTMLElement> owner = ParentOf(cell.Get());
        while (owner && !TagNameIs(owner.Get(), u"TABLE", false))
            owner = ParentOf(owner.Get());
        if (!owner)
            return nullptr;
        // The same element, which is what equal source indexes say, without walking the document.
        if (SameElement(owner.Get(), table))
            return cell;
        element = ParentOf(owner.Get());
    }
    return nullptr;
}

int HitTestBorder(unsigned short x, unsigned short y, LONG left, LONG top, LONG right, LONG bottom) {
    auto within = [](LONG difference) { return difference >= -1 && difference <= 3; };
    if (within(y - top))
        return kHitTop;
    if (within(bottom - y))
        return kHitBottom;
    if (within(x - left))
        return kHitLeft;
    if (within(right - x))
        return kHitRight;
    return kHitInside;
}

int CellContentWidth(int boxWidth, const TableMetrics& metrics, bool collapsed, bool firstColumn) {
    int width = boxWidth - (2 * metrics.padding + 2);
    if (collapsed)
        width += firstColumn ? 2 : 1;
    if (metrics.border == 0 && !metrics.borderStyleNone)
        width += 2;
    return width;
}

void CTableEditor::GetBodyScroll(LONG& scrollLeft, LONG& scrollTop) const {
    scrollLeft = scrollTop = 0;
    if (ComPtr<IHTMLElement2> body = ComPtr<IHTMLElement2>::QueryFrom(Body(document_.Get()).Get())) {
        body->get_scrollLeft(&scrollLeft);
        body->get_scrollTop(&scrollTop);
    }
}

PageRect CTableEditor::GetElementPageRect(IHTMLElement* element, bool stopAtAbsolute) const {
    PageRect rect;
    if (!document_ || !element)
        return rect;
    element->get_offsetWidth(&rect.width);
    element->get_offsetHeight(&rect.height);
    element->get_offsetLeft(&rect.left);
    element->get_offsetTop(&rect.top);
    ComPtr<IDispatch> next;
    element->get_offsetParent(&next);
    ComPtr<IHTMLElement> parent = ComPtr<IHTMLElement>::QueryFrom(next.Get());
    while (parent) {
        LONG left = 0, top = 0;
        parent->get_offsetLeft(&left);
        parent->get_offsetTop(&top);
        if (TagNameIs(parent.Get(), u"TABLE", true)) {
            // A cell's offsets start inside its table's border: the walk adds the pixel back.
            LONG border = 1;
            Variant value;
            if (ComPtr<IHTMLTable> table = ComPtr<IHTMLTable>::QueryFrom(parent.Get()))
                if (FAILED(table->get_border(&value)) || !ToInteger(value, border))
                    border = 1;
            if (HasBorderStyleNone(parent.Get()))
                border = 1;
            if (stopAtAbsolute) {
                ComPtr<IDispatch> styleObject;
                ComPtr<IHTMLStyle> style;
                Bstr position;
                if (SUCCEEDED(parent->get_style(&styleObject)) &&
                    (style = ComPtr<IHTMLStyle>::QueryFrom(styleObject.Get())) &&
                    SUCCEEDED(style->get_position(&position)) &&
                    EqualsIgnoringCase(position.View(), u"absolute"))
                    break;
            }
            // A collapsed border is shared with the cells: their offsets already count it.
            if (border > 0 && !IsBorderCollapsed(parent.Get())) {
                ++rect.left;
                ++rect.top;
            }
        }
        rect.left += left;
        rect.top += top;
        next = nullptr;
        parent->get_offsetParent(&next);
        parent = ComPtr<IHTMLElement>::QueryFrom(next.Get());
    }
    return rect;
}

ComPtr<IHTMLElement> CTableEditor::CellAtPoint(LONG clientX, LONG clientY, PageRect* rect) const {
    if (rect)
        *rect = {};
    if (!Body(document_.Get()))
        return nullptr;
    ComPtr<IDispatch> hit;
    if (FAILED(document_->elementFromPoint(clientX, clientY, &hit)))
        return nullptr;
    ComPtr<IHTMLElement> cell = ComPtr<IHTMLElement>::QueryFrom(hit.Get());
    while (cell && !TagNameIs(cell.Get(), u"TD", false))
        cell = ParentOf(cell.Get());
    if (cell && rect)
        *rect = GetElementPageRect(cell.Get());
    return cell;
}

ComPtr<IHTMLElement> CTableEditor::ElementAtPagePoint(LONG x, LONG y) const {
    ComPtr<IHTMLElement> body = Body(document_.Get());
    ComPtr<IHTMLElement2> scroller = ComPtr<IHTMLElement2>::QueryFrom(body.Get());
    if (!scroller)
        return nullptr;
    LONG scrollLeft = 0, scrollTop = 0, clientWidth = 0, clientHeight = 0;
    GetBodyScroll(scrollLeft, scrollTop);
    scroller->get_clientWidth(&clientWidth);
    scroller->get_clientHeight(&clientHeight);
    LONG clientX = x - scrollLeft, clientY = y - scrollTop;
    const bool outside = clientX < 0 || clientY < 0 || clientX >= clientWidth || clientY >= clientHeight;
    if (outside) {
        // A table below the first screen is probed as if scrolled into view.
        scroller->put_scrollLeft(
            clientX < 0 || clientX >= clientWidth ? std::max<LONG>(x - clientWidth / 2, 0) : scrollLeft);
        scroller->put_scrollTop(
            clientY < 0 || clientY >= clientHeight ? std::max<LONG>(y - clientHeight / 2, 0) : scrollTop);
        LONG nowLeft = 0, nowTop = 0;
        GetBodyScroll(nowLeft, nowTop);
        clientX = x - nowLeft;
        clientY = y - nowTop;
    }
    ComPtr<IDispatch> hit;
    if (clientX >= 0 && clientY >= 0 && clientX < clientWidth && clientY < clientHeight)
        document_->elementFromPoint(clientX, clientY, &hit);
    if (outside) {
        scroller->put_scrollLeft(scrollLeft);
        scroller->put_scrollTop(scrollTop);
    }
    return ComPtr<IHTMLElement>::QueryFrom(hit.Get());
}
