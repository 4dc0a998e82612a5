#include "list_view_behavior.h"

#include "frame_event_sink.h"
#include "head_behavior.h"
#include "list_dom.h"
#include "row_behavior.h"

#include <objbase.h>
#include <objbase_activation.h>

namespace orrin {

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

HRESULT CListViewBehavior::FinalConstruct() {
    HRESULT hr = qx::com::CreateObject<CComCtrlFactory>(m_factory);
    if (FAILED(hr))
        return hr;
    m_factory->SetOwner(this);
    hr = qx::com::CreateObject<CHeaderCollection>(m_headers);
    if (FAILED(hr))
        return hr;
    m_headers->SetOwner(this);
    hr = qx::com::CreateObject<CRowCollection>(m_rows);
    if (FAILED(hr))
        return hr;
    m_rows->SetOwner(this);
    hr = qx::com::CreateObject<CMultiSelColl>(m_selection);
    if (FAILED(hr))
        return hr;
    m_selection->SetOwner(this);
    CLSID xmlClass = {};
    hr = CLSIDFromProgID(u"Microsoft.XMLDOM", &xmlClass);
    if (FAILED(hr))
        return hr;
    hr = CoCreateInstance(xmlClass, nullptr,
                          CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                          IID_IXMLDOMDocument, reinterpret_cast<void**>(&m_xml));
    if (FAILED(hr))
        return hr;
    return m_xml->put_async(VARIANT_FALSE);
}

// Headers, rows and the collections keep a plain pointer to the list view: they stop using it
// before the registry is emptied.
void CListViewBehavior::ReleaseParts() {
    for (const auto& entry : m_registry.Entries())
        entry.second->ForgetOwner();
    m_registry.Clear();
}

void CListViewBehavior::FinalRelease() {
    UnadviseSinks();
    ReleaseParts();
    if (m_factory)
        m_factory->SetOwner(nullptr);
    if (m_headers)
        m_headers->SetOwner(nullptr);
    if (m_rows)
        m_rows->SetOwner(nullptr);
    if (m_selection)
        m_selection->SetOwner(nullptr);
    m_curSelHeader = nullptr;
    m_siteOM = nullptr;
}

STDMETHODIMP CListViewBehavior::Init(IElementBehaviorSite* pBehaviorSite) {
    HRESULT hr = BehaviorBase::Init(pBehaviorSite);
    if (FAILED(hr))
        return hr;
    return pBehaviorSite->QueryInterface(IID_IElementBehaviorSiteOM, reinterpret_cast<void**>(&m_siteOM));
}

STDMETHODIMP CListViewBehavior::Detach() {
    UnadviseSinks();
    ReleaseParts();
    m_siteOM = nullptr;
    return BehaviorBase::Detach();
}

BehaviorBase* CListViewBehavior::Find(IUnknown* element) const {
    const auto key = UniqueIdOf(element);
    return key ? m_registry.Find(key) : nullptr;
}

CHeadBehavior* CListViewBehavior::FindHeader(IUnknown* element) const {
    BehaviorBase* found = Find(element);
    return found ? found->AsHeader() : nullptr;
}

CRowBehavior* CListViewBehavior::FindRow(IUnknown* element) const {
    BehaviorBase* found = Find(element);
    return found ? found->AsRow() : nullptr;
}

LONG CListViewBehavior::HeaderCount() {
    LONG count = 0;
    return m_headers && SUCCEEDED(m_headers->get_length(&count)) ? count : 0;
}

bool CListViewBehavior::FireScriptEvent(UINT nameId, IDispatch* object, bool withAttributes) {
    return FireScriptEvent(LoadText(nameId).Get(), object, withAttributes);
}

bool CListViewBehavior::FireScriptEvent(const OLECHAR* name, IDispatch* object, bool withAttributes) {
    if (!m_siteOM || !name)
        return false;
    // The site may go in a handler: hold it for the whole firing.
    ComPtr<IElementBehaviorSiteOM> siteOM = m_siteOM;
    LONG cookie = 0;
    if (FAILED(siteOM->RegisterEvent(const_cast<LPOLESTR>(name), 0, &cookie)))
        return false;
    ComPtr<IHTMLEventObj> event;
    if (FAILED(siteOM->CreateEventObject(&event)) || !event)
        return false;
    if (object && withAttributes) {
        auto attributes = ComPtr<IHTMLEventObj2>::QueryFrom(event.Get());
        if (!attributes || FAILED(attributes->setAttribute(Bstr(u"result"), Variant(object), 1)) ||
            FAILED(attributes->setAttribute(Bstr(u"type"), Variant(name), 1)))
            return false;
    }
    return SUCCEEDED(siteOM->FireEvent(cookie, event.Get()));
}

HRESULT CListViewBehavior::AttachPart(IHTMLElement* element, UINT urlId, LONG* cookie) {
    auto element2 = ComPtr<IHTMLElement2>::QueryFrom(element);
    if (!element2 || !m_factory)
        return E_POINTER;
    Variant factory(static_cast<IUnknown*>(static_cast<IElementBehaviorFactory*>(m_factory.Get())));
    HRESULT hr = element2->addBehavior(LoadText(urlId), &factory, cookie);
    if (FAILED(hr))
        return hr;
    BehaviorBase* made = Find(element);
    if (!made)
        return S_OK;
    if (CHeadBehavior* header = made->AsHeader())
        header->SetCookie(*cookie);
    if (CRowBehavior* row = made->AsRow())
        row->SetCookie(*cookie);
    return S_OK;
}

STDMETHODIMP CListViewBehavior::put_dataSource(VARIANT newVal) {
    if (!m_headers || !m_rows)
        return E_POINTER;
    Variant data(newVal);
    HRESULT hr = m_headers->put_dataSource(data);
    if (FAILED(hr))
        return hr;
    if (HeaderCount() > 0) {
        hr = BuildColumns();
        if (FAILED(hr))
            return hr;
        return m_rows->put_dataSource(data);
    }
    // Every load replaces all headers and rows: none stand without headers.
    return m_rows->removeAll();
}

STDMETHODIMP CListViewBehavior::get_headers(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    return m_headers->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
}

STDMETHODIMP CListViewBehavior::get_rows(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    return m_rows->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
}

STDMETHODIMP CListViewBehavior::get_cell(LONG nRow, LONG nCell, IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    ComPtr<IDispatch> rowElement;
    HRESULT hr = m_rows->get_item(nRow, &rowElement);
    if (FAILED(hr))
        return hr;
    CRowBehavior* row = rowElement ? FindRow(rowElement.Get()) : nullptr;
    if (!row)
        return E_POINTER;
    ComPtr<IDispatch> cells;
    hr = row->get_cells(&cells);
    auto collection = ComPtr<IHTMLElementCollection>::QueryFrom(cells.Get());
    if (FAILED(hr) || !collection)
        return FAILED(hr) ? hr : E_POINTER;
    return collection->item(Variant(nCell), Variant(), pVal);
}

STDMETHODIMP CListViewBehavior::put_hotTracking(LONG newVal) {
    m_selection->hotTracking = newVal;
    return S_OK;
}

STDMETHODIMP CListViewBehavior::get_multiSelectable(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_selection->multiSelectable;
    return S_OK;
}

STDMETHODIMP CListViewBehavior::put_multiSelectable(LONG newVal) {
    m_selection->multiSelectable = newVal;
    return S_OK;
}

STDMETHODIMP CListViewBehavior::get_totalRowCount(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    return m_rows->get_length(pVal);
}

STDMETHODIMP CListViewBehavior::get_enabled(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_selection->enabled;
    return S_OK;
}

STDMETHODIMP CListViewBehavior::put_enabled(LONG newVal) {
    m_selection->enabled = newVal;
    return S_OK;
}

STDMETHODIMP CListViewBehavior::get_curSelHeader(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    if (!m_curSelHeader)
        return E_POINTER;
    return m_curSelHeader->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
}

STDMETHODIMP CListViewBehavior::get_xmlObject(IDispatch** pVal) {
    if (pVal)
        *pVal = nullptr;
    return S_OK;
}

STDMETHODIMP CListViewBehavior::get_scrollbarVisible(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_scrollbarVisible;
    return S_OK;
}

STDMETHODIMP CListViewBehavior::put_scrollbarVisible(LONG newVal) {
    m_scrollbarVisible = newVal;
    return S_OK;
}

STDMETHODIMP CListViewBehavior::get_multiSelects(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    return m_selection->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
}

namespace {

HRESULT CopyColor(const Bstr& color, BSTR* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = color.Copy();
    return *pVal || color.Get() == nullptr ? S_OK : E_OUTOFMEMORY;
}

Bstr ColorOf(BSTR newVal) {
    return Bstr(std::u16string_view(newVal ? newVal : u"", SysStringLen(newVal)));
}

} // namespace

STDMETHODIMP CListViewBehavior::get_selectColor(BSTR* pVal) {
    return CopyColor(m_selection->selectColor, pVal);
}

STDMETHODIMP CListViewBehavior::put_selectColor(BSTR newVal) {
    m_selection->selectColor = ColorOf(newVal);
    return S_OK;
}

STDMETHODIMP CListViewBehavior::get_hotTrackColor(BSTR* pVal) {
    return CopyColor(m_selection->hotTrackColor, pVal);
}

STDMETHODIMP CListViewBehavior::put_hotTrackColor(BSTR newVal) {
    m_selection->hotTrackColor = ColorOf(newVal);
    return S_OK;
}

STDMETHODIMP CListViewBehavior::get_normalColor(BSTR* pVal) {
    return CopyColor(m_selection->normalColor, pVal);
}

STDMETHODIMP CListViewBehavior::put_normalColor(BSTR newVal) {
    m_selection->normalColor = ColorOf(newVal);
    return S_OK;
}

} // namespace orrin
