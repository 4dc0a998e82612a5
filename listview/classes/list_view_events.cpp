// What the list view does with the pointer in its frames: row and header clicks, hot tracking,
// the header row following the body's horizontal scroll, no text selection in the body.
#include "head_behavior.h"
#include "list_dom.h"
#include "list_view_behavior.h"
#include "row_behavior.h"

#include <algorithm>

namespace orrin {

using qx::com::ComPtr;
using qx::com::Variant;

HRESULT CListViewBehavior::WindowEvent(ComPtr<IHTMLEventObj>& event) {
    if (!m_document)
        return E_POINTER;
    ComPtr<IDispatch> window;
    HRESULT hr = m_document->get_parentWindow(&window);
    if (FAILED(hr))
        return hr;
    auto window2 = ComPtr<IHTMLWindow2>::QueryFrom(window.Get());
    if (!window2)
        return E_NOINTERFACE;
    ComPtr<IDispatch> current;
    hr = window2->get_event(&current);
    if (FAILED(hr))
        return hr;
    event = ComPtr<IHTMLEventObj>::QueryFrom(current.Get());
    return event ? S_OK : E_POINTER;
}

// The TD at or above the event's source; with stopAtDiv the climb gives up at a DIV (the frame).
HRESULT CListViewBehavior::EventCell(ComPtr<IHTMLElement>& cell, ComPtr<IHTMLEventObj>& event,
                                     bool stopAtDiv) {
    HRESULT hr = WindowEvent(event);
    if (FAILED(hr))
        return hr;
    ComPtr<IDispatch> source;
    hr = event->get_srcElement(&source);
    if (FAILED(hr))
        return hr;
    auto at = ComPtr<IHTMLElement>::QueryFrom(source.Get());
    while (at) {
        if (HasTag(at.Get(), u"TD")) {
            cell = at;
            return S_OK;
        }
        if (stopAtDiv && HasTag(at.Get(), u"DIV"))
            return S_FALSE;
        ComPtr<IHTMLElement> parent;
        if (ParentOf(at.Get(), parent) != S_OK)
            return S_FALSE;
        at = parent;
    }
    return S_FALSE;
}

// A click changes the selection and tells the cell and row; a double click only tells them.
HRESULT CListViewBehavior::OnBodyCellClick(bool twice) {
    if (!Attached() || !m_selection->enabled)
        return S_OK;
    ComPtr<IHTMLElement> cell;
    ComPtr<IHTMLEventObj> event;
    HRESULT hr = EventCell(cell, event, true);
    if (hr != S_OK)
        return hr;
    ComPtr<IHTMLElement> row;
    hr = ParentOf(cell.Get(), row);
    if (FAILED(hr))
        return hr;
    if (!twice)
        m_selection->ChangeSelectionByClick(cell.Get(), event.Get());
    auto cellDispatch = ComPtr<IDispatch>::QueryFrom(cell.Get());
    auto rowDispatch = ComPtr<IDispatch>::QueryFrom(row.Get());
    FireScriptEvent(twice ? kTextCellDblClick : kTextCellClick, cellDispatch.Get());
    FireScriptEvent(twice ? kTextRowDblClick : kTextRowClick, rowDispatch.Get());
    if (!twice)
        FireScriptEvent(kTextSelChanged, rowDispatch.Get());
    return S_OK;
}

HRESULT CListViewBehavior::OnBodyHover(bool over) {
    if (!Attached() || !m_selection->enabled || !m_selection->hotTracking)
        return S_OK;
    ComPtr<IHTMLElement> cell;
    ComPtr<IHTMLEventObj> event;
    HRESULT hr = EventCell(cell, event, false);
    if (hr != S_OK)
        return hr;
    ComPtr<IHTMLElement> rowElement;
    ParentOf(cell.Get(), rowElement);
    CRowBehavior* row = FindRow(rowElement.Get());
    if (!row)
        return E_POINTER;
    if (row->Selected())
        return S_OK;
    return row->Paint(over ? m_selection->hotTrackColor : m_selection->normalColor);
}

HRESULT CListViewBehavior::OnBodyScroll() {
    if (!Attached() || !m_bodyDiv2 || !m_headerDiv2)
        return S_OK;
    LONG scrollWidth = 0;
    LONG scrollLeft = 0;
    HRESULT hr = m_bodyDiv2->get_scrollWidth(&scrollWidth);
    if (SUCCEEDED(hr))
        hr = m_bodyDiv2->get_scrollLeft(&scrollLeft);
    if (SUCCEEDED(hr))
        hr = m_element->get_offsetWidth(&m_containerWidth);
    if (SUCCEEDED(hr))
        hr = PutNamedProperty(m_headerRuntimeStyle.Get(), u"width",
                              Variant(std::min<LONG>(scrollWidth - scrollLeft, m_containerWidth)));
    return FAILED(hr) ? hr : m_headerDiv2->put_scrollLeft(scrollLeft);
}

HRESULT CListViewBehavior::OnBodySelectStart() {
    if (!Attached())
        return S_OK;
    ComPtr<IHTMLEventObj> event;
    HRESULT hr = WindowEvent(event);
    return FAILED(hr) ? hr : event->put_returnValue(Variant(SHORT(0)));
}

HRESULT CListViewBehavior::OnHeaderClick() {
    if (!Attached())
        return S_OK;
    ComPtr<IHTMLEventObj> event;
    HRESULT hr = WindowEvent(event);
    if (FAILED(hr))
        return hr;
    ComPtr<IDispatch> source;
    hr = event->get_srcElement(&source);
    if (FAILED(hr))
        return hr;
    if (m_curSelHeader) {
        CHeadBehavior* previous = FindHeader(m_curSelHeader.Get());
        if (!previous) {
            m_curSelHeader = nullptr;
            return S_OK;
        }
        previous->unselect();
    }
    CHeadBehavior* clicked = FindHeader(source.Get());
    if (!clicked)
        return S_OK;
    clicked->select();
    m_curSelHeader = ComPtr<IHTMLElement>::QueryFrom(source.Get());
    FireScriptEvent(kTextHeaderClick, source.Get());
    return S_OK;
}

HRESULT CListViewBehavior::OnHeaderDoubleClick() {
    if (!Attached())
        return S_OK;
    ComPtr<IHTMLEventObj> event;
    HRESULT hr = WindowEvent(event);
    if (FAILED(hr))
        return hr;
    ComPtr<IDispatch> source;
    hr = event->get_srcElement(&source);
    if (FAILED(hr))
        return hr;
    FireScriptEvent(kTextHeaderDblClick, source.Get());
    return S_OK;
}

} // namespace orrin
