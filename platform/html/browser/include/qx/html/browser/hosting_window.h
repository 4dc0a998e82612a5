// The control-hosting window: attaches to any window and hosts one control in it, made from a
// ProgID, a CLSID ("{...}") or an address (anything else: "Shell.Explorer" navigated there). The
// host is the control's client site, in-place site and frame; it sizes the control to the
// window's client area, hands browsers its external dispatch (every page they show gets it as
// window.external) and answers QueryService for the browser. The window holds the host; the
// host closes the control and lets it go when the window is destroyed.
#pragma once

#include "oaidl.h"
#include "objidl.h"
#include "wintypes.h"

// The host of a window, as AtlAxGetHost gives it.
QX_DECLARE_INTERFACE(IAxWinHostWindow, "{B6EA2050-048A-11D1-82B9-00C04FB9942E}");
struct IAxWinHostWindow : IUnknown {
    // Replaces the hosted control with a new one made from `lpTricsData` inside hWnd (the
    // host's own window); a stream, when given, loads it (IPersistStreamInit).
    STDMETHOD(CreateControl)(LPCOLESTR lpTricsData, HWND hWnd, IStream* pStream) = 0;
    // The same, giving the control and advising `punkAdvise` on its connection point riidAdvise.
    STDMETHOD(CreateControlEx)
    (LPCOLESTR lpTricsData, HWND hWnd, IStream* pStream, IUnknown** ppUnk, REFIID riidAdvise,
     IUnknown* punkAdvise) = 0;
    // Hosts a control made elsewhere.
    STDMETHOD(AttachControl)(IUnknown* pUnkControl, HWND hWnd) = 0;
    // The hosted control; E_NOINTERFACE without one.
    STDMETHOD(QueryControl)(REFIID riid, void** ppvObject) = 0;
    // What the pages of a hosted browser get as window.external (null: nothing).
    STDMETHOD(SetExternalDispatch)(IDispatch* pDisp) = 0;

protected:
    ~IAxWinHostWindow() = default;
};

// Registers the window class "AtlAxWin" (a window of it hosts the control its title names) and
// makes "Shell.Explorer" creatable; the calling thread must be in an apartment.
BOOL AtlAxWinInit();
// Attaches a host to hWnd (which it subclasses) and makes the control there. The host comes back
// in *ppUnkContainer when asked for.
HRESULT AtlAxCreateControl(LPCOLESTR lpszName, HWND hWnd, IStream* pStream, IUnknown** ppUnkContainer);
HRESULT AtlAxCreateControlEx(LPCOLESTR lpszName, HWND hWnd, IStream* pStream, IUnknown** ppUnkContainer,
                             IUnknown** ppUnkControl, REFIID iidSink, IUnknown* punkSink);
// Attaches a host to hWnd hosting a control made elsewhere.
HRESULT AtlAxAttachControl(IUnknown* pControl, HWND hWnd, IUnknown** ppUnkContainer);
// The host of a window, and the control it hosts; E_FAIL for a window without a host.
HRESULT AtlAxGetHost(HWND h, IUnknown** pp);
HRESULT AtlAxGetControl(HWND h, IUnknown** pp);
