// IDispatch from a dispatch declaration: name lookup, Invoke and type information.
//
//     class CConvert : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IConvert>, ... {
//         QX_BEGIN_INTERFACES(CConvert)
//             QX_INTERFACE_ENTRY(IConvert)
//             QX_INTERFACE_ENTRY2(IDispatch, IConvert)
//         QX_END_INTERFACES()
//         STDMETHODIMP filterIn(VARIANT_BOOL* pVal) override;  ...
//     };
//
// Classes that answer names by hand implement IDispatch themselves and may still call
// DispInvoke / DispGetIDsOfNames for the parts they keep standard.
#pragma once

#include "oaidl.h"
#include "qx/com/comptr.h"
#include "qx/com/dispatch_decl.h"

namespace qx::com {

// GetIDsOfNames over a declaration: names[0] is a member (any case), further names are its
// parameters (their DISPIDs are their positions). DISP_E_UNKNOWNNAME leaves DISPID_UNKNOWN at each
// name not found; DISP_E_UNKNOWNINTERFACE when riid is not IID_NULL.
HRESULT DispGetIDsOfNames(const DispInterface& decl, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);

// Invoke over a declaration, calling the members through `itf` (the pointer of decl's interface).
HRESULT DispInvoke(const DispInterface& decl, void* itf, DISPID id, REFIID riid, WORD flags,
                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr);

// Type information of one interface, made from its declaration (no type library needed).
HRESULT CreateDispTypeInfo(const DispInterface& decl, ITypeInfo** out);

// Calls a member of any IDispatch by DISPID with arguments in natural order.
HRESULT InvokeByDispid(IDispatch* target, DISPID id, WORD flags, const VARIANT* args, UINT count,
                       VARIANT* result, EXCEPINFO* excepInfo = nullptr);

template <typename Itf, const DispInterface& Decl = disp_decl_of<Itf>>
class DispatchImpl : public Itf {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) override {
        if (!ppTInfo)
            return E_POINTER;
        *ppTInfo = nullptr;
        if (iTInfo != 0)
            return DISP_E_BADINDEX;
        return CreateDispTypeInfo(Decl, ppTInfo);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                               DISPID* rgDispId) override {
        return DispGetIDsOfNames(Decl, riid, rgszNames, cNames, rgDispId);
    }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override {
        return DispInvoke(Decl, static_cast<Itf*>(this), dispIdMember, riid, wFlags, pDispParams, pVarResult,
                          pExcepInfo, puArgErr);
    }
};

} // namespace qx::com
