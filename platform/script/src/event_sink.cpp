#include "qx/script/event_sink.h"

#include "engine_core.h"

#include <oleauto.h>
#include <qx/com/bstr.h>
#include <qx/com/object.h>
#include <qx/com/variant.h>

#include <atomic>

namespace qx::script {
namespace {

// Receives the events of one connection and calls prefix + event name in the script.
class EventSink : public com::ObjectRoot, public IDispatch {
public:
    static constexpr bool kCountsInModuleLock = false;

    EventSink(std::shared_ptr<EngineCore> core, const IID& iid, com::ComPtr<ITypeInfo> info,
              std::u16string prefix, std::function<void(const ScriptError&)> onError)
        : core_(std::move(core)), iid_(iid), info_(std::move(info)), prefix_(std::move(prefix)),
          onError_(std::move(onError)) {}

    QX_BEGIN_INTERFACES(EventSink)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_END_INTERFACES()

    // The source interface it was made for, known only once connected.
    void* QueryOtherInterface(REFIID riid) { return riid == iid_ ? static_cast<IDispatch*>(this) : nullptr; }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return info_.CopyTo(info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return info_->GetIDsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (!core_->OnOwnerThread())
            return RPC_E_WRONG_THREAD;
        if (!core_->alive || !core_->engine || core_->MustStop())
            return S_OK;
        com::Bstr name;
        UINT found = 0;
        if (FAILED(info_->GetNames(dispid, &name, 1, &found)) || found == 0)
            return DISP_E_MEMBERNOTFOUND;
        std::vector<com::Variant> args;
        if (params && params->rgvarg)
            for (UINT i = params->cArgs; i > 0; --i)
                args.emplace_back(params->rgvarg[i - 1]);
        ScriptError error;
        bool exists = false;
        com::Variant value;
        const HRESULT hr = core_->engine->CallGlobal(prefix_ + std::u16string(name.View()), args.data(),
                                                     args.size(), &value, &exists, &error);
        if (FAILED(hr) && hr != E_ABORT && onError_)
            onError_(error);
        if (SUCCEEDED(hr) && result)
            value.Detach(result);
        return S_OK;
    }

private:
    std::shared_ptr<EngineCore> core_;
    IID iid_;
    com::ComPtr<ITypeInfo> info_;
    std::u16string prefix_;
    std::function<void(const ScriptError&)> onError_;
};

com::ComPtr<IUnknown> IdentityOf(IUnknown* object) {
    com::ComPtr<IUnknown> identity;
    object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    return identity;
}

} // namespace

HRESULT FindDefaultSource(IUnknown* object, IID* iid, ITypeInfo** info) {
    if (!object || !iid || !info)
        return E_POINTER;
    *info = nullptr;
    com::ComPtr<IProvideClassInfo> provider;
    if (FAILED(object->QueryInterface(&provider)) || !provider)
        return E_NOINTERFACE;
    com::ComPtr<ITypeInfo> coclass;
    HRESULT hr = provider->GetClassInfo(&coclass);
    if (FAILED(hr) || !coclass)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    TYPEATTR* attr = nullptr;
    hr = coclass->GetTypeAttr(&attr);
    if (FAILED(hr) || !attr)
        return FAILED(hr) ? hr : E_UNEXPECTED;
    const WORD implemented = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < implemented; ++i) {
        INT flags = 0;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags)))
            continue;
        if ((flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) !=
            (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE))
            continue;
        HREFTYPE ref = 0;
        com::ComPtr<ITypeInfo> source;
        if (FAILED(coclass->GetRefTypeOfImplType(i, &ref)) || FAILED(coclass->GetRefTypeInfo(ref, &source)) ||
            !source)
            continue;
        TYPEATTR* sourceAttr = nullptr;
        if (FAILED(source->GetTypeAttr(&sourceAttr)) || !sourceAttr)
            continue;
        *iid = sourceAttr->guid;
        source->ReleaseTypeAttr(sourceAttr);
        *info = source.Detach();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT EventConnections::Connect(IUnknown* source, std::u16string_view prefix) {
    if (!source)
        return E_POINTER;
    if (!engine_.OnOwnerThread())
        return RPC_E_WRONG_THREAD;
    IID iid{};
    com::ComPtr<ITypeInfo> info;
    HRESULT hr = FindDefaultSource(source, &iid, &info);
    if (FAILED(hr))
        return hr;
    com::ComPtr<IConnectionPointContainer> container;
    if (FAILED(source->QueryInterface(&container)) || !container)
        return E_NOINTERFACE;
    com::ComPtr<IConnectionPoint> point;
    hr = container->FindConnectionPoint(iid, &point);
    if (FAILED(hr) || !point)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    com::ObjectPtr<EventSink> sink;
    hr = com::CreateObject<EventSink>(sink, engine_.Core(), iid, info, std::u16string(prefix), onError_);
    if (FAILED(hr))
        return hr;
    DWORD cookie = 0;
    hr = point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie);
    if (FAILED(hr))
        return hr;
    connections_.push_back({IdentityOf(source), std::move(point), cookie});
    return S_OK;
}

HRESULT EventConnections::Disconnect(IUnknown* source) {
    if (!source)
        return E_POINTER;
    const com::ComPtr<IUnknown> identity = IdentityOf(source);
    HRESULT hr = S_FALSE;
    for (auto it = connections_.begin(); it != connections_.end();) {
        if (it->identity.Get() == identity.Get()) {
            Connection gone = std::move(*it);
            it = connections_.erase(it);
            gone.point->Unadvise(gone.cookie);
            hr = S_OK;
        } else {
            ++it;
        }
    }
    return hr;
}

void EventConnections::DisconnectAll() {
    while (!connections_.empty()) {
        Connection gone = std::move(connections_.back());
        connections_.pop_back();
        gone.point->Unadvise(gone.cookie);
    }
}

} // namespace qx::script
