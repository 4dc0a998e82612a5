#include "row_behavior.h"

#include "list_dom.h"
#include "list_view_behavior.h"

namespace orrin {

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

void CRowBehavior::FinalRelease() {
    if (m_owner) {
        const auto key = UniqueIdOf(m_element.Get());
        m_owner->Unregister(key);
        if (CMultiSelColl* selection = m_owner->Selection())
            selection->Forget(this);
    }
    m_element = nullptr;
}

HRESULT CRowBehavior::Link(CListViewBehavior* owner) {
    if (!owner)
        return E_POINTER;
    m_owner = owner;
    m_columnCount = owner->HeaderCount();
    return S_OK;
}

std::optional<std::u16string> CRowBehavior::Key() const {
    return UniqueIdOf(m_element.Get());
}

HRESULT CRowBehavior::OnContentReady() {
    if (!m_element)
        return E_POINTER;
    ComPtr<IDispatch> style;
    HRESULT hr = StyleOf(m_element.Get(), style);
    if (FAILED(hr))
        return hr;
    hr = PutNamedProperty(style.Get(), u"cursor", Variant(u"hand"));
    if (FAILED(hr))
        return hr;
    if (m_owner)
        m_owner->Register(Key(), this);
    return S_OK;
}

HRESULT CRowBehavior::Paint(const Bstr& color) {
    ComPtr<IDispatch> style;
    HRESULT hr = StyleOf(m_element.Get(), style);
    return FAILED(hr) ? hr : PutNamedProperty(style.Get(), u"backgroundColor", Variant(color.View()));
}

HRESULT CRowBehavior::Insert(const VARIANT& data, const OLECHAR* where, IDispatch** pVal) {
    if (!m_owner)
        return E_POINTER;
    HRESULT hr = m_owner->LoadRows(data, this, where);
    if (FAILED(hr))
        return hr;
    auto row = ComPtr<IDispatch>::QueryFrom(m_element.Get());
    if (pVal) {
        hr = row.CopyTo(pVal);
        if (FAILED(hr))
            return hr;
    }
    // The page may have let go of the list view in a handler of the inserts.
    if (m_owner)
        m_owner->FireScriptEvent(u"onRowInsert", row.Get());
    return S_OK;
}

STDMETHODIMP CRowBehavior::put_dataSource(VARIANT newVal) {
    if (!m_owner)
        return E_POINTER;
    return m_owner->LoadRows(newVal, this, kAfterEnd);
}

STDMETHODIMP CRowBehavior::get_prevRow(IDispatch** pVal) {
    return SiblingOf(m_element.Get(), false, pVal);
}

STDMETHODIMP CRowBehavior::get_nextRow(IDispatch** pVal) {
    return SiblingOf(m_element.Get(), true, pVal);
}

STDMETHODIMP CRowBehavior::get_isSelected(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_isSelected;
    return S_OK;
}

STDMETHODIMP CRowBehavior::get_cells(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    auto row = ComPtr<IHTMLTableRow>::QueryFrom(m_element.Get());
    return row ? row->get_cells(pVal) : E_POINTER;
}

STDMETHODIMP CRowBehavior::select() {
    if (!m_owner || !m_owner->Selection())
        return E_POINTER;
    HRESULT hr = m_owner->Selection()->Select(this);
    if (SUCCEEDED(hr))
        m_isSelected = 1;
    return hr;
}

STDMETHODIMP CRowBehavior::unselect() {
    if (!m_owner || !m_owner->Selection())
        return E_POINTER;
    m_owner->Selection()->Unselect(this);
    m_isSelected = 0;
    return S_OK;
}

STDMETHODIMP CRowBehavior::remove() {
    // Removing the behaviour may release this object: hold it, and read every member first.
    ComPtr<IRowBehavior> self(this);
    ComPtr<IHTMLElement> row = m_element;
    CListViewBehavior* owner = m_owner;
    const LONG cookie = m_cookie;
    if (owner)
        owner->ResetScrollPositions();
    RemoveFromPage(row.Get(), true);
    if (owner)
        owner->FireScriptEvent(u"onRowDelete", nullptr, false);
    RemoveBehavior(row.Get(), cookie);
    return S_OK;
}

STDMETHODIMP CRowBehavior::moveUp() {
    if (!m_owner)
        return E_POINTER;
    ComPtr<IDispatch> previous;
    HRESULT hr = SiblingOf(m_element.Get(), false, &previous);
    if (FAILED(hr) || !previous)
        return hr;
    auto node = ComPtr<IHTMLDOMNode>::QueryFrom(m_element.Get());
    ComPtr<IDispatch> swapped;
    hr = node ? node->swapNode(previous.Get(), &swapped) : E_NOINTERFACE;
    if (FAILED(hr))
        return hr;
    auto row = ComPtr<IDispatch>::QueryFrom(m_element.Get());
    m_owner->FireScriptEvent(kTextRowMoveUp, row.Get());
    return S_OK;
}

STDMETHODIMP CRowBehavior::moveDown() {
    if (!m_owner)
        return S_OK;
    ComPtr<IDispatch> next;
    if (FAILED(SiblingOf(m_element.Get(), true, &next)) || !next)
        return S_OK;
    auto node = ComPtr<IHTMLDOMNode>::QueryFrom(m_element.Get());
    ComPtr<IDispatch> swapped;
    if (!node || FAILED(node->swapNode(next.Get(), &swapped)))
        return S_OK;
    auto row = ComPtr<IDispatch>::QueryFrom(m_element.Get());
    m_owner->FireScriptEvent(kTextRowMoveDown, row.Get());
    return S_OK;
}

STDMETHODIMP CRowBehavior::get_index(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    auto row = ComPtr<IHTMLTableRow>::QueryFrom(m_element.Get());
    return row ? row->get_rowIndex(pVal) : E_POINTER;
}

STDMETHODIMP CRowBehavior::insertBefore(VARIANT varData, IDispatch** pVal) {
    return Insert(varData, kBeforeBegin, pVal);
}

STDMETHODIMP CRowBehavior::insertAfter(VARIANT varData, IDispatch** pVal) {
    return Insert(varData, kAfterEnd, pVal);
}

STDMETHODIMP CRowBehavior::get_xmlObject(IDispatch** pVal) {
    if (pVal)
        *pVal = nullptr;
    return E_NOTIMPL;
}

} // namespace orrin
