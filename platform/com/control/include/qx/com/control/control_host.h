// The container side: a site for one control inside a window (IOleClientSite, IOleInPlaceSiteEx,
// IOleInPlaceFrame, IOleControlSite and the ambient properties on its IDispatch), a property bag
// over PARAM pairs, and the control's events delivered to a callback. Pages host their OBJECT
// elements with it, and tests use it as their container.
#pragma once

#include "ocidl_control.h"
#include "oleidl.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qx::com::control {

// PARAM name and value pairs as a property bag: names match in any case; Read gives the text as
// VT_BSTR when the caller asks for VT_EMPTY or VT_BSTR, else the text changed to the type asked
// for; a missing name gives E_INVALIDARG. Write keeps the value as text.
HRESULT CreateParamPropertyBag(std::vector<std::pair<std::u16string, std::u16string>> params,
                               IPropertyBag** bag);

// Ambient properties a site answers unless told otherwise: user mode, not UI-dead, no hatching
// or grab handles, clipping by the container, the Korean locale and code page.
std::map<DISPID, Variant> DefaultAmbientProperties();

struct ControlHostOptions {
    HWND parent = nullptr;                                         // the window the control goes into
    RECT position{};                                               // in the parent's client coordinates
    std::vector<std::pair<std::u16string, std::u16string>> params; // loaded through IPersistPropertyBag
    std::map<DISPID, Variant> ambients = DefaultAmbientProperties();
    // What IOleClientSite::GetContainer gives (queried for IOleContainer); none: E_NOINTERFACE.
    ComPtr<IUnknown> container;
    // The control's events from its default source interface: the member's DISPID, its name in the
    // control's type information ("" when it has none) and the arguments, first first.
    std::function<void(DISPID, const std::u16string&, std::vector<Variant>&)> onEvent;
    bool activate = true; // DoVerb(OLEIVERB_INPLACEACTIVATE) after loading
};

class CControlSite;
class CControlEventSink;

class ControlHost {
public:
    // Creates the class through COM activation and hosts it.
    static HRESULT Create(REFCLSID clsid, ControlHostOptions options, std::unique_ptr<ControlHost>* host);
    // Hosts a control made elsewhere: site, PARAMs or InitNew, events, in-place activation.
    static HRESULT Host(IUnknown* control, ControlHostOptions options, std::unique_ptr<ControlHost>* host);
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    IUnknown* Control() const { return control_.Get(); }
    IDispatch* Dispatch() const { return dispatch_.Get(); }
    // The control's window while it is in-place active (null for a windowless one).
    HWND ControlWindow() const;
    // The active object the control named when it UI-activated (for keystrokes), or null.
    IOleInPlaceActiveObject* ActiveObject() const;
    bool InPlaceActive() const { return inPlaceActive_; }
    bool UiActive() const { return uiActive_; }
    const RECT& Position() const { return options_.position; }
    const std::u16string& EventInterfaceName() const { return eventInterface_; }
    // Places the control again (its window follows).
    HRESULT Move(const RECT& position);
    HRESULT DoVerb(LONG verb);
    // Ends the hosting: events unadvised, the control deactivated and closed, its site taken back
    // and cleared, so that a control still held elsewhere reaches nothing of this host.
    void Close();
    // What the site heard, for tests and the page: "OnInPlaceActivate", "OnUIActivate", ...
    const std::vector<std::string>& SiteLog() const { return log_; }

private:
    friend class CControlSite;
    friend class CControlEventSink;
    explicit ControlHost(ControlHostOptions options);
    HRESULT Start(IUnknown* control);
    HRESULT AdviseEvents();

    ControlHostOptions options_;
    ComPtr<IUnknown> control_;
    ComPtr<IDispatch> dispatch_;
    ComPtr<IOleObject> oleObject_;
    ComPtr<IOleInPlaceActiveObject> activeObject_;
    CControlSite* site_ = nullptr; // one reference held
    ComPtr<IConnectionPoint> eventPoint_;
    DWORD eventCookie_ = 0;
    CControlEventSink* sink_ = nullptr; // one reference held
    std::u16string eventInterface_;
    bool inPlaceActive_ = false;
    bool uiActive_ = false;
    bool closed_ = false;
    std::vector<std::string> log_;
};

} // namespace qx::com::control
