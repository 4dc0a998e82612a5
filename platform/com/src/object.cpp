// Interface tables, the module lock count and the plain class factory.
#include "qxcom/object.h"

namespace qx::com {

namespace {
std::atomic<LONG> g_moduleLocks{0};
}

LONG ModuleLockCount() {
    return g_moduleLocks.load();
}
void ModuleLock() {
    ++g_moduleLocks;
}
void ModuleUnlock() {
    --g_moduleLocks;
}

HRESULT ObjectRoot::InternalQueryInterface(void* self, std::span<const InterfaceEntry> table, REFIID riid,
                                           void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (table.empty())
        return E_NOINTERFACE;
    void* found = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
        found = table[0].cast(self);
    } else {
        for (const InterfaceEntry& entry : table) {
            if (IsEqualIID(*entry.iid, riid)) {
                found = entry.cast(self);
                break;
            }
        }
    }
    if (!found)
        return E_NOINTERFACE;
    static_cast<IUnknown*>(found)->AddRef();
    *ppv = found;
    return S_OK;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) {
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = nullptr;
    return creator_(pUnkOuter, riid, ppvObject);
}

STDMETHODIMP ClassFactory::LockServer(BOOL fLock) {
    if (fLock)
        ModuleLock();
    else
        ModuleUnlock();
    return S_OK;
}

HRESULT CreateClassFactory(InstanceCreator creator, REFIID riid, void** ppv) {
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
