// The site an embedded object is given by its container, and the container itself.
#pragma once

#include <objidl.h>
#include <qx/com/interface.h>
#include <unknwn.h>

struct IMoniker;
struct IBindCtx;

QX_DECLARE_INTERFACE(IParseDisplayName, "{0000011A-0000-0000-C000-000000000046}");
struct IParseDisplayName : IUnknown {
    STDMETHOD(ParseDisplayName)
    (IBindCtx* pbc, LPOLESTR pszDisplayName, ULONG* pchEaten, IMoniker** ppmkOut) PURE;

protected:
    ~IParseDisplayName() = default;
};

QX_DECLARE_INTERFACE(IOleContainer, "{0000011B-0000-0000-C000-000000000046}");
struct IOleContainer : IParseDisplayName {
    STDMETHOD(EnumObjects)(DWORD grfFlags, IEnumUnknown** ppenum) PURE;
    STDMETHOD(LockContainer)(BOOL fLock) PURE;

protected:
    ~IOleContainer() = default;
};

QX_DECLARE_INTERFACE(IOleClientSite, "{00000118-0000-0000-C000-000000000046}");
struct IOleClientSite : IUnknown {
    STDMETHOD(SaveObject)() PURE;
    STDMETHOD(GetMoniker)(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) PURE;
    STDMETHOD(GetContainer)(IOleContainer** ppContainer) PURE;
    STDMETHOD(ShowObject)() PURE;
    STDMETHOD(OnShowWindow)(BOOL fShow) PURE;
    STDMETHOD(RequestNewObjectLayout)() PURE;

protected:
    ~IOleClientSite() = default;
};
