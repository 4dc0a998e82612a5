// The control's sink on the converter's _DIConvertEvent: the end of a conversion signals the
// conversion-done event; the start does nothing; other events are not handled.
#pragma once

#include "convert_interfaces.h"

#include <qx/com/object.h>
#include <windows.h>

class CConvertEventSink : public qx::com::ObjectRoot, public IDispatch {
public:
    QX_BEGIN_INTERFACES(CConvertEventSink)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_INTERFACE_ENTRY_IID(DIID__DIConvertEvent, IDispatch)
    QX_END_INTERFACES()
    static constexpr bool kAggregatable = false;
    // The sink identifier the control gives this sink.
    static constexpr int kSinkId = 10;

    void SetDoneEvent(HANDLE done) { done_ = done; }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override;

private:
    HANDLE done_ = nullptr;
};
