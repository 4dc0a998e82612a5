// IQuickActivate::QuickActivate: what a container would otherwise do in several calls.
#include "qx/com/control/ole_control.h"

#include "qx/com/comptr.h"

namespace qx::com::control {
namespace {

// Connects a sink to the control's connection point for iid; 0 when either side declines.
DWORD Connect(IUnknown* identity, REFIID iid, IUnknown* sink) {
    ComPtr<IConnectionPointContainer> container = ComPtr<IConnectionPointContainer>::QueryFrom(identity);
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    if (sink && container && SUCCEEDED(container->FindConnectionPoint(iid, &point)) && point)
        if (FAILED(point->Advise(sink, &cookie)))
            cookie = 0;
    return cookie;
}

} // namespace

HRESULT QuickActivateControl(ControlBase& control, IUnknown* identity, QACONTAINER* container,
                             QACONTROL* answer) {
    if (!container || !answer)
        return E_POINTER;
    if (container->cbSize < sizeof(QACONTAINER) || answer->cbSize < sizeof(QACONTROL))
        return E_INVALIDARG;
    HRESULT hr = control.SetSite(container->pClientSite);
    if (FAILED(hr))
        return hr;
    if (container->pAdviseSink)
        control.SetViewAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    answer->dwMiscStatus = 0;
    control.MiscStatus(DVASPECT_CONTENT, &answer->dwMiscStatus);
    answer->dwViewStatus = control.ViewStatus();
    answer->dwPointerActivationPolicy = 0;
    answer->dwPropNotifyCookie = Connect(identity, IID_IPropertyNotifySink, container->pPropertyNotifySink);
    // The event sink goes to the control's default source interface.
    answer->dwEventCookie = 0;
    if (ComPtr<IProvideClassInfo2> info = ComPtr<IProvideClassInfo2>::QueryFrom(identity)) {
        IID source{};
        if (SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source)))
            answer->dwEventCookie = Connect(identity, source, container->pUnkEventSink);
    }
    return S_OK;
}

} // namespace qx::com::control
