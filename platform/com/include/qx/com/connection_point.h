// Connection points: a generic container and its points, with firing that snapshots the sinks and
// holds a reference on each during the call.
//
//     class CConvert : public qx::com::ObjectRoot, ..., public qx::com::ConnectionPointContainerImpl {
//         CConvert() { events_ = &AddConnectionPoint(DIID__DIConvertEvent, &kDisp__DIConvertEvent); }
//         ...
//         events_->Fire(2, {qx::com::Variant(LONG(1))});
//     };
//
// A point's IUnknown is the container's: it holds no count of its own, so it lives as long as the
// object. Sinks are kept in advise order; cookies count up from 1 and are never reused.
#pragma once

#include "ocidl.h"
#include "qx/com/comptr.h"
#include "qx/com/dispatch_decl.h"
#include "qx/com/variant.h"

#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

namespace qx::com {

class ConnectionPoint final : public IConnectionPoint {
public:
    // decl, when given, describes the outgoing interface: a dual one is called through the sinks'
    // vtables, a dispinterface through IDispatch::Invoke.
    ConnectionPoint(IConnectionPointContainer* container, REFIID iid, const DispInterface* decl = nullptr);
    ~ConnectionPoint();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetConnectionInterface(IID* pIID) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
    STDMETHODIMP Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
    STDMETHODIMP Unadvise(DWORD dwCookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** ppEnum) override;

    const IID& Iid() const { return iid_; }

    // The sinks, in advise order, each held by a reference (as the connection's interface).
    std::vector<ComPtr<IUnknown>> Sinks() const;

    // Calls f(T*) for each sink; T must be the connection's interface.
    template <typename T, typename F>
    void ForEachSink(F&& f) const {
        for (const ComPtr<IUnknown>& sink : Sinks())
            f(reinterpret_cast<T*>(sink.Get()));
    }

    // Fires member `id` with arguments in natural order (DISPATCH_METHOD); results are ignored.
    void Fire(DISPID id, std::initializer_list<Variant> args = {}) const;
    void Fire(DISPID id, const VARIANT* args, UINT count) const;

private:
    IConnectionPointContainer* container_;
    IID iid_;
    const DispInterface* decl_;
    mutable std::mutex mutex_;
    struct Connection {
        DWORD cookie;
        ComPtr<IUnknown> sink;
    };
    // The connections at the start of a fire, and whether one is still advised: a sink unadvised
    // by another during the fire is not called.
    std::vector<Connection> Snapshot() const;
    bool Advised(DWORD cookie) const;
    std::vector<Connection> connections_;
    DWORD nextCookie_ = 1;
};

// IConnectionPointContainer over the points a class adds in its constructor.
class ConnectionPointContainerImpl : public IConnectionPointContainer {
public:
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    ConnectionPoint& AddConnectionPoint(REFIID iid, const DispInterface* decl = nullptr);
    ConnectionPoint* FindPoint(REFIID iid) const;

protected:
    ConnectionPointContainerImpl() = default;
    ~ConnectionPointContainerImpl() = default;

private:
    std::vector<std::unique_ptr<ConnectionPoint>> points_;
};

} // namespace qx::com
