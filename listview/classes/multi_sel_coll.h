// Orrin.MultiSelColl: the list view's selection (the selected rows in the order they were
// selected, and the anchor of range selection), its switches and row colours, and the rules by
// which a click changes the selection.
#pragma once

#include "element_registry.h"
#include "orrin_ids.h"

#include <mshtml.h>
#include <qx/com/bstr.h>
#include <qx/com/dispatch.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>

#include <string>

namespace orrin {

class CListViewBehavior;
class CRowBehavior;

class CMultiSelColl : public qx::com::ObjectRoot,
                      public qx::com::DispatchImpl<IMultiSelColl>,
                      public qx::com::SupportErrorInfoImpl<IMultiSelColl> {
public:
    QX_BEGIN_INTERFACES(CMultiSelColl)
    QX_INTERFACE_ENTRY(IMultiSelColl)
    QX_INTERFACE_ENTRY2(IDispatch, IMultiSelColl)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_END_INTERFACES()

    CMultiSelColl();

    QX_OVERRIDES_IMultiSelColl;

    void SetOwner(CListViewBehavior* owner) { m_owner = owner; }

    // A row's own steps: select appends it (once), unselect and its final release take it out.
    HRESULT Select(CRowBehavior* row);
    HRESULT Unselect(CRowBehavior* row);
    void Forget(CRowBehavior* row);

    // A click on a body cell with the window's event object.
    HRESULT ChangeSelectionByClick(IHTMLElement* cell, IHTMLEventObj* event);

    LONG hotTracking = 1;
    LONG enabled = 1;
    LONG multiSelectable = 1;
    qx::com::Bstr hotTrackColor;
    qx::com::Bstr normalColor;
    qx::com::Bstr selectColor;

private:
    HRESULT SelectRange(CRowBehavior* clicked);

    CListViewBehavior* m_owner = nullptr;
    std::u16string m_anchor;
    KeyedList<CRowBehavior> m_selection;
};

} // namespace orrin
