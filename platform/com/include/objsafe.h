// Safety of an object for scripting and initialisation from untrusted pages.
#pragma once

#include "unknwn.h"

QX_DECLARE_INTERFACE(IObjectSafety, "{CB5BDC81-93C1-11CF-8F20-00805F2CD064}");

QX_DEFINE_GUID(CATID_SafeForScripting, "{7DD95801-9882-11CF-9FA9-00AA006C42C4}");
QX_DEFINE_GUID(CATID_SafeForInitializing, "{7DD95802-9882-11CF-9FA9-00AA006C42C4}");

#define INTERFACESAFE_FOR_UNTRUSTED_CALLER 0x00000001
#define INTERFACESAFE_FOR_UNTRUSTED_DATA 0x00000002
#define INTERFACE_USES_DISPEX 0x00000004
#define INTERFACE_USES_SECURITY_MANAGER 0x00000008

struct IObjectSafety : IUnknown {
    STDMETHOD(GetInterfaceSafetyOptions)
    (REFIID riid, DWORD* pdwSupportedOptions, DWORD* pdwEnabledOptions) PURE;
    STDMETHOD(SetInterfaceSafetyOptions)(REFIID riid, DWORD dwOptionSetMask, DWORD dwEnabledOptions) PURE;

protected:
    ~IObjectSafety() = default;
};
