// Orrin.HeaderCollection: the header row of a list view for page script: its cells, loading,
// adding and removing headers.
#pragma once

#include "orrin_ids.h"

#include <mshtml.h>
#include <qx/com/dispatch.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>

namespace orrin {

class CListViewBehavior;

class CHeaderCollection : public qx::com::ObjectRoot,
                          public qx::com::DispatchImpl<IHeaderCollection>,
                          public qx::com::SupportErrorInfoImpl<IHeaderCollection> {
public:
    QX_BEGIN_INTERFACES(CHeaderCollection)
    QX_INTERFACE_ENTRY(IHeaderCollection)
    QX_INTERFACE_ENTRY2(IDispatch, IHeaderCollection)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_END_INTERFACES()

    QX_OVERRIDES_IHeaderCollection;

    void SetOwner(CListViewBehavior* owner) { m_owner = owner; }
    // Keeps the header TABLE and puts the header row into it.
    HRESULT SetTable(IHTMLTable* table, IHTMLDocument2* document);
    IHTMLElement* Row() const { return m_rowElement.Get(); }
    // The header cell at index as an element; E_POINTER when there is none.
    HRESULT CellAt(LONG index, qx::com::ComPtr<IHTMLElement>& cell);

private:
    HRESULT Load(const VARIANT& data, IDispatch** added);

    CListViewBehavior* m_owner = nullptr;
    qx::com::ComPtr<IHTMLTable> m_table;
    qx::com::ComPtr<IHTMLTableRow> m_row;
    qx::com::ComPtr<IHTMLElement> m_rowElement;
    qx::com::ComPtr<IHTMLDocument2> m_document;
    qx::com::ComPtr<IHTMLElementCollection> m_cells;
};

} // namespace orrin
