// The browser object's automation interfaces, in their published vtable order (IWebBrowser,
// then IWebBrowserApp, then IWebBrowser2), and the service that names the browser.
#pragma once

#include <oaidl.h>
#include <qx/com/interface.h>

enum OLECMDID : LONG {
    OLECMDID_OPEN = 1,
    OLECMDID_SAVEAS = 4,
    OLECMDID_PRINT = 6,
    OLECMDID_PRINTPREVIEW = 7,
    OLECMDID_PAGESETUP = 8,
    OLECMDID_REFRESH = 22,
    OLECMDID_STOP = 23,
};
enum OLECMDF : LONG {
    OLECMDF_SUPPORTED = 1,
    OLECMDF_ENABLED = 2,
    OLECMDF_LATCHED = 4,
    OLECMDF_NINCHED = 8,
};
enum OLECMDEXECOPT : LONG {
    OLECMDEXECOPT_DODEFAULT = 0,
    OLECMDEXECOPT_PROMPTUSER = 1,
    OLECMDEXECOPT_DONTPROMPTUSER = 2,
    OLECMDEXECOPT_SHOWHELP = 3,
};
enum READYSTATE : LONG {
    READYSTATE_UNINITIALIZED = 0,
    READYSTATE_LOADING = 1,
    READYSTATE_LOADED = 2,
    READYSTATE_INTERACTIVE = 3,
    READYSTATE_COMPLETE = 4,
};

QX_DECLARE_INTERFACE(IWebBrowser, "{EAB22AC1-30C1-11CF-A7EB-0000C05BAE0B}");
struct IWebBrowser : IDispatch {
    STDMETHOD(GoBack)() PURE;
    STDMETHOD(GoForward)() PURE;
    STDMETHOD(GoHome)() PURE;
    STDMETHOD(GoSearch)() PURE;
    STDMETHOD(Navigate)
    (BSTR URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData, VARIANT* Headers) PURE;
    STDMETHOD(Refresh)() PURE;
    STDMETHOD(Refresh2)(VARIANT* Level) PURE;
    STDMETHOD(Stop)() PURE;
    STDMETHOD(get_Application)(IDispatch** ppDisp) PURE;
    STDMETHOD(get_Parent)(IDispatch** ppDisp) PURE;
    STDMETHOD(get_Container)(IDispatch** ppDisp) PURE;
    STDMETHOD(get_Document)(IDispatch** ppDisp) PURE;
    STDMETHOD(get_TopLevelContainer)(VARIANT_BOOL* pBool) PURE;
    STDMETHOD(get_Type)(BSTR* Type) PURE;
    STDMETHOD(get_Left)(LONG* pl) PURE;
    STDMETHOD(put_Left)(LONG Left) PURE;
    STDMETHOD(get_Top)(LONG* pl) PURE;
    STDMETHOD(put_Top)(LONG Top) PURE;
    STDMETHOD(get_Width)(LONG* pl) PURE;
    STDMETHOD(put_Width)(LONG Width) PURE;
    STDMETHOD(get_Height)(LONG* pl) PURE;
    STDMETHOD(put_Height)(LONG Height) PURE;
    STDMETHOD(get_LocationName)(BSTR* LocationName) PURE;
    STDMETHOD(get_LocationURL)(BSTR* LocationURL) PURE;
    STDMETHOD(get_Busy)(VARIANT_BOOL* pBool) PURE;

protected:
    ~IWebBrowser() = default;
};

