// Orrin.HeadBehavior: one column header, the behaviour of a TD in the header row. It keeps the
// column's properties for page script, inserts headers beside itself, moves and removes itself.
#pragma once

#include "behavior_base.h"
#include "orrin_ids.h"

#include <qx/com/bstr.h>
#include <qx/com/dispatch.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>

namespace orrin {

class CHeadBehavior : public qx::com::ObjectRoot,
                      public qx::com::DispatchImpl<IHeadBehavior>,
                      public BehaviorBase,
                      public qx::com::SupportErrorInfoImpl<IHeadBehavior> {
public:
    QX_BEGIN_INTERFACES(CHeadBehavior)
    QX_INTERFACE_ENTRY(IHeadBehavior)
    QX_INTERFACE_ENTRY2(IDispatch, IHeadBehavior)
    QX_INTERFACE_ENTRY(IElementBehavior)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_END_INTERFACES()

    CHeadBehavior();
    void FinalRelease();

    QX_OVERRIDES_IHeadBehavior;

    HRESULT OnContentReady() override;
    CHeadBehavior* AsHeader() override { return this; }
    void ForgetOwner() override { m_owner = nullptr; }

    void SetOwner(CListViewBehavior* owner) { m_owner = owner; }
    void SetCookie(LONG cookie) { m_cookie = cookie; }
    LONG Cookie() const { return m_cookie; }
    LONG MaxSize() const { return m_maxSize; }
    LONG Selected() const { return m_isSelected; }

private:
    HRESULT Insert(const VARIANT& data, const OLECHAR* where);
    HRESULT Move(bool right);

    CListViewBehavior* m_owner = nullptr;
    LONG m_cookie = 0;
    LONG m_isSelected = 0;
    LONG m_resizible = 0;
    LONG m_sortable = 0;
    LONG m_minSize = 10;
    LONG m_maxSize = 500;
    qx::com::Bstr m_type;
    qx::com::Bstr m_sortType;
};

} // namespace orrin
