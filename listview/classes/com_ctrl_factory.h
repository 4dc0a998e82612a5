// Orrin.ComCtrlFactory: the element-behaviour factory. Page script hands one to addBehavior to
// make a list view ("LISTVIEW"); each list view keeps a private one, told its owner, through
// which its header cells ("#HEADER_") and rows ("#ROW_") get their objects.
#pragma once

#include "orrin_ids.h"

#include <mshtml.h>
#include <objsafe.h>
#include <qx/com/dispatch.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>

namespace orrin {

class CListViewBehavior;

class CComCtrlFactory : public qx::com::ObjectRoot,
                        public qx::com::DispatchImpl<IComCtrlFactory>,
                        public IElementBehaviorFactory,
                        public IObjectSafety,
                        public qx::com::SupportErrorInfoImpl<IComCtrlFactory> {
public:
    QX_BEGIN_INTERFACES(CComCtrlFactory)
    QX_INTERFACE_ENTRY(IComCtrlFactory)
    QX_INTERFACE_ENTRY2(IDispatch, IComCtrlFactory)
    QX_INTERFACE_ENTRY(IElementBehaviorFactory)
    QX_INTERFACE_ENTRY(IObjectSafety)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_END_INTERFACES()

    // IElementBehaviorFactory
    STDMETHODIMP FindBehavior(BSTR bstrBehavior, BSTR bstrBehaviorUrl, IElementBehaviorSite* pSite,
                              IElementBehavior** ppBehavior) override;
    // IObjectSafety
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions,
                                           DWORD* pdwEnabledOptions) override;
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID riid, DWORD dwOptionSetMask,
                                           DWORD dwEnabledOptions) override;

    void SetOwner(CListViewBehavior* owner) { m_owner = owner; }

private:
    DWORD m_safety = 0;
    CListViewBehavior* m_owner = nullptr;
};

} // namespace orrin
