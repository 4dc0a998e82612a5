// What every mixin of the control framework shares: the control's client site, in-place site,
// extent, position, window, advise sinks and property map, and the in-place activation that
// IOleObject::DoVerb, IOleInPlaceObject and IQuickActivate drive.
//
// A control class derives from ControlImpl<Self> and the mixins of the interfaces it answers:
//
//     class CThing : public qx::com::ObjectRoot, public qx::com::control::ControlImpl<CThing>,
//                    public qx::com::control::OleObjectImpl<CThing>, ... {
//     public:
//         static constexpr bool kWindowOnly = true;          // a window on in-place activation
//         const CLSID& ClassId() const override { return CLSID_Thing; }
//         BOOL ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override;  // optional
//         HRESULT OnDraw(HDC hdc, const RECT& bounds) override;                        // optional
//     };
#pragma once

#include "ocidl_control.h"
#include "oleidl.h"
#include "qx/com/comptr.h"
#include "qx/com/object.h"

#include <span>
#include <string>
#include <vector>

namespace qx::com::control {

// One entry of a property map: a property of the control's own IDispatch, persisted by name
// (property bags) or in map order (streams). The extent entries "_cx"/"_cy" have DISPID 0 and
// read and write the extent instead.
struct PropertyEntry {
    const char16_t* name;
    DISPID dispid;
    VARTYPE vt;
};

inline constexpr PropertyEntry kExtentProperties[] = {{u"_cx", 0, VT_UI4}, {u"_cy", 0, VT_UI4}};

// HIMETRIC (0.01 mm) and pixels at 96 pixels to the inch, rounded to the nearest.
LONG PixelsToHimetric(LONG pixels);
LONG HimetricToPixels(LONG himetric);

class ControlBase {
public:
    ControlBase();
    virtual ~ControlBase();
    ControlBase(const ControlBase&) = delete;
    ControlBase& operator=(const ControlBase&) = delete;

    // ---- what a control class gives ----
    virtual const CLSID& ClassId() const = 0;
    // The object's identity (its controlling unknown), to hand its own interfaces to a site.
    virtual IUnknown* ControlIdentity() = 0;
    // The control's message map, asked before the standard handling; TRUE when handled.
    virtual BOOL ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return FALSE; }
    // Draws the control's content into bounds (its window's client area when painting).
    virtual HRESULT OnDraw(HDC, const RECT&) { return S_OK; }
    // The property map; the extent entries alone by default.
    virtual std::span<const PropertyEntry> PropertyMap() const { return kExtentProperties; }
    // Whether the control always creates a window when in-place activated.
    virtual bool WindowOnly() const { return true; }
    virtual DWORD ViewStatus() const { return VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND; }
    // The keystroke hook of IOleInPlaceActiveObject; S_FALSE: not translated.
    virtual HRESULT OnTranslateAccelerator(MSG*) { return S_FALSE; }
    virtual void OnAmbientPropertyChange(DISPID) {}
    virtual std::span<const CLSID> PropertyPages() const { return {}; }

    // ---- state ----
    IOleClientSite* ClientSite() const { return clientSite_.Get(); }
    IOleInPlaceSite* InPlaceSite() const { return inPlaceSite_.Get(); }
    HWND Window() const { return window_; }
    const RECT& Position() const { return position_; }
    const SIZEL& Extent() const { return extent_; }
    bool InPlaceActive() const { return inPlaceActive_; }
    bool UiActive() const { return uiActive_; }
    bool Dirty() const { return dirty_; }
    void SetDirty(bool dirty) { dirty_ = dirty; }
    bool EventsFrozen() const { return freezeCount_ > 0; }

    // ---- the shared work of the mixins ----
    HRESULT SetSite(IOleClientSite* site);
    HRESULT DoVerb(LONG verb, IOleClientSite* activeSite, HWND parent, LPCRECT position);
    HRESULT InPlaceActivate(LONG verb, LPCRECT position);
    HRESULT InPlaceDeactivate();
    HRESULT UIDeactivate();
    HRESULT SetObjectRects(LPCRECT position, LPCRECT clip);
    HRESULT SetExtent(const SIZEL& extent);
    HRESULT Close(DWORD saveOption);
    // An ambient property read through the client site's IDispatch.
    HRESULT GetAmbientProperty(DISPID dispid, VARIANT* value) const;
    // Whether the container is in user mode (run mode); true when the site does not say.
    bool AmbientUserMode() const;
    // Tells the view and OLE advise sinks that the picture changed, and repaints the window.
    void FireViewChange();
    // Asks the site to let a property change (IPropertyNotifySink through the connection point
    // of the control, when it has one) and tells it one changed.
    void FireOnChanged(DISPID dispid);

    // OLE advise sinks (IOleObject::Advise) and the view advise sink (IViewObject::SetAdvise).
    HRESULT AddAdviseSink(IAdviseSink* sink, DWORD* cookie);
    HRESULT RemoveAdviseSink(DWORD cookie);
    HRESULT EnumAdviseSinks(IEnumSTATDATA** enumerator) const;
    HRESULT SetViewAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink);
    HRESULT GetViewAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) const;
    // Data advise sinks (IDataObject::DAdvise).
    HRESULT AddDataAdviseSink(const FORMATETC& format, DWORD flags, IAdviseSink* sink, DWORD* cookie);
    HRESULT RemoveDataAdviseSink(DWORD cookie);
    HRESULT EnumDataAdviseSinks(IEnumSTATDATA** enumerator) const;

    // MiscStatus of the class from the registry (subkey of the aspect, else the value itself).
    HRESULT MiscStatus(DWORD aspect, DWORD* status) const;

    // IOleControl::FreezeEvents.
    void Freeze(bool freeze);

    // The window procedure's standard handling (painting, focus, mouse activation).
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    HRESULT CreateControlWindow(HWND parent, const RECT& position);
    HRESULT UIActivate();
    void ReleaseSites();
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    struct AdviseEntry {
        ComPtr<IAdviseSink> sink;
        DWORD cookie;
        FORMATETC format;
        DWORD flags;
    };

    ComPtr<IOleClientSite> clientSite_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    ComPtr<IOleInPlaceFrame> frame_;
    ComPtr<IOleInPlaceUIWindow> document_;
    bool siteIsEx_ = false;
    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    RECT position_{};
    SIZEL extent_{};
    bool inPlaceActive_ = false;
    bool uiActive_ = false;
    bool dirty_ = false;
    int freezeCount_ = 0;
    std::vector<AdviseEntry> adviseSinks_;
    std::vector<AdviseEntry> dataSinks_;
    DWORD nextCookie_ = 1;
    ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0;
    DWORD viewFlags_ = 0;
};

// The base a control class derives from: ties the shared state to the class's identity.
template <typename T>
class ControlImpl : public ControlBase {
public:
    IUnknown* ControlIdentity() override { return static_cast<T*>(this)->ControllingUnknown(); }
};

} // namespace qx::com::control
