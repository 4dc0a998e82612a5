// In-place activation of a control inside its site, its sites and its extent.
#include "qx/com/control/control_base.h"

#include "advise_enumerator.h"

#include <oleauto.h>
#include <winuser_input.h>
#include <winuser_paint.h>
#include <winuser_position.h>
#include <winuser_window.h>

namespace qx::com::control {

LONG PixelsToHimetric(LONG pixels) {
    const long long scaled = static_cast<long long>(pixels) * 2540;
    return static_cast<LONG>(scaled >= 0 ? (scaled + 48) / 96 : (scaled - 48) / 96);
}

LONG HimetricToPixels(LONG himetric) {
    const long long scaled = static_cast<long long>(himetric) * 96;
    return static_cast<LONG>(scaled >= 0 ? (scaled + 1270) / 2540 : (scaled - 1270) / 2540);
}

ControlBase::ControlBase() {
    // The old controls' default: 1 by 1 inch until the container says otherwise.
    extent_ = {2540, 2540};
}

ControlBase::~ControlBase() {
    // A control released while still active drops its window without calling back into sites
    // that may be gone.
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

HRESULT ControlBase::SetSite(IOleClientSite* site) {
    if (!site) {
        // Leaving the container: nothing of it may be kept.
        if (inPlaceActive_)
            InPlaceDeactivate();
        ReleaseSites();
        clientSite_ = nullptr;
        return S_OK;
    }
    clientSite_ = site;
    return S_OK;
}

void ControlBase::ReleaseSites() {
    frame_ = nullptr;
    document_ = nullptr;
    inPlaceSite_ = nullptr;
    siteIsEx_ = false;
}

HRESULT ControlBase::DoVerb(LONG verb, IOleClientSite* activeSite, HWND, LPCRECT position) {
    if (activeSite && !clientSite_)
        clientSite_ = activeSite;
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE: {
        const HRESULT hr = InPlaceActivate(verb, position);
        if (SUCCEEDED(hr) && verb == OLEIVERB_SHOW && clientSite_)
            clientSite_->ShowObject();
        return hr;
    }
    case OLEIVERB_HIDE:
        if (uiActive_)
            UIDeactivate();
        if (window_)
            ShowWindow(window_, SW_HIDE);
        return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE:
        return S_OK;
    case OLEIVERB_OPEN:
    case OLEIVERB_PROPERTIES:
        return E_NOTIMPL;
    default:
        if (verb > 0) {
            // An unknown verb of the object's own acts as the primary one.
            const HRESULT hr = InPlaceActivate(OLEIVERB_PRIMARY, position);
            return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
        }
        return E_NOTIMPL;
    }
}

HRESULT ControlBase::InPlaceActivate(LONG verb, LPCRECT position) {
    if (!clientSite_)
        return E_UNEXPECTED;
    if (!inPlaceActive_) {
        ComPtr<IOleInPlaceSiteEx> siteEx;
        ComPtr<IOleInPlaceSite> site;
        if (SUCCEEDED(
                clientSite_->QueryInterface(IID_IOleInPlaceSiteEx, reinterpret_cast<void**>(&siteEx))) &&
            siteEx) {
            site = static_cast<IOleInPlaceSite*>(siteEx.Get());
            siteIsEx_ = true;
        } else if (FAILED(
                       clientSite_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site))) ||
                   !site) {
            return E_NOINTERFACE;
        }
        if (site->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        inPlaceSite_ = site;
        HRESULT hr = S_OK;
        if (siteIsEx_) {
            BOOL noRedraw = FALSE;
            hr = siteEx->OnInPlaceActivateEx(&noRedraw, 0);
        } else {
            hr = site->OnInPlaceActivate();
        }
        if (FAILED(hr)) {
            ReleaseSites();
            return hr;
        }
        inPlaceActive_ = true;

        RECT pos{}, clip{};
        OLEINPLACEFRAMEINFO frameInfo{};
        frameInfo.cb = sizeof frameInfo;
        frame_ = nullptr;
        document_ = nullptr;
        hr = site->GetWindowContext(&frame_, &document_, &pos, &clip, &frameInfo);
        if (FAILED(hr)) {
            InPlaceDeactivate();
            return hr;
        }
        if (position)
            pos = *position;
        position_ = pos;
        HWND parent = nullptr;
        if (FAILED(site->GetWindow(&parent)) || !parent) {
            InPlaceDeactivate();
            return E_FAIL;
        }
        if (WindowOnly()) {
            if (!window_) {
                hr = CreateControlWindow(parent, pos);
                if (FAILED(hr)) {
                    InPlaceDeactivate();
                    return hr;
                }
            } else {
                SetObjectRects(&pos, &clip);
            }
        }
    } else if (position) {
        SetObjectRects(position, position);
    }
    if (window_)
        ShowWindow(window_, SW_SHOW);
    if ((verb == OLEIVERB_PRIMARY || verb == OLEIVERB_UIACTIVATE) && !uiActive_)
        return UIActivate();
    return S_OK;
}

