// OLE control interfaces: connection points, class information, property bags.
#pragma once

#include "oaidl.h"
#include "objidl.h"

QX_DECLARE_INTERFACE(IConnectionPointContainer, "{B196B284-BAB4-101A-B69C-00AA00341D07}");
QX_DECLARE_INTERFACE(IEnumConnectionPoints, "{B196B285-BAB4-101A-B69C-00AA00341D07}");
QX_DECLARE_INTERFACE(IConnectionPoint, "{B196B286-BAB4-101A-B69C-00AA00341D07}");
QX_DECLARE_INTERFACE(IEnumConnections, "{B196B287-BAB4-101A-B69C-00AA00341D07}");
QX_DECLARE_INTERFACE(IProvideClassInfo, "{B196B283-BAB4-101A-B69C-00AA00341D07}");
QX_DECLARE_INTERFACE(IProvideClassInfo2, "{A6BC3AC0-DBAA-11CE-9DE3-00AA004BB851}");
QX_DECLARE_INTERFACE(IPropertyBag, "{55272A00-42CB-11CE-8135-00AA004BB851}");
QX_DECLARE_INTERFACE(IErrorLog, "{3127CA40-446E-11CE-8135-00AA004BB851}");
QX_DECLARE_INTERFACE(IPersistPropertyBag, "{37D84F60-42CB-11CE-8135-00AA004BB851}");

struct IConnectionPoint;

struct CONNECTDATA {
    IUnknown* pUnk;
    DWORD dwCookie;
};
using LPCONNECTDATA = CONNECTDATA*;

struct IEnumConnections : IUnknown {
    STDMETHOD(Next)(ULONG cConnections, CONNECTDATA* rgcd, ULONG* pcFetched) PURE;
    STDMETHOD(Skip)(ULONG cConnections) PURE;
    STDMETHOD(Reset)() PURE;
    STDMETHOD(Clone)(IEnumConnections** ppEnum) PURE;

protected:
    ~IEnumConnections() = default;
};

struct IEnumConnectionPoints : IUnknown {
    STDMETHOD(Next)(ULONG cConnections, IConnectionPoint** ppCP, ULONG* pcFetched) PURE;
    STDMETHOD(Skip)(ULONG cConnections) PURE;
    STDMETHOD(Reset)() PURE;
    STDMETHOD(Clone)(IEnumConnectionPoints** ppEnum) PURE;

protected:
    ~IEnumConnectionPoints() = default;
};

struct IConnectionPointContainer : IUnknown {
    STDMETHOD(EnumConnectionPoints)(IEnumConnectionPoints** ppEnum) PURE;
    STDMETHOD(FindConnectionPoint)(REFIID riid, IConnectionPoint** ppCP) PURE;

protected:
    ~IConnectionPointContainer() = default;
};

struct IConnectionPoint : IUnknown {
    STDMETHOD(GetConnectionInterface)(IID* pIID) PURE;
    STDMETHOD(GetConnectionPointContainer)(IConnectionPointContainer** ppCPC) PURE;
    STDMETHOD(Advise)(IUnknown* pUnkSink, DWORD* pdwCookie) PURE;
    STDMETHOD(Unadvise)(DWORD dwCookie) PURE;
    STDMETHOD(EnumConnections)(IEnumConnections** ppEnum) PURE;

protected:
    ~IConnectionPoint() = default;
};

struct IProvideClassInfo : IUnknown {
    STDMETHOD(GetClassInfo)(ITypeInfo** ppTI) PURE;

protected:
    ~IProvideClassInfo() = default;
};

enum GUIDKIND { GUIDKIND_DEFAULT_SOURCE_DISP_IID = 1 };

struct IProvideClassInfo2 : IProvideClassInfo {
    STDMETHOD(GetGUID)(DWORD dwGuidKind, GUID* pGUID) PURE;

protected:
    ~IProvideClassInfo2() = default;
};

struct IErrorLog : IUnknown {
    STDMETHOD(AddError)(LPCOLESTR pszPropName, EXCEPINFO* pExcepInfo) PURE;

protected:
    ~IErrorLog() = default;
};

struct IPropertyBag : IUnknown {
    STDMETHOD(Read)(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) PURE;
    STDMETHOD(Write)(LPCOLESTR pszPropName, VARIANT* pVar) PURE;

protected:
    ~IPropertyBag() = default;
};

struct IPersistPropertyBag : IPersist {
    STDMETHOD(InitNew)() PURE;
    STDMETHOD(Load)(IPropertyBag* pPropBag, IErrorLog* pErrorLog) PURE;
    STDMETHOD(Save)(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) PURE;

protected:
    ~IPersistPropertyBag() = default;
};
