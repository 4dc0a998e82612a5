#include "qx/html/browser/hosting_window.h"

#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/object.h"
#include "qx/html/browser/web_browser.h"

#include "objbase.h"
#include "objbase_activation.h"
#include "ocidl.h"
#include "ocidl_control.h"
#include "oleidl.h"
#include "servprov.h"
#include "winuser_message.h"
#include "winuser_position.h"
#include "winuser_window.h"

#include <string>

namespace qx::html::browser {
namespace {

constexpr char16_t kHostProperty[] = u"QxControlHost";
constexpr char16_t kHostClass[] = u"AtlAxWin";
constexpr HRESULT kNoToolSpace = static_cast<HRESULT>(0x800401A1); // INPLACE_E_NOTOOLSPACE

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The host of one window: client site, in-place site and frame of the control it holds.
class ControlHost : public com::ObjectRoot,
                    public IAxWinHostWindow,
                    public IOleClientSite,
                    public IOleInPlaceSite,
                    public IOleInPlaceFrame,
                    public IOleContainer,
                    public IServiceProvider {
public:
    QX_BEGIN_INTERFACES(ControlHost)
    QX_INTERFACE_ENTRY(IAxWinHostWindow)
    QX_INTERFACE_ENTRY(IOleClientSite)
    QX_INTERFACE_ENTRY(IOleInPlaceSite)
    QX_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceSite)
    QX_INTERFACE_ENTRY(IOleInPlaceFrame)
    QX_INTERFACE_ENTRY2(IOleInPlaceUIWindow, IOleInPlaceFrame)
    QX_INTERFACE_ENTRY(IOleContainer)
    QX_INTERFACE_ENTRY2(IParseDisplayName, IOleContainer)
    QX_INTERFACE_ENTRY(IServiceProvider)
    QX_END_INTERFACES()

