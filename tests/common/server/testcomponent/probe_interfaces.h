// The test component's interface, class identifiers and type library.
#pragma once

#include "objsafe.h"
#include "qx/com/dispatch.h"
#include "qx/com/type_library.h"

QX_DECLARE_INTERFACE(IProbe, "{8C2F0B10-5D1E-4C7A-9B3E-1A2B3C4D5E60}");
QX_DEFINE_GUID(LIBID_PROBELib, "{8C2F0B11-5D1E-4C7A-9B3E-1A2B3C4D5E60}");
QX_DEFINE_GUID(CLSID_Widget, "{8C2F0B12-5D1E-4C7A-9B3E-1A2B3C4D5E60}");
QX_DEFINE_GUID(CLSID_Solo, "{8C2F0B13-5D1E-4C7A-9B3E-1A2B3C4D5E60}");
QX_DEFINE_GUID(CLSID_Flaky, "{8C2F0B14-5D1E-4C7A-9B3E-1A2B3C4D5E60}");
QX_DEFINE_GUID(CLSID_Hidden, "{8C2F0B15-5D1E-4C7A-9B3E-1A2B3C4D5E60}");
QX_DEFINE_GUID(CATID_ProbeRequired, "{8C2F0B16-5D1E-4C7A-9B3E-1A2B3C4D5E60}");

struct IProbe : IDispatch {
    STDMETHOD(get_Kind)(BSTR* pVal) PURE;

protected:
    ~IProbe() = default;
};

inline constexpr qx::com::DispMember kProbeMembers[] = {
    qx::com::DispPropGet<&IProbe::get_Kind>(u"Kind", 1),
};
QX_DISPATCH_INTERFACE(IProbe, u"IProbe", kProbeMembers, u"IProbe Interface");

inline constexpr const qx::com::DispInterface* kProbeInterfaces[] = {&kDisp_IProbe};
inline constexpr qx::com::ImplTypeDesc kProbeImpls[] = {{&IID_IProbe, IMPLTYPEFLAG_FDEFAULT}};
inline constexpr qx::com::CoclassDesc kProbeClasses[] = {
    {&CLSID_Widget, u"Widget", kProbeImpls, 1, u"Widget Class"},
    {&CLSID_Solo, u"Solo", kProbeImpls, 1, u"Solo Class"},
    {&CLSID_Flaky, u"Flaky", kProbeImpls, 1, u"Flaky Class"},
    {&CLSID_Hidden, u"Hidden", kProbeImpls, 1, u"Hidden Class"},
};
inline constexpr qx::com::LibraryDesc kProbeLibrary = {
    &LIBID_PROBELib, u"PROBELib", u"Probe 1.0 Type Library", 1, 0, kProbeInterfaces, 1, kProbeClasses, 4};
