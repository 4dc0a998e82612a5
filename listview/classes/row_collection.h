// Orrin.RowCollection: the body rows of a list view for page script: loading, adding, clearing
// and indexed access.
#pragma once

#include "orrin_ids.h"

#include <mshtml.h>
#include <qx/com/dispatch.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>

namespace orrin {

class CListViewBehavior;
class CRowBehavior;

class CRowCollection : public qx::com::ObjectRoot,
                       public qx::com::DispatchImpl<IRowCollection>,
                       public qx::com::SupportErrorInfoImpl<IRowCollection> {
public:
    QX_BEGIN_INTERFACES(CRowCollection)
    QX_INTERFACE_ENTRY(IRowCollection)
    QX_INTERFACE_ENTRY2(IDispatch, IRowCollection)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_END_INTERFACES()

    QX_OVERRIDES_IRowCollection;

    void SetOwner(CListViewBehavior* owner) { m_owner = owner; }
    HRESULT SetTable(IHTMLTable* table, IHTMLDocument2* document);
    // The row object of the TR at index; null when there is no TR or it has none.
    CRowBehavior* RowAt(LONG index);
    LONG Count();

private:
    HRESULT Load(const VARIANT& data, IDispatch** added);

    CListViewBehavior* m_owner = nullptr;
    qx::com::ComPtr<IHTMLTable> m_table;
    qx::com::ComPtr<IHTMLElement2> m_table2;
    qx::com::ComPtr<IHTMLDocument2> m_document;
    qx::com::ComPtr<IHTMLElementCollection> m_rows;
};

} // namespace orrin
