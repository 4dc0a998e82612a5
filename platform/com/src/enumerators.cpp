// Snapshot enumerators.
#include "qx/com/enumerators.h"
#include "qx/com/object.h"

#include <memory>
#include <mutex>

namespace qx::com {
namespace {

// Copy rules per element type: into the caller's storage, with a reference or a deep copy.
struct VariantPolicy {
    using Stored = Variant;
    using Out = VARIANT;
    static HRESULT Copy(const Stored& from, Out* to) {
        VariantInit(to);
        return VariantCopy(to, &from);
    }
    static void Clear(Out* v) { VariantClear(v); }
};

struct ConnectionPolicy {
    struct Stored {
        ComPtr<IUnknown> unk;
        DWORD cookie;
    };
    using Out = CONNECTDATA;
    static HRESULT Copy(const Stored& from, Out* to) {
        to->pUnk = from.unk.Get();
        if (to->pUnk)
            to->pUnk->AddRef();
        to->dwCookie = from.cookie;
        return S_OK;
    }
    static void Clear(Out* v) {
        if (v->pUnk)
            v->pUnk->Release();
        v->pUnk = nullptr;
    }
};

template <typename I>
struct InterfacePolicy {
    using Stored = ComPtr<I>;
    using Out = I*;
    static HRESULT Copy(const Stored& from, Out* to) {
        *to = from.Get();
        if (*to)
            (*to)->AddRef();
        return S_OK;
    }
    static void Clear(Out* v) {
        if (*v)
            (*v)->Release();
        *v = nullptr;
    }
};

template <typename EnumInterface, typename Policy>
class SnapshotEnum : public ObjectRoot, public EnumInterface {
public:
    using Items = std::vector<typename Policy::Stored>;
    SnapshotEnum(std::shared_ptr<const Items> items, std::size_t position)
        : items_(std::move(items)), position_(position) {}

    QX_BEGIN_INTERFACES(SnapshotEnum)
    QX_INTERFACE_ENTRY(EnumInterface)
    QX_END_INTERFACES()

    STDMETHODIMP Next(ULONG celt, typename Policy::Out* rgelt, ULONG* fetched) override {
        if (fetched)
            *fetched = 0;
        if (celt == 0)
            return S_OK;
        if (!rgelt || (celt > 1 && !fetched))
            return E_POINTER;
        std::lock_guard lock(mutex_);
        ULONG n = 0;
        while (n < celt && position_ < items_->size()) {
            HRESULT hr = Policy::Copy((*items_)[position_], &rgelt[n]);
            if (FAILED(hr)) {
                for (ULONG i = 0; i < n; ++i)
                    Policy::Clear(&rgelt[i]);
                return hr;
            }
            ++n;
            ++position_;
        }
        if (fetched)
            *fetched = n;
        return n == celt ? S_OK : S_FALSE;
    }

    STDMETHODIMP Skip(ULONG celt) override {
        std::lock_guard lock(mutex_);
        std::size_t left = items_->size() - position_;
        if (celt > left) {
            position_ = items_->size();
            return S_FALSE;
        }
        position_ += celt;
        return S_OK;
    }

    STDMETHODIMP Reset() override {
        std::lock_guard lock(mutex_);
        position_ = 0;
        return S_OK;
    }

    STDMETHODIMP Clone(EnumInterface** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        std::size_t position;
        {
            std::lock_guard lock(mutex_);
            position = position_;
        }
        return Make(items_, position, out);
    }

    static HRESULT Make(std::shared_ptr<const Items> items, std::size_t position, EnumInterface** out) {
        ObjectPtr<SnapshotEnum> e;
        HRESULT hr = CreateObject<SnapshotEnum>(e, std::move(items), position);
        if (FAILED(hr))
            return hr;
        *out = static_cast<EnumInterface*>(e.Get());
        (*out)->AddRef();
        return S_OK;
    }

private:
    std::shared_ptr<const Items> items_;
    std::size_t position_;
    std::mutex mutex_;
};

template <typename EnumInterface, typename Policy>
HRESULT MakeEnum(typename SnapshotEnum<EnumInterface, Policy>::Items items, EnumInterface** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    using E = SnapshotEnum<EnumInterface, Policy>;
    auto shared = std::make_shared<const typename E::Items>(std::move(items));
    return E::Make(std::move(shared), 0, out);
}

} // namespace

HRESULT CreateEnumVariant(std::vector<Variant> items, IEnumVARIANT** out) {
    return MakeEnum<IEnumVARIANT, VariantPolicy>(std::move(items), out);
}

HRESULT CreateEnumConnections(std::vector<CONNECTDATA> items, IEnumConnections** out) {
    std::vector<ConnectionPolicy::Stored> stored;
    stored.reserve(items.size());
    for (const CONNECTDATA& cd : items)
        stored.push_back({ComPtr<IUnknown>(cd.pUnk), cd.dwCookie});
    return MakeEnum<IEnumConnections, ConnectionPolicy>(std::move(stored), out);
}

HRESULT CreateEnumConnectionPoints(std::vector<ComPtr<IConnectionPoint>> items, IEnumConnectionPoints** out) {
    return MakeEnum<IEnumConnectionPoints, InterfacePolicy<IConnectionPoint>>(std::move(items), out);
}

HRESULT CreateEnumUnknown(std::vector<ComPtr<IUnknown>> items, IEnumUnknown** out) {
    return MakeEnum<IEnumUnknown, InterfacePolicy<IUnknown>>(std::move(items), out);
}

} // namespace qx::com
