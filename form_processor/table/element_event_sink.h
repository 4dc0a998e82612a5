// The sink the table engine advises on TABLE, SELECT, INPUT, TD and BODY elements: it refuses
// selections and drags that start outside an editable ("free") place and reports option-list
// changes to the control.
#pragma once

#include "table_owner.h"

#include <mshtml.h>
#include <qx/com/comptr.h>
#include <qx/com/object.h>

class CElementEventSink : public qx::com::ObjectRoot, public IDispatch {
public:
    QX_BEGIN_INTERFACES(CElementEventSink)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_INTERFACE_ENTRY_IID(DIID_HTMLElementEvents, IDispatch)
    QX_END_INTERFACES()
    static constexpr bool kAggregatable = false;

    static HRESULT Create(IHTMLDocument2* document, TableEditorOwner* owner,
                          qx::com::ObjectPtr<CElementEventSink>& sink);
    // The control is going: later events reach nobody.
    void Disconnect() { owner_ = nullptr; }

    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

private:
    void SelectionTest(VARIANT* result) const;
    static void FreeTest(IHTMLElement* start, VARIANT* result);
    qx::com::ComPtr<IHTMLEventObj> CurrentEvent() const;

    qx::com::ComPtr<IHTMLDocument2> document_;
    TableEditorOwner* owner_ = nullptr;
};
