// The component categories manager: a class's implemented and required categories, kept under
// HKEY_CLASSES_ROOT\CLSID\{...}\Implemented Categories and Required Categories, and the category
// names under HKEY_CLASSES_ROOT\Component Categories.
#pragma once

#include "guiddef.h"
#include "unknwn.h"
#include "wintypes.h"

using CATID = GUID;
using REFCATID = const CATID&;

struct CATEGORYINFO {
    CATID catid;
    LCID lcid;
    OLECHAR szDescription[128];
};

QX_DEFINE_GUID(CLSID_StdComponentCategoriesMgr, "{0002E005-0000-0000-C000-000000000046}");

QX_DECLARE_INTERFACE(ICatRegister, "{0002E012-0000-0000-C000-000000000046}");
struct ICatRegister : IUnknown {
    STDMETHOD(RegisterCategories)(ULONG cCategories, CATEGORYINFO rgCategoryInfo[]) PURE;
    STDMETHOD(UnRegisterCategories)(ULONG cCategories, CATID rgcatid[]) PURE;
    STDMETHOD(RegisterClassImplCategories)(REFCLSID rclsid, ULONG cCategories, CATID rgcatid[]) PURE;
    STDMETHOD(UnRegisterClassImplCategories)(REFCLSID rclsid, ULONG cCategories, CATID rgcatid[]) PURE;
    STDMETHOD(RegisterClassReqCategories)(REFCLSID rclsid, ULONG cCategories, CATID rgcatid[]) PURE;
    STDMETHOD(UnRegisterClassReqCategories)(REFCLSID rclsid, ULONG cCategories, CATID rgcatid[]) PURE;

protected:
    ~ICatRegister() = default;
};
