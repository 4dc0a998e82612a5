// The object framework: a reference-counted base with an interface table, aggregation, and the
// creation helpers that class factories use.
//
// A class derives from ObjectRoot and its interfaces, and lists them with QX_BEGIN_INTERFACES:
//
//     class CThing : public qx::com::ObjectRoot, public IThing, public ISupportErrorInfo {
//     public:
//         QX_BEGIN_INTERFACES(CThing)
//             QX_INTERFACE_ENTRY(IThing)
//             QX_INTERFACE_ENTRY2(IDispatch, IThing)
//             QX_INTERFACE_ENTRY(ISupportErrorInfo)
//         QX_END_INTERFACES()
//         HRESULT FinalConstruct();   // optional: runs once the object holds a reference
//         void FinalRelease();        // optional: runs before the object is destroyed
//         ...
//     };
//
// qx::com::CreateInstance<CThing>(outer, riid, ppv) makes one (ComObject<CThing>, or an aggregated
// one when outer is given); IUnknown's three methods are supplied by the wrapper.
#pragma once

#include "qx/com/comptr.h"
#include "unknwn.h"

#include <atomic>
#include <new>
#include <span>

namespace qx::com {

// Objects alive plus server locks of the module (component file or program) whose code made
// them, for its DllCanUnloadNow. The count and its functions are hidden, so every shared object
// keeps its own: one component's live objects never keep another one loaded.
namespace detail {
[[gnu::visibility("hidden")]] inline std::atomic<LONG> g_moduleLocks{0};
}
[[gnu::visibility("hidden")]] inline LONG ModuleLockCount() {
    return detail::g_moduleLocks.load();
}
[[gnu::visibility("hidden")]] inline void ModuleLock() {
    ++detail::g_moduleLocks;
}
[[gnu::visibility("hidden")]] inline void ModuleUnlock() {
    --detail::g_moduleLocks;
}

struct InterfaceEntry {
    const IID* iid;
    void* (*cast)(void* object); // object is the class's own pointer
};

template <typename Class, typename Interface, typename Via = Interface>
constexpr InterfaceEntry MakeInterfaceEntry() {
    return {&iid_of<Interface>, [](void* p) -> void* {
                return static_cast<Interface*>(static_cast<Via*>(static_cast<Class*>(p)));
            }};
}

// An entry answering another IID (a dispinterface, say) with the pointer of Interface.
template <typename Class, typename Interface>
constexpr InterfaceEntry MakeInterfaceEntryAs(const IID& iid) {
    return {&iid, [](void* p) -> void* { return static_cast<Interface*>(static_cast<Class*>(p)); }};
}

#define QX_BEGIN_INTERFACES(cls)                                                                             \
    static std::span<const ::qx::com::InterfaceEntry> InterfaceTable() {                                     \
        using QxSelf = cls;                                                                                  \
        static constexpr ::qx::com::InterfaceEntry entries[] = {
#define QX_INTERFACE_ENTRY(itf) ::qx::com::MakeInterfaceEntry<QxSelf, itf>(),
// itf reached through the base `via` (IDispatch through a dual interface).
#define QX_INTERFACE_ENTRY2(itf, via) ::qx::com::MakeInterfaceEntry<QxSelf, itf, via>(),
#define QX_INTERFACE_ENTRY_IID(iid, itf) ::qx::com::MakeInterfaceEntryAs<QxSelf, itf>(iid),
#define QX_END_INTERFACES()                                                                                  \
    }                                                                                                        \
    ;                                                                                                        \
    return entries;                                                                                          \
    }

class ObjectRoot {
public:
    ObjectRoot() = default;
    ObjectRoot(const ObjectRoot&) = delete;
    ObjectRoot& operator=(const ObjectRoot&) = delete;
    virtual ~ObjectRoot() = default;

    // The defaults; a class declares its own to take part.
    HRESULT FinalConstruct() { return S_OK; }
    void FinalRelease() {}
    // Interfaces whose IIDs are known only at run time (an event sink answers the source
    // interface it was made for): asked when the table has no entry for riid; no reference
    // taken yet when it answers, QueryInterface takes it.
    void* QueryOtherInterface(REFIID) { return nullptr; }
    static constexpr bool kAggregatable = true;
    static constexpr bool kCountsInModuleLock = true;

    // The object's identity: its own IUnknown, or the outer unknown when aggregated. No reference.
    IUnknown* ControllingUnknown() const { return identity_; }

    // Walks the table: IID_IUnknown gives the first entry, as COM identity requires.
    static HRESULT InternalQueryInterface(void* self, std::span<const InterfaceEntry> table, REFIID riid,
                                          void** ppv);
    // Hands out what QueryOtherInterface found (an AddRef'd interface), or E_NOINTERFACE.
    static HRESULT AnswerOther(void* found, void** ppv) {
        if (!found)
            return E_NOINTERFACE;
        static_cast<IUnknown*>(found)->AddRef();
        *ppv = found;
        return S_OK;
    }

protected:
    ULONG InternalAddRef() { return static_cast<ULONG>(++refs_); }
    ULONG InternalRelease() { return static_cast<ULONG>(--refs_); }

private:
    template <typename T>
    friend class ComObject;
    template <typename T>
    friend class ContainedObject;
    template <typename T>
    friend class AggregatedObject;

