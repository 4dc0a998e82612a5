// Hosting one control: creation, site, PARAMs, events, in-place activation and the close that
// leaves the control nothing of the host.
#include "qx/com/control/control_host.h"

#include "control_site.h"

#include <objbase.h>
#include <objbase_activation.h>
#include <oleauto.h>

namespace qx::com::control {
namespace {

// The type information of the coclass's interface iid (for event names), or null.
ComPtr<ITypeInfo> SourceTypeInfo(IProvideClassInfo2* info, REFIID iid) {
    ComPtr<ITypeInfo> coclass;
    if (FAILED(info->GetClassInfo(&coclass)) || !coclass)
        return nullptr;
    TYPEATTR* attr = nullptr;
    if (FAILED(coclass->GetTypeAttr(&attr)) || !attr)
        return nullptr;
    const UINT count = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> type;
        if (FAILED(coclass->GetRefTypeOfImplType(i, &ref)) || FAILED(coclass->GetRefTypeInfo(ref, &type)) ||
            !type)
            continue;
        TYPEATTR* typeAttr = nullptr;
        if (FAILED(type->GetTypeAttr(&typeAttr)) || !typeAttr)
            continue;
        const bool same = IsEqualIID(typeAttr->guid, iid);
        type->ReleaseTypeAttr(typeAttr);
        if (same)
            return type;
    }
    return nullptr;
}

} // namespace

ControlHost::ControlHost(ControlHostOptions options) : options_(std::move(options)) {}

ControlHost::~ControlHost() {
    Close();
}

HRESULT ControlHost::Create(REFCLSID clsid, ControlHostOptions options, std::unique_ptr<ControlHost>* host) {
    if (!host)
        return E_POINTER;
    host->reset();
    ComPtr<IUnknown> control;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                        reinterpret_cast<void**>(&control));
    if (FAILED(hr))
        return hr;
    return Host(control.Get(), std::move(options), host);
}

HRESULT ControlHost::Host(IUnknown* control, ControlHostOptions options, std::unique_ptr<ControlHost>* host) {
    if (!host)
        return E_POINTER;
    host->reset();
    if (!control)
        return E_INVALIDARG;
    std::unique_ptr<ControlHost> made(new ControlHost(std::move(options)));
    const HRESULT hr = made->Start(control);
    if (FAILED(hr))
        return hr;
    *host = std::move(made);
    return S_OK;
}

HRESULT ControlHost::Start(IUnknown* control) {
    control_ = control;
    dispatch_ = ComPtr<IDispatch>::QueryFrom(control);
    oleObject_ = ComPtr<IOleObject>::QueryFrom(control);
    ObjectPtr<CControlSite> site;
    HRESULT hr = CreateObject(site);
    if (FAILED(hr))
        return hr;
    site->SetHost(this);
    site_ = site.Detach();

    // A control that asks for its site first gets it before its properties.
    DWORD misc = 0;
    if (oleObject_)
        oleObject_->GetMiscStatus(DVASPECT_CONTENT, &misc);
    const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (oleObject_ && siteFirst)
        oleObject_->SetClientSite(site_);

    if (ComPtr<IPersistPropertyBag> bag = ComPtr<IPersistPropertyBag>::QueryFrom(control)) {
        ComPtr<IPropertyBag> params;
        if (SUCCEEDED(hr = CreateParamPropertyBag(options_.params, &params)))
            hr = options_.params.empty() ? bag->InitNew() : bag->Load(params.Get(), nullptr);
        if (FAILED(hr)) {
            Close();
            return hr;
        }
    } else if (ComPtr<IPersistStreamInit> stream = ComPtr<IPersistStreamInit>::QueryFrom(control)) {
        stream->InitNew();
    }
    if (oleObject_ && !siteFirst)
        oleObject_->SetClientSite(site_);
    AdviseEvents();
    if (options_.activate && oleObject_ && options_.parent) {
        hr = oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, options_.parent,
                                &options_.position);
        if (FAILED(hr)) {
            Close();
            return hr;
        }
    }
    return S_OK;
}

HRESULT ControlHost::AdviseEvents() {
    ComPtr<IProvideClassInfo2> info = ComPtr<IProvideClassInfo2>::QueryFrom(control_.Get());
    ComPtr<IConnectionPointContainer> points = ComPtr<IConnectionPointContainer>::QueryFrom(control_.Get());
    IID source{};
    if (!info || !points || FAILED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source)))
        return S_FALSE;
    ComPtr<ITypeInfo> names = SourceTypeInfo(info.Get(), source);
    if (names) {
        BSTR name = nullptr;
        if (SUCCEEDED(names->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr)) && name)
            eventInterface_.assign(name, SysStringLen(name));
        SysFreeString(name);
    }
    ObjectPtr<CControlEventSink> sink;
    HRESULT hr = CreateObject(sink);
    if (FAILED(hr))
        return hr;
    sink->Init(this, source, names.Get());
    if (FAILED(hr = points->FindConnectionPoint(source, &eventPoint_)) || !eventPoint_)
        return hr;
    if (FAILED(hr = eventPoint_->Advise(static_cast<IDispatch*>(sink.Get()), &eventCookie_))) {
        eventPoint_ = nullptr;
        return hr;
    }
    sink_ = sink.Detach();
    return S_OK;
}

HWND ControlHost::ControlWindow() const {
    HWND window = nullptr;
    if (ComPtr<IOleInPlaceObject> object = ComPtr<IOleInPlaceObject>::QueryFrom(control_.Get()))
        if (FAILED(object->GetWindow(&window)))
            window = nullptr;
    return window;
}

IOleInPlaceActiveObject* ControlHost::ActiveObject() const {
    return activeObject_.Get();
}

HRESULT ControlHost::Move(const RECT& position) {
    if (closed_)
        return E_UNEXPECTED;
    options_.position = position;
    ComPtr<IOleInPlaceObject> object = ComPtr<IOleInPlaceObject>::QueryFrom(control_.Get());
    if (!object || !inPlaceActive_)
        return S_FALSE;
    return object->SetObjectRects(&position, &position);
}

HRESULT ControlHost::DoVerb(LONG verb) {
    if (closed_ || !oleObject_)
        return E_UNEXPECTED;
    return oleObject_->DoVerb(verb, nullptr, site_, 0, options_.parent, &options_.position);
}

void ControlHost::Close() {
    if (closed_)
        return;
    closed_ = true;
    if (eventPoint_) {
        eventPoint_->Unadvise(eventCookie_);
        eventPoint_ = nullptr;
        eventCookie_ = 0;
    }
    if (sink_) {
        sink_->SetHost(nullptr);
        sink_->Release();
        sink_ = nullptr;
    }
    if (oleObject_) {
        if (ComPtr<IOleInPlaceObject> object = ComPtr<IOleInPlaceObject>::QueryFrom(oleObject_.Get()))
            object->InPlaceDeactivate();
        oleObject_->Close(OLECLOSE_NOSAVE);
        oleObject_->SetClientSite(nullptr);
    }
    activeObject_ = nullptr;
    if (site_) {
        site_->SetHost(nullptr);
        static_cast<IOleClientSite*>(site_)->Release();
        site_ = nullptr;
    }
    inPlaceActive_ = uiActive_ = false;
    oleObject_ = nullptr;
    dispatch_ = nullptr;
    control_ = nullptr;
}

} // namespace qx::com::control
