// IUnknown and IClassFactory, the roots of every COM object.
#pragma once

#include "qx/com/interface.h"
#include "wtypes.h"

// Interface methods: pure virtual, returning HRESULT unless a type is given.
#define STDMETHOD(method) virtual HRESULT STDMETHODCALLTYPE method
#define STDMETHOD_(type, method) virtual type STDMETHODCALLTYPE method
#define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#define STDMETHODIMP_(type) type STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT STDAPICALLTYPE
#define STDAPI_(type) extern "C" type STDAPICALLTYPE
#define PURE = 0

QX_DECLARE_INTERFACE(IUnknown, "{00000000-0000-0000-C000-000000000046}");
QX_DECLARE_INTERFACE(IClassFactory, "{00000001-0000-0000-C000-000000000046}");

struct IUnknown {
    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) PURE;
    STDMETHOD_(ULONG, AddRef)() PURE;
    STDMETHOD_(ULONG, Release)() PURE;

    // Typed form: the IID comes from the interface's declaration.
    template <typename Q>
    HRESULT QueryInterface(Q** pp) {
        return QueryInterface(qx::com::iid_of<Q>, reinterpret_cast<void**>(pp));
    }

protected:
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

struct IClassFactory : IUnknown {
    STDMETHOD(CreateInstance)(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) PURE;
    STDMETHOD(LockServer)(BOOL fLock) PURE;

protected:
    ~IClassFactory() = default;
};
using LPCLASSFACTORY = IClassFactory*;