    std::atomic<LONG> refs_{0};
    IUnknown* identity_ = nullptr;
};

namespace detail {
struct ModuleCount {
    explicit ModuleCount(bool counts) : counts_(counts) {
        if (counts_)
            ModuleLock();
    }
    ~ModuleCount() {
        if (counts_)
            ModuleUnlock();
    }
    bool counts_;
};
} // namespace detail

// A stand-alone object: its IUnknown methods count its own references.
template <typename T>
class ComObject final : public T {
public:
    template <typename... A>
    explicit ComObject(A&&... args) : T(std::forward<A>(args)...) {
        this->identity_ = static_cast<IUnknown*>(T::InterfaceTable()[0].cast(static_cast<T*>(this)));
    }
    ~ComObject() override = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        const HRESULT hr =
            ObjectRoot::InternalQueryInterface(static_cast<T*>(this), T::InterfaceTable(), riid, ppv);
        if (hr != E_NOINTERFACE)
            return hr;
        return ObjectRoot::AnswerOther(this->QueryOtherInterface(riid), ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return this->InternalAddRef(); }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG count = this->InternalRelease();
        if (count == 0) {
            this->refs_ = 1; // guards against a release of a reference taken during FinalRelease
            this->FinalRelease();
            delete this;
        }
        return count;
    }

private:
    detail::ModuleCount count_{T::kCountsInModuleLock};
};

// The inner object of an aggregate: every IUnknown call goes to the outer unknown.
template <typename T>
class ContainedObject final : public T {
public:
    explicit ContainedObject(IUnknown* outer) { this->identity_ = outer; }
    ~ContainedObject() override = default;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return this->identity_->QueryInterface(riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return this->identity_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return this->identity_->Release(); }
};

// What the outer object holds: the non-delegating IUnknown of the aggregated object.
template <typename T>
class AggregatedObject final : public IUnknown {
public:
    explicit AggregatedObject(IUnknown* outer) : inner_(outer) {}
    virtual ~AggregatedObject() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        const HRESULT hr =
            ObjectRoot::InternalQueryInterface(static_cast<T*>(&inner_), T::InterfaceTable(), riid, ppv);
        if (hr != E_NOINTERFACE)
            return hr;
        return ObjectRoot::AnswerOther(inner_.QueryOtherInterface(riid), ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG count = static_cast<ULONG>(--refs_);
        if (count == 0) {
            refs_ = 1;
            inner_.FinalRelease();
            delete this;
        }
        return count;
    }
    T* Object() { return &inner_; }

private:
    std::atomic<LONG> refs_{0};
    ContainedObject<T> inner_;
    detail::ModuleCount count_{T::kCountsInModuleLock};
};

template <typename T>
using ObjectPtr = ComPtr<ComObject<T>>;

// Makes a stand-alone object for the framework's own use; `out` holds the one reference.
template <typename T, typename... A>
HRESULT CreateObject(ObjectPtr<T>& out, A&&... args) {
    out = nullptr;
    auto* object = new (std::nothrow) ComObject<T>(std::forward<A>(args)...);
    if (!object)
        return E_OUTOFMEMORY;
    object->AddRef();
    HRESULT hr = object->FinalConstruct();
    if (FAILED(hr)) {
        object->Release();
        return hr;
    }
    out = ObjectPtr<T>::Attach(object);
    return S_OK;
}

// The instance creator of a class factory. An outer unknown needs an aggregatable class and
// riid == IID_IUnknown (COM's aggregation rule); both failures give CLASS_E_NOAGGREGATION.
template <typename T>
HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!outer) {
        ObjectPtr<T> object;
        HRESULT hr = CreateObject<T>(object);
        if (FAILED(hr))
            return hr;
        return object->QueryInterface(riid, ppv);
    }
    if constexpr (!T::kAggregatable) {
        return CLASS_E_NOAGGREGATION;
    } else {
        if (!IsEqualIID(riid, IID_IUnknown))
            return CLASS_E_NOAGGREGATION;
        auto* aggregate = new (std::nothrow) AggregatedObject<T>(outer);
        if (!aggregate)
            return E_OUTOFMEMORY;
        aggregate->AddRef();
        HRESULT hr = aggregate->Object()->FinalConstruct();
        if (FAILED(hr)) {
            aggregate->Release();
            return hr;
        }
        *ppv = static_cast<IUnknown*>(aggregate);
        return S_OK;
    }
}

using InstanceCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

// A plain class factory over an instance creator; it does not count in the module lock itself,
// while LockServer(TRUE) does. It is defined here in full, so that LockServer counts in the lock
// of the module that made the factory.
class [[gnu::visibility("hidden")]] ClassFactory : public ObjectRoot, public IClassFactory {
public:
    explicit ClassFactory(InstanceCreator creator) : creator_(creator) {}
    static constexpr bool kAggregatable = false;
    static constexpr bool kCountsInModuleLock = false;

    QX_BEGIN_INTERFACES(ClassFactory)
    QX_INTERFACE_ENTRY(IClassFactory)
    QX_END_INTERFACES()

    STDMETHODIMP CreateInstance(IUnknown * pUnkOuter, REFIID riid, void** ppvObject) override {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        return creator_(pUnkOuter, riid, ppvObject);
    }
    STDMETHODIMP LockServer(BOOL fLock) override {
        if (fLock)
            ModuleLock();
        else
            ModuleUnlock();
        return S_OK;
    }

private:
    InstanceCreator creator_;
};

// A class factory object for the creator, returned as riid.
[[gnu::visibility("hidden")]] inline HRESULT CreateClassFactory(InstanceCreator creator, REFIID riid,
                                                                void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!creator)
        return E_INVALIDARG;
    ObjectPtr<ClassFactory> factory;
    HRESULT hr = CreateObject<ClassFactory>(factory, creator);
    if (FAILED(hr))
        return hr;
    return factory->QueryInterface(riid, ppv);
}

} // namespace qx::com
