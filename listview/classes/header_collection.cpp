#include "header_collection.h"

#include "head_behavior.h"
#include "list_dom.h"
#include "list_view_behavior.h"

namespace orrin {

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

HRESULT CHeaderCollection::SetTable(IHTMLTable* table, IHTMLDocument2* document) {
    if (!table)
        return E_POINTER;
    m_table = table;
    m_document = document;
    ComPtr<IDispatch> row;
    HRESULT hr = table->insertRow(0, &row);
    if (FAILED(hr))
        return hr;
    m_row = ComPtr<IHTMLTableRow>::QueryFrom(row.Get());
    m_rowElement = ComPtr<IHTMLElement>::QueryFrom(row.Get());
    if (!m_row || !m_rowElement)
        return E_NOINTERFACE;
    ComPtr<IDispatch> cells;
    hr = m_row->get_cells(&cells);
    if (FAILED(hr))
        return hr;
    m_cells = ComPtr<IHTMLElementCollection>::QueryFrom(cells.Get());
    return m_cells ? S_OK : E_NOINTERFACE;
}

HRESULT CHeaderCollection::CellAt(LONG index, ComPtr<IHTMLElement>& cell) {
    ComPtr<IDispatch> found;
    HRESULT hr = get_item(index, &found);
    if (FAILED(hr))
        return hr;
    cell = ComPtr<IHTMLElement>::QueryFrom(found.Get());
    return cell ? S_OK : E_POINTER;
}

STDMETHODIMP CHeaderCollection::get_length(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    if (!m_cells)
        return E_POINTER;
    return m_cells->get_length(pVal);
}

STDMETHODIMP CHeaderCollection::put_dataSource(VARIANT newVal) {
    removeAll();
    return Load(newVal, nullptr);
}

STDMETHODIMP CHeaderCollection::add(BSTR, IDispatch** pVal) {
    if (pVal)
        *pVal = nullptr;
    return Load(Variant(kEmptyData), pVal);
}

// Loads next to a placeholder cell at the end of the header row, which goes again on every exit.
HRESULT CHeaderCollection::Load(const VARIANT& data, IDispatch** added) {
    if (!m_owner || !m_rowElement)
        return E_POINTER;
    ComPtr<IHTMLElement> placeholder;
    HRESULT hr = CreateElementAt(m_document.Get(), u"TD", m_rowElement.Get(), u"beforeEnd", placeholder);
    if (FAILED(hr))
        return hr;
    LONG cookie = 0;
    hr = m_owner->AttachPart(placeholder.Get(), kTextHeaderUrl, &cookie);
    if (SUCCEEDED(hr)) {
        CHeadBehavior* anchor = m_owner->FindHeader(placeholder.Get());
        if (!anchor)
            hr = E_POINTER;
        else if (IsEmptyData(data)) {
            hr = m_owner->BuildHeaderCell(nullptr, placeholder.Get(), kAfterEnd);
            if (SUCCEEDED(hr) && added) {
                ComPtr<IDispatch> next;
                hr = SiblingOf(placeholder.Get(), true, &next);
                CHeadBehavior* made = SUCCEEDED(hr) ? m_owner->FindHeader(next.Get()) : nullptr;
                if (made)
                    hr = static_cast<IHeadBehavior*>(made)->QueryInterface(IID_IDispatch,
                                                                           reinterpret_cast<void**>(added));
            }
        } else {
            hr = anchor->put_dataSource(data);
        }
    }
    RemoveWithBehavior(placeholder.Get(), false, cookie);
    return hr;
}

STDMETHODIMP CHeaderCollection::removeAll() {
    LONG count = 0;
    if (!m_owner || FAILED(get_length(&count)))
        return S_OK;
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IHTMLElement> cell;
        CHeadBehavior* header = SUCCEEDED(CellAt(0, cell)) ? m_owner->FindHeader(cell.Get()) : nullptr;
        if (!header)
            break;
        header->remove();
    }
    return S_OK;
}

STDMETHODIMP CHeaderCollection::get_headerTable(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    return m_table ? m_table->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal)) : S_OK;
}

STDMETHODIMP CHeaderCollection::get__newEnum(IUnknown** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    if (!m_cells)
        return E_POINTER;
    m_cells->get__newEnum(pVal);
    return S_OK;
}

STDMETHODIMP CHeaderCollection::get_item(LONG nIndex, IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    if (!m_cells)
        return E_POINTER;
    return m_cells->item(Variant(nIndex), Variant(), pVal);
}

} // namespace orrin