    // Subclasses the window (whose procedure until now is `previous`) and is held by it.
    HRESULT Attach(HWND window) {
        if (!IsWindow(window) || GetPropW(window, kHostProperty))
            return E_INVALIDARG;
        window_ = window;
        previous_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
        if (previous_ == &HostWindowProc)
            previous_ = &DefWindowProcW; // a window of the host's own class
        SetPropW(window, kHostProperty, static_cast<IAxWinHostWindow*>(this));
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindowProc));
        static_cast<IAxWinHostWindow*>(this)->AddRef();
        return S_OK;
    }

    // The window is going: the control is closed and let go, the window's procedure restored.
    void Detach() {
        if (!window_)
            return;
        ReleaseControl();
        external_ = nullptr;
        HWND window = window_;
        window_ = nullptr;
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        RemovePropW(window, kHostProperty);
        static_cast<IAxWinHostWindow*>(this)->Release();
    }

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        com::ComPtr<IAxWinHostWindow> alive(this);
        const WNDPROC previous = previous_;
        if (message == WM_SIZE)
            PlaceControl();
        const LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
        if (message == WM_DESTROY && window_ == window)
            Detach();
        return result;
    }

    // IAxWinHostWindow
    STDMETHODIMP CreateControl(LPCOLESTR lpTricsData, HWND hWnd, IStream* pStream) override {
        com::ComPtr<IUnknown> control;
        return CreateControlEx(lpTricsData, hWnd, pStream, &control, IID_NULL, nullptr);
    }

    STDMETHODIMP CreateControlEx(LPCOLESTR lpTricsData, HWND hWnd, IStream* pStream, IUnknown** ppUnk,
                                 REFIID riidAdvise, IUnknown* punkAdvise) override {
        if (ppUnk)
            *ppUnk = nullptr;
        if (!lpTricsData || (hWnd && hWnd != window_))
            return E_INVALIDARG;
        const std::u16string name(lpTricsData);
        com::ComPtr<IUnknown> control;
        bool address = false;
        HRESULT hr = MakeControl(name, control, &address);
        if (FAILED(hr))
            return hr;
        hr = Host(control.Get(), address ? nullptr : pStream);
        if (FAILED(hr))
            return hr;
        if (punkAdvise && riidAdvise != IID_NULL) {
            com::ComPtr<IConnectionPointContainer> points =
                com::ComPtr<IConnectionPointContainer>::QueryFrom(control.Get());
            if (points && SUCCEEDED(points->FindConnectionPoint(riidAdvise, &sinkPoint_)) &&
                FAILED(sinkPoint_->Advise(punkAdvise, &sinkCookie_)))
                sinkPoint_ = nullptr;
        }
        if (address) {
            if (com::ComPtr<IWebBrowser2> browser = com::ComPtr<IWebBrowser2>::QueryFrom(control.Get()))
                browser->Navigate(com::Bstr(name).Get(), nullptr, nullptr, nullptr, nullptr);
        }
        if (ppUnk)
            *ppUnk = control.Detach();
        return S_OK;
    }

    STDMETHODIMP AttachControl(IUnknown* pUnkControl, HWND hWnd) override {
        if (!pUnkControl || (hWnd && hWnd != window_))
            return E_INVALIDARG;
        return Host(pUnkControl, nullptr);
    }

    STDMETHODIMP QueryControl(REFIID riid, void** ppvObject) override {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        return control_ ? control_->QueryInterface(riid, ppvObject) : E_NOINTERFACE;
    }

    STDMETHODIMP SetExternalDispatch(IDispatch* pDisp) override {
        external_ = pDisp;
        if (com::ComPtr<IWebBrowserPlatform> browser =
                com::ComPtr<IWebBrowserPlatform>::QueryFrom(control_.Get()))
            browser->SetExternal(pDisp);
        return S_OK;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override {
        if (ppmk)
            *ppmk = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override {
        if (!ppContainer)
            return E_POINTER;
        *ppContainer = this;
        static_cast<IOleContainer*>(this)->AddRef();
        return S_OK;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* phwnd) override {
        if (!phwnd)
            return E_POINTER;
        *phwnd = window_;
        return window_ ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return window_ ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                  LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override {
        if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect)
            return E_POINTER;
        *ppFrame = this;
        static_cast<IOleInPlaceFrame*>(this)->AddRef();
        *ppDoc = nullptr;
        GetClientRect(window_, lprcPosRect);
        *lprcClipRect = *lprcPosRect;
        if (lpFrameInfo) {
            lpFrameInfo->fMDIApp = FALSE;
            lpFrameInfo->hwndFrame = window_;
            lpFrameInfo->haccel = nullptr;
            lpFrameInfo->cAccelEntries = 0;
        }
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return S_FALSE; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) override {
        if (!lprcPosRect)
            return E_POINTER;
        if (com::ComPtr<IOleInPlaceObject> inPlace =
                com::ComPtr<IOleInPlaceObject>::QueryFrom(control_.Get()))
            inPlace->SetObjectRects(lprcPosRect, lprcPosRect);
        return S_OK;
    }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: the host has no borders, menus or status bar of
    // its own to share.
    STDMETHODIMP GetBorder(LPRECT) override { return kNoToolSpace; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return kNoToolSpace; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) override {
        active_ = pActiveObject;
        return S_OK;
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS lpMenuWidths) override {
        if (lpMenuWidths)
            *lpMenuWidths = {};
        return S_OK;
    }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IOleContainer
    STDMETHODIMP ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker** ppmkOut) override {
        if (ppmkOut)
            *ppmkOut = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP EnumObjects(DWORD, IEnumUnknown** ppenum) override {
        if (ppenum)
            *ppenum = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP LockContainer(BOOL) override { return S_OK; }

    // IServiceProvider: the browser service is the hosted browser.
    STDMETHODIMP QueryService(REFGUID guidService, REFIID riid, void** ppvObject) override {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        if (guidService != SID_SInternetExplorer && guidService != IID_IWebBrowser2)
            return E_NOINTERFACE;
        com::ComPtr<IWebBrowser2> browser = com::ComPtr<IWebBrowser2>::QueryFrom(control_.Get());
        return browser ? browser->QueryInterface(riid, ppvObject) : E_NOINTERFACE;
    }

    void FinalRelease() { ReleaseControl(); }

private:
    // From a CLSID, a ProgID, or else an address for a browser.
    static HRESULT MakeControl(const std::u16string& name, com::ComPtr<IUnknown>& control, bool* address) {
        CLSID clsid{};
        const bool named =
            (!name.empty() && name.front() == u'{' && SUCCEEDED(CLSIDFromString(name.c_str(), &clsid))) ||
            SUCCEEDED(CLSIDFromProgID(name.c_str(), &clsid));
        *address = !named;
        if (!named || clsid == CLSID_WebBrowser)
            return CreateWebBrowser(nullptr, IID_IUnknown,
                                    reinterpret_cast<void**>(control.ReleaseAndGetAddressOf()));
        return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(control.ReleaseAndGetAddressOf()));
    }

    // Sites the control (before loading it when it asks for that), loads it, gives a browser the
    // external dispatch and activates it in place over the window's client area.
    HRESULT Host(IUnknown* control, IStream* stream) {
        if (!window_)
            return E_UNEXPECTED;
        ReleaseControl();
        com::ComPtr<IOleObject> object = com::ComPtr<IOleObject>::QueryFrom(control);
        DWORD misc = 0;
        if (object)
            object->GetMiscStatus(DVASPECT_CONTENT, &misc);
        if (object && (misc & OLEMISC_SETCLIENTSITEFIRST))
            object->SetClientSite(this);
        if (com::ComPtr<IPersistStreamInit> persist = com::ComPtr<IPersistStreamInit>::QueryFrom(control)) {
            const HRESULT loaded = stream ? persist->Load(stream) : persist->InitNew();
            if (FAILED(loaded)) {
                if (object)
                    object->SetClientSite(nullptr);
                return loaded;
            }
        }
        if (object && !(misc & OLEMISC_SETCLIENTSITEFIRST))
            object->SetClientSite(this);
        control_ = control;
        if (com::ComPtr<IWebBrowserPlatform> browser = com::ComPtr<IWebBrowserPlatform>::QueryFrom(control))
            browser->SetExternal(external_.Get());
        if (object) {
            RECT area{};
            GetClientRect(window_, &area);
            object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, window_, &area);
        }
        return S_OK;
    }

    void PlaceControl() {
        RECT area{};
        GetClientRect(window_, &area);
        if (com::ComPtr<IOleInPlaceObject> inPlace =
                com::ComPtr<IOleInPlaceObject>::QueryFrom(control_.Get()))
            inPlace->SetObjectRects(&area, &area);
    }

    // Nothing of the control is kept: its sink is unadvised, it is closed and leaves its site.
    void ReleaseControl() {
        com::ComPtr<IUnknown> control = std::move(control_);
        if (sinkPoint_) {
            sinkPoint_->Unadvise(sinkCookie_);
            sinkPoint_ = nullptr;
            sinkCookie_ = 0;
        }
        active_ = nullptr;
        if (com::ComPtr<IOleObject> object = com::ComPtr<IOleObject>::QueryFrom(control.Get())) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
    }

    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
    com::ComPtr<IUnknown> control_;
    com::ComPtr<IDispatch> external_;
    com::ComPtr<IOleInPlaceActiveObject> active_;
    com::ComPtr<IConnectionPoint> sinkPoint_;
    DWORD sinkCookie_ = 0;
};

