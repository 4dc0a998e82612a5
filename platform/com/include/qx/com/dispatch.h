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

#include <string_view>

namespace qx::com {

// GetIDsOfNames over a declaration: names[0] is a member (any case), further names are its
// parameters (their DISPIDs are their positions). DISP_E_UNKNOWNNAME leaves DISPID_UNKNOWN at each
// name not found; DISP_E_UNKNOWNINTERFACE when riid is not IID_NULL.
HRESULT DispGetIDsOfNames(const DispInterface& decl, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);

// The DISPIDs of a member's parameter names (their positions); DISPID_UNKNOWN and
// DISP_E_UNKNOWNNAME for a name that no member of its name and DISPID declares.
HRESULT DispParameterIDs(const DispInterface& decl, const DispMember& member, LPOLESTR* names, UINT count,
                         DISPID* ids);

// The first member of a name in declaration order (any case unless caseSensitive); null when
// none. A hashed lookup, over an index built once per declaration.
const DispMember* DispFindName(const DispInterface& decl, std::u16string_view name,
                               bool caseSensitive = false);

// The member that an Invoke with these flags reaches: a put or putref for DISPATCH_PROPERTYPUT(REF),
// else the method, else the property get; null when none.
const DispMember* DispSelectMember(const DispInterface& decl, DISPID id, WORD flags);

// Invoke over a declaration, calling the members through `itf` (the pointer of decl's interface).
HRESULT DispInvoke(const DispInterface& decl, void* itf, DISPID id, REFIID riid, WORD flags,
                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr);

// Invoke of one member (as DispSelectMember chose it) through `itf`, its interface's pointer.
HRESULT DispInvokeMember(const DispMember& member, void* itf, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* excepInfo, UINT* argErr);

// Type information of one interface, made from its declaration (no type library needed): a new
// object on every call.
HRESULT CreateDispTypeInfo(const DispInterface& decl, ITypeInfo** out);

// The declaration's one type information, made on first use and shared by every object of it (it
// is immutable); *out gets a new reference. What DispatchImpl::GetTypeInfo hands out.
HRESULT GetDispTypeInfo(const DispInterface& decl, ITypeInfo** out);

// Calls a member of any IDispatch by DISPID with arguments in natural order.
HRESULT InvokeByDispid(IDispatch* target, DISPID id, WORD flags, const VARIANT* args, UINT count,
                       VARIANT* result, EXCEPINFO* excepInfo = nullptr);

namespace detail {
// GetTypeInfoCount and GetTypeInfo of an object that one declaration describes.
inline HRESULT OneTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}
inline HRESULT TypeInfoAt(const DispInterface& decl, UINT index, ITypeInfo** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    return GetDispTypeInfo(decl, out);
}
} // namespace detail

template <typename Itf, const DispInterface& Decl = disp_decl_of<Itf>>
class DispatchImpl : public Itf {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override { return detail::OneTypeInfoCount(pctinfo); }
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) override {
        return detail::TypeInfoAt(Decl, iTInfo, ppTInfo);
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
