#include "multi_sel_coll.h"

#include "list_dom.h"
#include "list_view_behavior.h"
#include "row_behavior.h"

namespace orrin {

using qx::com::ComPtr;

CMultiSelColl::CMultiSelColl()
    : hotTrackColor(LoadText(kTextHotTrackColor)), normalColor(LoadText(kTextNormalColor)),
      selectColor(LoadText(kTextSelectColor)) {}

HRESULT CMultiSelColl::Select(CRowBehavior* row) {
    HRESULT hr = row->Paint(selectColor);
    if (FAILED(hr))
        return hr;
    // A row is listed once: selecting it again only repaints it.
    if (m_selection.Contains(row->Key()) || row->Selected())
        return S_OK;
    const auto key = row->Key();
    if (m_selection.Empty())
        m_anchor = key.value_or(u"");
    m_selection.Add(key, row);
    return S_OK;
}

HRESULT CMultiSelColl::Unselect(CRowBehavior* row) {
    row->Paint(normalColor);
    m_selection.Remove(row->Key());
    return S_OK;
}

void CMultiSelColl::Forget(CRowBehavior* row) {
    m_selection.RemoveValue(row);
}

STDMETHODIMP CMultiSelColl::get_item(LONG nIndex, IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    if (m_selection.Empty())
        return S_OK;
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_selection.Size())
        return E_INVALIDARG;
    if (!m_owner || !m_owner->Rows())
        return E_POINTER;
    LONG index = 0;
    HRESULT hr = m_selection.At(static_cast<size_t>(nIndex)).second->get_index(&index);
    return FAILED(hr) ? hr : m_owner->Rows()->get_item(index, pVal);
}

STDMETHODIMP CMultiSelColl::get_length(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = static_cast<LONG>(m_selection.Size());
    return S_OK;
}

STDMETHODIMP CMultiSelColl::get__newEnum(IUnknown** pVal) {
    if (pVal)
        *pVal = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CMultiSelColl::removeAll() {
    for (size_t n = m_selection.Size(); n > 0 && !m_selection.Empty(); --n) {
        CRowBehavior* row = m_selection.At(0).second;
        HRESULT hr = row->unselect();
        if (FAILED(hr))
            return hr;
        // A row whose key no longer reads (taken out of the page) leaves its entry: drop it.
        m_selection.RemoveValue(row);
    }
    m_selection.Clear();
    return S_OK;
}

namespace {

// A modifier of the event read by name, as page script reads it: an event that page script fired
// with its own "ctrlKey" or "shiftKey" attribute answers that.
bool EventKeyHeld(IHTMLEventObj* event, const OLECHAR* name) {
    qx::com::Variant held;
    return SUCCEEDED(GetNamedProperty(event, name, &held)) && SUCCEEDED(held.ChangeType(VT_BOOL)) &&
           held.boolVal != VARIANT_FALSE;
}

} // namespace

HRESULT CMultiSelColl::ChangeSelectionByClick(IHTMLElement* cell, IHTMLEventObj* event) {
    if (!m_owner || !cell || !event)
        return E_POINTER;
    ComPtr<IHTMLElement> rowElement;
    HRESULT hr = ParentOf(cell, rowElement);
    if (FAILED(hr))
        return hr;
    auto rowDispatch = ComPtr<IDispatch>::QueryFrom(rowElement.Get());
    if (!m_owner->FireScriptEvent(kTextSelChanging, rowDispatch.Get()))
        return S_OK;
    // The handlers of onSelChanging may have let go of the list view.
    if (!m_owner)
        return E_POINTER;
    const bool ctrl = EventKeyHeld(event, u"ctrlKey");
    const bool shift = EventKeyHeld(event, u"shiftKey");
    CRowBehavior* row = m_owner->FindRow(rowElement.Get());
    if (!row)
        return S_OK;
    const bool wasSelected = row->Selected() != 0;
    if (!ctrl && !shift) {
        if (!m_selection.Empty())
            removeAll();
        return row->select();
    }
    if (!multiSelectable)
        return S_OK;
    if (ctrl) {
        hr = wasSelected ? row->unselect() : row->select();
        m_anchor = m_selection.Empty() ? std::u16string()
                                       : m_selection.At(m_selection.Size() - 1).first.value_or(u"");
        return hr;
    }
    if (!m_anchor.empty())
        return SelectRange(row);
    hr = row->select();
    m_anchor = m_selection.Empty() ? std::u16string() : m_selection.At(0).first.value_or(u"");
    return hr;
}

// Selects the rows from the anchor to the clicked row, in that order; TRs without a row object
// (put there by page script) are passed over.
HRESULT CMultiSelColl::SelectRange(CRowBehavior* clicked) {
    CRowBehavior* anchorRow = m_selection.Find(m_anchor);
    if (!anchorRow)
        return S_OK;
    LONG from = 0;
    LONG to = 0;
    HRESULT hr = anchorRow->get_index(&from);
    if (SUCCEEDED(hr))
        hr = clicked->get_index(&to);
    if (FAILED(hr))
        return hr;
    if (!m_selection.Empty())
        removeAll();
    CRowCollection* rows = m_owner ? m_owner->Rows() : nullptr;
    if (!rows)
        return E_POINTER;
    const LONG step = to < from ? -1 : 1;
    for (LONG index = from; index >= 0; index += step) {
        if (CRowBehavior* row = rows->RowAt(index))
            row->select();
        if (index == to)
            break;
    }
    return S_OK;
}

} // namespace orrin