ControlHost* HostOf(HWND window) {
    return static_cast<ControlHost*>(static_cast<IAxWinHostWindow*>(GetPropW(window, kHostProperty)));
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ControlHost* host = HostOf(window))
        return host->Handle(window, message, wParam, lParam);
    if (message == WM_CREATE) {
        // A window of the host class hosts the control its title names.
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        const std::u16string name = create && create->lpszName ? create->lpszName : u"";
        com::ComPtr<IUnknown> container;
        if (FAILED(AtlAxCreateControl(name.empty() ? u"about:blank" : name.c_str(), window, nullptr,
                                      &container)))
            return -1;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HRESULT MakeHost(HWND window, com::ObjectPtr<ControlHost>& host) {
    HRESULT hr = com::CreateObject<ControlHost>(host);
    if (SUCCEEDED(hr))
        hr = host->Attach(window);
    return hr;
}

HRESULT GiveHost(ControlHost* host, IUnknown** ppUnkContainer) {
    if (ppUnkContainer) {
        *ppUnkContainer = static_cast<IAxWinHostWindow*>(host);
        (*ppUnkContainer)->AddRef();
    }
    return S_OK;
}

} // namespace
} // namespace qx::html::browser

using qx::html::browser::ControlHost;

BOOL AtlAxWinInit() {
    qx::html::browser::RegisterWebBrowserClass();
    static const bool registered = [] {
        WNDCLASSEXW klass{};
        klass.cbSize = sizeof klass;
        klass.lpfnWndProc = &qx::html::browser::HostWindowProc;
        klass.lpszClassName = qx::html::browser::kHostClass;
        return RegisterClassExW(&klass) != 0;
    }();
    return registered ? TRUE : FALSE;
}

