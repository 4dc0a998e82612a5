// IDispatchEx: IDispatch for objects whose members come and go (expandos, attributes, script
// objects). Names are looked up with GetDispID, which can create a member (fdexNameEnsure); members
// can be deleted, enumerated and described one by one.
#pragma once

#include "oaidl.h"

struct IServiceProvider;

// GetDispID / DeleteMemberByName flags.
#define fdexNameCaseSensitive 0x00000001L
#define fdexNameEnsure 0x00000002L // create the member when it does not exist
#define fdexNameImplicit 0x00000004L
#define fdexNameCaseInsensitive 0x00000008L
#define fdexNameInternal 0x00000010L
#define fdexNameNoDynamicProperties 0x00000020L

// GetMemberProperties flags.
#define fdexPropCanGet 0x00000001L
#define fdexPropCannotGet 0x00000002L
#define fdexPropCanPut 0x00000004L
#define fdexPropCannotPut 0x00000008L
#define fdexPropCanPutRef 0x00000010L
#define fdexPropCannotPutRef 0x00000020L
#define fdexPropNoSideEffects 0x00000040L
#define fdexPropDynamicType 0x00000080L
#define fdexPropCanCall 0x00000100L
#define fdexPropCannotCall 0x00000200L
#define fdexPropCanConstruct 0x00000400L
#define fdexPropCannotConstruct 0x00000800L
#define fdexPropCanSourceEvents 0x00001000L
#define fdexPropCannotSourceEvents 0x00002000L

#define grfdexPropCanAll                                                                                     \
    (fdexPropCanGet | fdexPropCanPut | fdexPropCanPutRef | fdexPropCanCall | fdexPropCanConstruct |          \
     fdexPropCanSourceEvents)
#define grfdexPropCannotAll                                                                                  \
    (fdexPropCannotGet | fdexPropCannotPut | fdexPropCannotPutRef | fdexPropCannotCall |                     \
     fdexPropCannotConstruct | fdexPropCannotSourceEvents)
#define grfdexPropExtraAll (fdexPropNoSideEffects | fdexPropDynamicType)
#define grfdexPropAll (grfdexPropCanAll | grfdexPropCannotAll | grfdexPropExtraAll)

// GetNextDispID flags: fdexEnumDefault leaves out hidden and restricted members.
#define fdexEnumDefault 0x00000001L
#define fdexEnumAll 0x00000002L

// InvokeEx: called as a constructor (`new obj()`).
#define DISPATCH_CONSTRUCT 0x4000

// The named argument that carries the `this` object of a call.
#define DISPID_THIS (-613)
// GetNextDispID starts from this.
#define DISPID_STARTENUM DISPID_UNKNOWN

QX_DECLARE_INTERFACE(IDispatchEx, "{A6EF9860-C720-11D0-9337-00A0C90DCAA9}");

struct IDispatchEx : IDispatch {
    STDMETHOD(GetDispID)(BSTR bstrName, DWORD grfdex, DISPID* pid) PURE;
    STDMETHOD(InvokeEx)
    (DISPID id, LCID lcid, WORD wFlags, DISPPARAMS* pdp, VARIANT* pvarRes, EXCEPINFO* pei,
     IServiceProvider* pspCaller) PURE;
    STDMETHOD(DeleteMemberByName)(BSTR bstrName, DWORD grfdex) PURE;
    STDMETHOD(DeleteMemberByDispID)(DISPID id) PURE;
    STDMETHOD(GetMemberProperties)(DISPID id, DWORD grfdexFetch, DWORD* pgrfdex) PURE;
    STDMETHOD(GetMemberName)(DISPID id, BSTR* pbstrName) PURE;
    STDMETHOD(GetNextDispID)(DWORD grfdex, DISPID id, DISPID* pid) PURE;
    STDMETHOD(GetNameSpaceParent)(IUnknown** ppunk) PURE;

protected:
    ~IDispatchEx() = default;
};