HRESULT ControlBase::UIActivate() {
    if (!inPlaceSite_)
        return E_UNEXPECTED;
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    if (window_ && GetFocus() != window_)
        SetFocus(window_);
    ComPtr<IOleInPlaceActiveObject> active;
    ControlIdentity()->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active));
    if (frame_)
        frame_->SetActiveObject(active.Get(), nullptr);
    if (document_)
        document_->SetActiveObject(active.Get(), nullptr);
    return S_OK;
}

HRESULT ControlBase::UIDeactivate() {
    if (!uiActive_)
        return S_OK;
    uiActive_ = false;
    if (frame_)
        frame_->SetActiveObject(nullptr, nullptr);
    if (document_)
        document_->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite_)
        inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT ControlBase::InPlaceDeactivate() {
    if (!inPlaceActive_)
        return S_OK;
    UIDeactivate();
    inPlaceActive_ = false;
    if (window_) {
        // WM_NCDESTROY forgets the window. Inside the destruction of a parent, the window goes only
        // after the parent's WM_DESTROY: it stays known so that a release before then cuts it loose.
        HWND window = window_;
        DestroyWindow(window);
        if (!IsWindow(window))
            window_ = nullptr;
    }
    // The site may release the control from its notification: keep both alive for the call.
    ComPtr<IUnknown> self(ControlIdentity());
    ComPtr<IOleInPlaceSite> site = inPlaceSite_;
    ReleaseSites();
    if (site) {
        if (ComPtr<IOleInPlaceSiteEx> siteEx = ComPtr<IOleInPlaceSiteEx>::QueryFrom(site.Get()))
            siteEx->OnInPlaceDeactivateEx(TRUE);
        else
            site->OnInPlaceDeactivate();
    }
    return S_OK;
}

HRESULT ControlBase::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position)
        return E_POINTER;
    if (position->right < position->left || position->bottom < position->top)
        return E_INVALIDARG;
    const LONG width = position->right - position->left, height = position->bottom - position->top;
    const bool resized =
        width != position_.right - position_.left || height != position_.bottom - position_.top;
    position_ = *position;
    if (resized)
        extent_ = {PixelsToHimetric(width), PixelsToHimetric(height)};
    if (window_)
        MoveWindow(window_, position->left, position->top, width, height, TRUE);
    return S_OK;
}

HRESULT ControlBase::SetExtent(const SIZEL& extent) {
    if (extent.cx < 0 || extent.cy < 0)
        return E_INVALIDARG;
    if (extent.cx == extent_.cx && extent.cy == extent_.cy)
        return S_OK;
    extent_ = extent;
    dirty_ = true;
    if (inPlaceActive_ && inPlaceSite_) {
        // The container hears of the new size and places the control again.
        RECT pos = position_;
        pos.right = pos.left + HimetricToPixels(extent.cx);
        pos.bottom = pos.top + HimetricToPixels(extent.cy);
        inPlaceSite_->OnPosRectChange(&pos);
    }
    FireViewChange();
    return S_OK;
}

HRESULT ControlBase::Close(DWORD saveOption) {
    ComPtr<IUnknown> self(ControlIdentity());
    if (inPlaceActive_)
        InPlaceDeactivate();
    if ((saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE) && dirty_ && clientSite_) {
        clientSite_->SaveObject();
        for (const AdviseEntry& entry : std::vector<AdviseEntry>(adviseSinks_))
            entry.sink->OnSave();
    }
    // Every sink hears of the close, then none is kept.
    const std::vector<AdviseEntry> sinks = std::move(adviseSinks_);
    adviseSinks_.clear();
    for (const AdviseEntry& entry : sinks)
        entry.sink->OnClose();
    dataSinks_.clear();
    viewSink_ = nullptr;
    viewAspects_ = viewFlags_ = 0;
    ReleaseSites();
    return S_OK;
}

HRESULT ControlBase::GetAmbientProperty(DISPID dispid, VARIANT* value) const {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    if (!clientSite_)
        return E_UNEXPECTED;
    ComPtr<IDispatch> ambient = ComPtr<IDispatch>::QueryFrom(clientSite_.Get());
    if (!ambient)
        return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return ambient->Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr);
}

