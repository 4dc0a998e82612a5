// Connection points and their container.
#include "qx/com/connection_point.h"
#include "qx/com/enumerators.h"

#include <algorithm>

namespace qx::com {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* container, REFIID iid, const DispInterface* decl)
    : container_(container), iid_(iid), decl_(decl) {}

ConnectionPoint::~ConnectionPoint() = default;

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() {
    return container_->AddRef();
}

STDMETHODIMP_(ULONG) ConnectionPoint::Release() {
    return container_->Release();
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* pIID) {
    if (!pIID)
        return E_POINTER;
    *pIID = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
    if (!ppCPC)
        return E_POINTER;
    *ppCPC = container_;
    container_->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
    if (!pdwCookie)
        return E_POINTER;
    *pdwCookie = 0;
    if (!pUnkSink)
        return E_POINTER;
    IUnknown* sink = nullptr;
    if (FAILED(pUnkSink->QueryInterface(iid_, reinterpret_cast<void**>(&sink))) || !sink)
        return CONNECT_E_CANNOTCONNECT;
    std::lock_guard lock(mutex_);
    if (nextCookie_ == 0) { // every cookie has been handed out once
        sink->Release();
        return CONNECT_E_ADVISELIMIT;
    }
    DWORD cookie = nextCookie_++;
    connections_.push_back({cookie, ComPtr<IUnknown>::Attach(sink)});
    *pdwCookie = cookie;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD dwCookie) {
    ComPtr<IUnknown> released; // released outside the lock: the sink's destructor may call back
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(connections_.begin(), connections_.end(),
                               [&](const Connection& c) { return c.cookie == dwCookie; });
        if (it == connections_.end())
            return CONNECT_E_NOCONNECTION;
        released = std::move(it->sink);
        connections_.erase(it);
    }
    return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** ppEnum) {
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = nullptr;
    std::vector<CONNECTDATA> items;
    std::vector<ComPtr<IUnknown>> hold;
    {
        std::lock_guard lock(mutex_);
        for (const Connection& c : connections_) {
            items.push_back({c.sink.Get(), c.cookie});
            hold.push_back(c.sink);
        }
    }
    return CreateEnumConnections(std::move(items), ppEnum);
}

std::vector<ConnectionPoint::Connection> ConnectionPoint::Snapshot() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

bool ConnectionPoint::Advised(DWORD cookie) const {
    std::lock_guard lock(mutex_);
    return std::any_of(connections_.begin(), connections_.end(),
                       [&](const Connection& c) { return c.cookie == cookie; });
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
    std::lock_guard lock(mutex_);
    std::vector<ComPtr<IUnknown>> sinks;
    sinks.reserve(connections_.size());
    for (const Connection& c : connections_)
        sinks.push_back(c.sink);
    return sinks;
}

void ConnectionPoint::Fire(DISPID id, std::initializer_list<Variant> args) const {
    Fire(id, args.size() ? static_cast<const VARIANT*>(args.begin()) : nullptr,
         static_cast<UINT>(args.size()));
}

void ConnectionPoint::Fire(DISPID id, const VARIANT* args, UINT count) const {
    const DispMember* member = decl_ ? decl_->Find(id, INVOKE_FUNC) : nullptr;
    bool viaVtable = decl_ && decl_->dual && member && member->thunk;
    // Arguments go to each sink as copies, so that no sink sees what another changed. The walk is
    // over the connections as they were, skipping any a sink has unadvised since.
    for (const Connection& connection : Snapshot()) {
        if (!Advised(connection.cookie))
            continue;
        const ComPtr<IUnknown>& sink = connection.sink;
        std::vector<Variant> copies(args, args + count);
        if (viaVtable) {
            // The sink pointer is of the dual interface itself; the declaration's thunk calls its slot.
            std::vector<VARIANT> converted(member->paramCount);
            std::vector<VARIANT*> pointers(member->paramCount);
            bool ok = count == member->ArgumentCount();
            for (UINT i = 0; i < member->paramCount; ++i) {
                VariantInit(&converted[i]);
                pointers[i] = &converted[i];
                if (!ok)
                    continue;
                if (i < count) {
                    if (member->params[i].vt == VT_VARIANT)
                        VariantCopy(&converted[i], &copies[i]);
                    else if (FAILED(VariantChangeType(&converted[i], &copies[i], 0, member->params[i].vt)))
                        ok = false;
                } else {
                    converted[i].vt = member->params[i].vt == VT_VARIANT ? static_cast<VARTYPE>(VT_EMPTY)
                                                                         : member->params[i].vt;
                }
            }
            if (ok)
                member->thunk(sink.Get(), pointers.data());
            for (VARIANT& v : converted)
                VariantClear(&v);
            continue;
        }
        ComPtr<IDispatch> disp = ComPtr<IDispatch>::QueryFrom(sink.Get());
        if (!disp)
            continue;
        std::vector<VARIANT> reversed(count);
        for (UINT i = 0; i < count; ++i)
            reversed[i] = copies[count - 1 - i];
        DISPPARAMS dp{reversed.data(), nullptr, count, 0};
        Variant result;
        UINT argErr = 0;
        disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, &result, nullptr, &argErr);
    }
}

STDMETHODIMP ConnectionPointContainerImpl::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
    if (!ppEnum)
        return E_POINTER;
    std::vector<ComPtr<IConnectionPoint>> items;
    for (const auto& p : points_)
        items.emplace_back(p.get());
    return CreateEnumConnectionPoints(std::move(items), ppEnum);
}

STDMETHODIMP ConnectionPointContainerImpl::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
    if (!ppCP)
        return E_POINTER;
    *ppCP = nullptr;
    ConnectionPoint* point = FindPoint(riid);
    if (!point)
        return CONNECT_E_NOCONNECTION;
    *ppCP = point;
    point->AddRef();
    return S_OK;
}

ConnectionPoint& ConnectionPointContainerImpl::AddConnectionPoint(REFIID iid, const DispInterface* decl) {
    points_.push_back(
        std::make_unique<ConnectionPoint>(static_cast<IConnectionPointContainer*>(this), iid, decl));
    return *points_.back();
}

ConnectionPoint* ConnectionPointContainerImpl::FindPoint(REFIID iid) const {
    for (const auto& p : points_)
        if (IsEqualIID(p->Iid(), iid))
            return p.get();
    return nullptr;
}

} // namespace qx::com