HRESULT AtlAxCreateControlEx(LPCOLESTR lpszName, HWND hWnd, IStream* pStream, IUnknown** ppUnkContainer,
                             IUnknown** ppUnkControl, REFIID iidSink, IUnknown* punkSink) {
    if (ppUnkContainer)
        *ppUnkContainer = nullptr;
    if (ppUnkControl)
        *ppUnkControl = nullptr;
    if (!lpszName)
        return E_INVALIDARG;
    qx::com::ObjectPtr<ControlHost> host;
    HRESULT hr = qx::html::browser::MakeHost(hWnd, host);
    if (FAILED(hr))
        return hr;
    qx::com::ComPtr<IUnknown> control;
    hr = host->CreateControlEx(lpszName, hWnd, pStream, &control, iidSink, punkSink);
    if (FAILED(hr)) {
        host->Detach();
        return hr;
    }
    if (ppUnkControl)
        *ppUnkControl = control.Detach();
    return qx::html::browser::GiveHost(host.Get(), ppUnkContainer);
}

HRESULT AtlAxCreateControl(LPCOLESTR lpszName, HWND hWnd, IStream* pStream, IUnknown** ppUnkContainer) {
    return AtlAxCreateControlEx(lpszName, hWnd, pStream, ppUnkContainer, nullptr, IID_NULL, nullptr);
}

HRESULT AtlAxAttachControl(IUnknown* pControl, HWND hWnd, IUnknown** ppUnkContainer) {
    if (ppUnkContainer)
        *ppUnkContainer = nullptr;
    if (!pControl)
        return E_INVALIDARG;
    qx::com::ObjectPtr<ControlHost> host;
    HRESULT hr = qx::html::browser::MakeHost(hWnd, host);
    if (SUCCEEDED(hr))
        hr = host->AttachControl(pControl, hWnd);
    if (FAILED(hr)) {
        if (host)
            host->Detach();
        return hr;
    }
    return qx::html::browser::GiveHost(host.Get(), ppUnkContainer);
}

HRESULT AtlAxGetHost(HWND h, IUnknown** pp) {
    if (!pp)
        return E_POINTER;
    *pp = nullptr;
    ControlHost* host = qx::html::browser::HostOf(h);
    return host ? qx::html::browser::GiveHost(host, pp) : E_FAIL;
}

HRESULT AtlAxGetControl(HWND h, IUnknown** pp) {
    if (!pp)
        return E_POINTER;
    *pp = nullptr;
    ControlHost* host = qx::html::browser::HostOf(h);
    return host ? host->QueryControl(IID_IUnknown, reinterpret_cast<void**>(pp)) : E_FAIL;
}