QX_DECLARE_INTERFACE(IWebBrowserApp, "{0002DF05-0000-0000-C000-000000000046}");
struct IWebBrowserApp : IWebBrowser {
    STDMETHOD(Quit)() PURE;
    STDMETHOD(ClientToWindow)(int* pcx, int* pcy) PURE;
    STDMETHOD(PutProperty)(BSTR Property, VARIANT vtValue) PURE;
    STDMETHOD(GetProperty)(BSTR Property, VARIANT* pvtValue) PURE;
    STDMETHOD(get_Name)(BSTR* Name) PURE;
    STDMETHOD(get_HWND)(LONG_PTR* pHWND) PURE;
    STDMETHOD(get_FullName)(BSTR* FullName) PURE;
    STDMETHOD(get_Path)(BSTR* Path) PURE;
    STDMETHOD(get_Visible)(VARIANT_BOOL* pBool) PURE;
    STDMETHOD(put_Visible)(VARIANT_BOOL Value) PURE;
    STDMETHOD(get_StatusBar)(VARIANT_BOOL* pBool) PURE;
    STDMETHOD(put_StatusBar)(VARIANT_BOOL Value) PURE;
    STDMETHOD(get_StatusText)(BSTR* StatusText) PURE;
    STDMETHOD(put_StatusText)(BSTR StatusText) PURE;
    STDMETHOD(get_ToolBar)(int* Value) PURE;
    STDMETHOD(put_ToolBar)(int Value) PURE;
    STDMETHOD(get_MenuBar)(VARIANT_BOOL* Value) PURE;
    STDMETHOD(put_MenuBar)(VARIANT_BOOL Value) PURE;
    STDMETHOD(get_FullScreen)(VARIANT_BOOL* pbFullScreen) PURE;
    STDMETHOD(put_FullScreen)(VARIANT_BOOL bFullScreen) PURE;

protected:
    ~IWebBrowserApp() = default;
};

QX_DECLARE_INTERFACE(IWebBrowser2, "{D30C1661-CDAF-11D0-8A3E-00C04FC9E26E}");
struct IWebBrowser2 : IWebBrowserApp {
    STDMETHOD(Navigate2)
    (VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData, VARIANT* Headers) PURE;
    STDMETHOD(QueryStatusWB)(OLECMDID cmdID, OLECMDF* pcmdf) PURE;
    STDMETHOD(ExecWB)(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT* pvaIn, VARIANT* pvaOut) PURE;
    STDMETHOD(ShowBrowserBar)(VARIANT* pvaClsid, VARIANT* pvarShow, VARIANT* pvarSize) PURE;
    STDMETHOD(get_ReadyState)(READYSTATE* plReadyState) PURE;
    STDMETHOD(get_Offline)(VARIANT_BOOL* pbOffline) PURE;
    STDMETHOD(put_Offline)(VARIANT_BOOL bOffline) PURE;
    STDMETHOD(get_Silent)(VARIANT_BOOL* pbSilent) PURE;
    STDMETHOD(put_Silent)(VARIANT_BOOL bSilent) PURE;
    STDMETHOD(get_RegisterAsBrowser)(VARIANT_BOOL* pbRegister) PURE;
    STDMETHOD(put_RegisterAsBrowser)(VARIANT_BOOL bRegister) PURE;
    STDMETHOD(get_RegisterAsDropTarget)(VARIANT_BOOL* pbRegister) PURE;
    STDMETHOD(put_RegisterAsDropTarget)(VARIANT_BOOL bRegister) PURE;
    STDMETHOD(get_TheaterMode)(VARIANT_BOOL* pbRegister) PURE;
    STDMETHOD(put_TheaterMode)(VARIANT_BOOL bRegister) PURE;
    STDMETHOD(get_AddressBar)(VARIANT_BOOL* Value) PURE;
    STDMETHOD(put_AddressBar)(VARIANT_BOOL Value) PURE;
    STDMETHOD(get_Resizable)(VARIANT_BOOL* Value) PURE;
    STDMETHOD(put_Resizable)(VARIANT_BOOL Value) PURE;

protected:
    ~IWebBrowser2() = default;
};

// The service under which a page's container hands out its browser.
inline constexpr GUID SID_SInternetExplorer = IID_IWebBrowserApp;
inline constexpr GUID SID_SWebBrowserApp = IID_IWebBrowserApp;
