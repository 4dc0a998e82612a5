// Orrin.RowBehavior: one body row, the behaviour of a TR in the body table. It paints and records
// its selection, inserts rows beside itself, moves and removes itself.
#pragma once

#include "behavior_base.h"
#include "orrin_ids.h"

#include <qx/com/bstr.h>
#include <qx/com/dispatch.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>

#include <optional>
#include <string>

namespace orrin {

class CRowBehavior : public qx::com::ObjectRoot,
                     public qx::com::DispatchImpl<IRowBehavior>,
                     public BehaviorBase,
                     public qx::com::SupportErrorInfoImpl<IRowBehavior> {
public:
    QX_BEGIN_INTERFACES(CRowBehavior)
    QX_INTERFACE_ENTRY(IRowBehavior)
    QX_INTERFACE_ENTRY2(IDispatch, IRowBehavior)
    QX_INTERFACE_ENTRY(IElementBehavior)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_END_INTERFACES()

    void FinalRelease();

    QX_OVERRIDES_IRowBehavior;

    HRESULT OnContentReady() override;
    CRowBehavior* AsRow() override { return this; }
    void ForgetOwner() override { m_owner = nullptr; }

    // The factory links a new row to its list view: it takes the current header count.
    HRESULT Link(CListViewBehavior* owner);
    void SetCookie(LONG cookie) { m_cookie = cookie; }
    LONG Cookie() const { return m_cookie; }
    LONG ColumnCount() const { return m_columnCount; }
    LONG Selected() const { return m_isSelected; }
    // Paints the row in a colour of the list view.
    HRESULT Paint(const qx::com::Bstr& color);
    std::optional<std::u16string> Key() const;

private:
    HRESULT Insert(const VARIANT& data, const OLECHAR* where, IDispatch** pVal);

    CListViewBehavior* m_owner = nullptr;
    LONG m_cookie = 0;
    LONG m_columnCount = 0;
    LONG m_isSelected = 0;
};

} // namespace orrin