bool ControlBase::AmbientUserMode() const {
    VARIANT value;
    if (FAILED(GetAmbientProperty(DISPID_AMBIENT_USERMODE, &value)))
        return true;
    VARIANT asBool;
    VariantInit(&asBool);
    const bool user =
        SUCCEEDED(VariantChangeType(&asBool, &value, 0, VT_BOOL)) ? asBool.boolVal != VARIANT_FALSE : true;
    VariantClear(&value);
    return user;
}

void ControlBase::FireViewChange() {
    if (window_)
        InvalidateRect(window_, nullptr, TRUE);
    ComPtr<IAdviseSink> sink = viewSink_;
    if (sink && (viewAspects_ & DVASPECT_CONTENT)) {
        if (viewFlags_ & ADVF_ONLYONCE) {
            viewSink_ = nullptr;
            viewAspects_ = viewFlags_ = 0;
        }
        sink->OnViewChange(DVASPECT_CONTENT, -1);
    }
}

void ControlBase::FireOnChanged(DISPID dispid) {
    ComPtr<IConnectionPointContainer> container =
        ComPtr<IConnectionPointContainer>::QueryFrom(ControlIdentity());
    ComPtr<IConnectionPoint> point;
    if (!container || FAILED(container->FindConnectionPoint(IID_IPropertyNotifySink, &point)) || !point)
        return;
    ComPtr<IEnumConnections> connections;
    if (FAILED(point->EnumConnections(&connections)) || !connections)
        return;
    CONNECTDATA data{};
    while (connections->Next(1, &data, nullptr) == S_OK) {
        if (ComPtr<IPropertyNotifySink> sink = ComPtr<IPropertyNotifySink>::QueryFrom(data.pUnk))
            sink->OnChanged(dispid);
        data.pUnk->Release();
    }
}

HRESULT ControlBase::AddAdviseSink(IAdviseSink* sink, DWORD* cookie) {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_INVALIDARG;
    *cookie = nextCookie_++;
    adviseSinks_.push_back({ComPtr<IAdviseSink>(sink), *cookie, {}, 0});
    return S_OK;
}

HRESULT ControlBase::RemoveAdviseSink(DWORD cookie) {
    return std::erase_if(adviseSinks_, [cookie](const AdviseEntry& e) { return e.cookie == cookie; })
               ? S_OK
               : OLE_E_NOCONNECTION;
}

HRESULT ControlBase::EnumAdviseSinks(IEnumSTATDATA** enumerator) const {
    std::vector<STATDATA> items;
    for (const AdviseEntry& e : adviseSinks_)
        items.push_back({e.format, e.flags, e.sink.Get(), e.cookie});
    return CreateStatDataEnumerator(items, enumerator);
}

HRESULT ControlBase::SetViewAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewSink_ = sink;
    viewAspects_ = sink ? aspects : 0;
    viewFlags_ = sink ? flags : 0;
    if (sink && (flags & ADVF_PRIMEFIRST))
        FireViewChange();
    return S_OK;
}

HRESULT ControlBase::GetViewAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) const {
    if (aspects)
        *aspects = viewAspects_;
    if (flags)
        *flags = viewFlags_;
    if (sink) {
        *sink = viewSink_.Get();
        if (*sink)
            (*sink)->AddRef();
    }
    return S_OK;
}

HRESULT ControlBase::AddDataAdviseSink(const FORMATETC& format, DWORD flags, IAdviseSink* sink,
                                       DWORD* cookie) {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_INVALIDARG;
    *cookie = nextCookie_++;
    FORMATETC kept = format;
    kept.ptd = nullptr; // a target device is not kept past the call
    dataSinks_.push_back({ComPtr<IAdviseSink>(sink), *cookie, kept, flags});
    return S_OK;
}

HRESULT ControlBase::RemoveDataAdviseSink(DWORD cookie) {
    return std::erase_if(dataSinks_, [cookie](const AdviseEntry& e) { return e.cookie == cookie; })
               ? S_OK
               : OLE_E_NOCONNECTION;
}

HRESULT ControlBase::EnumDataAdviseSinks(IEnumSTATDATA** enumerator) const {
    std::vector<STATDATA> items;
    for (const AdviseEntry& e : dataSinks_)
        items.push_back({e.format, e.flags, e.sink.Get(), e.cookie});
    return CreateStatDataEnumerator(items, enumerator);
}

void ControlBase::Freeze(bool freeze) {
    if (freeze)
        ++freezeCount_;
    else if (freezeCount_ > 0)
        --freezeCount_;
}

} // namespace qx::com::control
