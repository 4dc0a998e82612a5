#include "head_behavior.h"

#include "list_dom.h"
#include "list_view_behavior.h"

namespace orrin {

using qx::com::Bstr;
using qx::com::ComPtr;

CHeadBehavior::CHeadBehavior() : m_type(LoadText(kTextNone)), m_sortType(LoadText(kTextNone)) {}

void CHeadBehavior::FinalRelease() {
    if (m_owner) {
        m_owner->Unregister(UniqueIdOf(m_element.Get()));
        if (m_isSelected)
            m_owner->ClearSelectedHeader();
    }
    m_element = nullptr;
}

HRESULT CHeadBehavior::OnContentReady() {
    if (!m_element)
        return E_POINTER;
    if (m_owner)
        m_owner->Register(UniqueIdOf(m_element.Get()), this);
    return S_OK;
}

HRESULT CHeadBehavior::Insert(const VARIANT& data, const OLECHAR* where) {
    if (!m_owner)
        return E_POINTER;
    return m_owner->LoadHeaders(data, m_element.Get(), where);
}

STDMETHODIMP CHeadBehavior::put_dataSource(VARIANT newVal) {
    return Insert(newVal, kAfterEnd);
}

STDMETHODIMP CHeadBehavior::insertAfter(VARIANT varData, IDispatch**) {
    return Insert(varData, kAfterEnd);
}

STDMETHODIMP CHeadBehavior::insertBefore(VARIANT varData, IDispatch**) {
    return Insert(varData, kBeforeBegin);
}

STDMETHODIMP CHeadBehavior::get_name(BSTR* pVal) {
    if (!pVal)
        return E_POINTER;
    if (!m_element)
        return E_POINTER;
    return m_element->get_innerText(pVal);
}

STDMETHODIMP CHeadBehavior::put_name(BSTR newVal) {
    if (!m_element)
        return E_POINTER;
    return m_element->put_innerText(newVal);
}

STDMETHODIMP CHeadBehavior::put_icon(BSTR) {
    return E_NOTIMPL;
}

STDMETHODIMP CHeadBehavior::get_sortable(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_sortable;
    return S_OK;
}

STDMETHODIMP CHeadBehavior::put_sortable(LONG newVal) {
    m_sortable = newVal;
    return S_OK;
}

STDMETHODIMP CHeadBehavior::get_sortType(BSTR* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_sortType.Copy();
    return *pVal ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CHeadBehavior::put_sortType(BSTR newVal) {
    const std::u16string_view text(newVal ? newVal : u"", SysStringLen(newVal));
    if (text == u"ACSENDING" || text == u"DESCENDING" || text == u"NORMAL")
        m_sortType = text;
    return S_OK;
}

STDMETHODIMP CHeadBehavior::get_minSize(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_minSize;
    return S_OK;
}

STDMETHODIMP CHeadBehavior::put_minSize(LONG newVal) {
    m_minSize = newVal;
    return S_OK;
}

STDMETHODIMP CHeadBehavior::get_maxSize(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_maxSize;
    return S_OK;
}

STDMETHODIMP CHeadBehavior::put_maxSize(LONG newVal) {
    m_maxSize = newVal;
    return S_OK;
}

STDMETHODIMP CHeadBehavior::get_prevHeader(IDispatch** pVal) {
    return SiblingOf(m_element.Get(), false, pVal);
}

STDMETHODIMP CHeadBehavior::get_nextHeader(IDispatch** pVal) {
    return SiblingOf(m_element.Get(), true, pVal);
}

STDMETHODIMP CHeadBehavior::get_type(BSTR* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_type.Copy();
    return *pVal ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CHeadBehavior::put_type(BSTR newVal) {
    m_type = std::u16string_view(newVal ? newVal : u"", SysStringLen(newVal));
    return S_OK;
}

STDMETHODIMP CHeadBehavior::get_isSelected(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_isSelected;
    return S_OK;
}

STDMETHODIMP CHeadBehavior::get_resizible(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_resizible;
    return S_OK;
}

STDMETHODIMP CHeadBehavior::put_resizible(LONG newVal) {
    m_resizible = newVal;
    return S_OK;
}

// Swaps the cell with its neighbour and tells the page; only the header cell moves.
HRESULT CHeadBehavior::Move(bool right) {
    if (!m_owner)
        return E_POINTER;
    ComPtr<IDispatch> neighbour;
    HRESULT hr = SiblingOf(m_element.Get(), right, &neighbour);
    if (FAILED(hr) || !neighbour)
        return hr;
    auto node = ComPtr<IHTMLDOMNode>::QueryFrom(m_element.Get());
    if (!node)
        return E_NOINTERFACE;
    ComPtr<IDispatch> swapped;
    hr = node->swapNode(neighbour.Get(), &swapped);
    if (FAILED(hr))
        return hr;
    auto cell = ComPtr<IDispatch>::QueryFrom(m_element.Get());
    m_owner->FireScriptEvent(right ? kTextHeaderMoveRight : kTextHeaderMoveLeft, cell.Get());
    return S_OK;
}

STDMETHODIMP CHeadBehavior::moveLeft() {
    return Move(false);
}

STDMETHODIMP CHeadBehavior::moveRight() {
    Move(true);
    return S_OK;
}

STDMETHODIMP CHeadBehavior::remove() {
    // Removing the behaviour may release this object: hold it, and read every member first.
    ComPtr<IHeadBehavior> self(this);
    ComPtr<IHTMLElement> cell = m_element;
    CListViewBehavior* owner = m_owner;
    const LONG cookie = m_cookie;
    RemoveFromPage(cell.Get(), true);
    if (owner)
        owner->FireScriptEvent(kTextHeaderDelete, nullptr, false);
    RemoveBehavior(cell.Get(), cookie);
    return S_OK;
}

STDMETHODIMP CHeadBehavior::select() {
    m_isSelected = 1;
    return S_OK;
}

STDMETHODIMP CHeadBehavior::unselect() {
    m_isSelected = 0;
    return S_OK;
}

STDMETHODIMP CHeadBehavior::get_xmlObject(IDispatch** pVal) {
    if (pVal)
        *pVal = nullptr;
    return S_OK;
}

} // namespace orrin
