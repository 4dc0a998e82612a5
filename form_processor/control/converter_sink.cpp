#include "converter_sink.h"

#include <qx/com/dispatch.h>

STDMETHODIMP CConvertEventSink::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CConvertEventSink::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    return qx::com::DispGetIDsOfNames(kDisp__DIConvertEvent, riid, names, count, ids);
}

STDMETHODIMP CConvertEventSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                       EXCEPINFO*, UINT*) {
    switch (dispIdMember) {
    case 1: // OnStartConvert
        return S_OK;
    case 2: // OnEndConvert
        if (done_)
            SetEvent(done_);
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}
