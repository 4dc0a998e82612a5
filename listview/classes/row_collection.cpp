#include "row_collection.h"

#include "list_dom.h"
#include "list_view_behavior.h"
#include "row_behavior.h"

#include <oleauto.h>

namespace orrin {

using qx::com::ComPtr;
using qx::com::Variant;

HRESULT CRowCollection::SetTable(IHTMLTable* table, IHTMLDocument2* document) {
    if (!table)
        return E_POINTER;
    m_table = table;
    m_document = document;
    m_table2 = ComPtr<IHTMLElement2>::QueryFrom(table);
    ComPtr<IDispatch> rows;
    HRESULT hr = table->get_rows(&rows);
    if (FAILED(hr))
        return hr;
    m_rows = ComPtr<IHTMLElementCollection>::QueryFrom(rows.Get());
    return m_rows ? S_OK : E_NOINTERFACE;
}

LONG CRowCollection::Count() {
    LONG count = 0;
    return SUCCEEDED(get_length(&count)) ? count : 0;
}

CRowBehavior* CRowCollection::RowAt(LONG index) {
    ComPtr<IDispatch> row;
    if (!m_owner || FAILED(get_item(index, &row)) || !row)
        return nullptr;
    return m_owner->FindRow(row.Get());
}

STDMETHODIMP CRowCollection::get_length(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    if (!m_rows)
        return E_POINTER;
    return m_rows->get_length(pVal);
}

STDMETHODIMP CRowCollection::put_dataSource(VARIANT newVal) {
    removeAll();
    return Load(newVal, nullptr);
}

STDMETHODIMP CRowCollection::add(BSTR, IDispatch** pVal) {
    if (pVal)
        *pVal = nullptr;
    return Load(Variant(kEmptyData), pVal);
}

// Loads next to a placeholder row at the end of the table, which goes again on every exit.
HRESULT CRowCollection::Load(const VARIANT& data, IDispatch** added) {
    if (!m_owner || !m_table)
        return E_POINTER;
    ComPtr<IDispatch> inserted;
    HRESULT hr = m_table->insertRow(-1, &inserted);
    if (FAILED(hr))
        return hr;
    auto placeholder = ComPtr<IHTMLElement>::QueryFrom(inserted.Get());
    if (!placeholder)
        return E_NOINTERFACE;
    LONG cookie = 0;
    hr = m_owner->AttachPart(placeholder.Get(), kTextRowUrl, &cookie);
    if (SUCCEEDED(hr)) {
        CRowBehavior* anchor = m_owner->FindRow(placeholder.Get());
        if (!anchor)
            hr = E_POINTER;
        else if (IsEmptyData(data))
            hr = m_owner->BuildRow(nullptr, anchor, kAfterEnd, added);
        else
            hr = anchor->put_dataSource(data);
    }
    RemoveWithBehavior(placeholder.Get(), false, cookie);
    return hr;
}

STDMETHODIMP CRowCollection::removeAll() {
    LONG count = 0;
    if (!m_owner || !m_rows || FAILED(m_rows->get_length(&count)))
        return S_OK;
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IDispatch> row;
        if (FAILED(get_item(i, &row)) || !row)
            continue;
        if (CRowBehavior* object = m_owner->FindRow(row.Get()))
            RemoveBehavior(ComPtr<IHTMLElement>::QueryFrom(row.Get()).Get(), object->Cookie());
    }
    if (count > 0) {
        ComPtr<IDispatch> bodies;
        m_table->get_tBodies(&bodies);
        auto bodyList = ComPtr<IHTMLElementCollection>::QueryFrom(bodies.Get());
        ComPtr<IDispatch> first;
        if (bodyList)
            bodyList->item(Variant(LONG(0)), Variant(), &first);
        RemoveFromPage(ComPtr<IHTMLElement>::QueryFrom(first.Get()).Get(), true);
        ComPtr<IDispatch> rows;
        if (SUCCEEDED(m_table->get_rows(&rows)))
            m_rows = ComPtr<IHTMLElementCollection>::QueryFrom(rows.Get());
    }
    return S_OK;
}

STDMETHODIMP CRowCollection::get_xmlObject(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    if (!m_owner)
        return E_POINTER;
    IXMLDOMDocument* xml = m_owner->XmlDocument();
    if (!xml)
        return E_POINTER;
    ComPtr<IDispatch> made;
    HRESULT hr = xml->createElement(LoadText(kTextRowList), &made);
    auto list = ComPtr<IXMLDOMNode>::QueryFrom(made.Get());
    if (FAILED(hr) || !list)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    for (LONG i = 0, count = Count(); i < count; ++i) {
        CRowBehavior* row = RowAt(i);
        if (!row)
            continue;
        ComPtr<IDispatch> rowXml;
        hr = row->get_xmlObject(&rowXml);
        if (FAILED(hr))
            return hr;
        ComPtr<IDispatch> appended;
        hr = list->appendChild(rowXml.Get(), &appended);
        if (FAILED(hr))
            return hr;
    }
    *pVal = made.Detach();
    return S_OK;
}

STDMETHODIMP CRowCollection::get_rowTable(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    return m_table ? m_table->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal)) : S_OK;
}

STDMETHODIMP CRowCollection::get_item(LONG nIndex, IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    if (!m_rows)
        return E_POINTER;
    return m_rows->item(Variant(nIndex), Variant(), pVal);
}

STDMETHODIMP CRowCollection::get__newEnum(IUnknown** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    if (!m_rows)
        return E_POINTER;
    return m_rows->get__newEnum(pVal);
}

} // namespace orrin
