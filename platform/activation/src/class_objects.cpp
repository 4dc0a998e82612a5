// Class objects: those registered by the program, the built-in component categories manager, and
// the in-process servers of the registry, loaded once per process and kept until
// CoFreeUnusedLibraries finds them unused.
#include "apartment.h"
#include "category_manager.h"
#include "classes_root.h"

#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/module/loader.h"

#include <map>
#include <mutex>
#include <vector>

namespace qx::activation {
namespace {

using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, LPVOID*);
using CanUnloadNowFunction = HRESULT (*)();

struct RegisteredClassObject {
    DWORD cookie;
    CLSID clsid;
    DWORD context;
    IUnknown* object; // one reference held by the table
};

struct ActivationState {
    std::mutex lock;
    std::vector<RegisteredClassObject> registered;
    DWORD nextCookie = 1;
    std::vector<HMODULE> servers; // one loader reference each
};

ActivationState& State() {
    static auto* state = new ActivationState; // outlives every static destructor that may release
    return *state;
}

HRESULT FromRegisteredObjects(REFCLSID rclsid, DWORD context, REFIID riid, LPVOID* ppv) {
    com::ComPtr<IUnknown> object;
    {
        std::lock_guard guard(State().lock);
        for (const auto& entry : State().registered) {
            if (IsEqualGUID(entry.clsid, rclsid) && (entry.context & context)) {
                object = entry.object;
                break;
            }
        }
    }
    if (!object)
        return REGDB_E_CLASSNOTREG;
    return object->QueryInterface(riid, ppv);
}

// Keeps one reference to a server for the table; the caller's own reference stays with it.
void RememberServer(HMODULE module) {
    std::lock_guard guard(State().lock);
    for (HMODULE known : State().servers) {
        if (known == module)
            return;
    }
    if (module::LoadModule(module::ModulePath(module).value_or(std::string())) == module)
        State().servers.push_back(module);
}

HRESULT FromInprocServer(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    const std::u16string clsidKey = u"CLSID\\" + GuidText(rclsid);
    auto server = ReadClassesRootDefault(clsidKey + u"\\InprocServer32");
    if (!server || server->empty())
        return REGDB_E_CLASSNOTREG;
    // This call's own reference keeps the file loaded while its DllGetClassObject runs, even if
    // another thread frees unused libraries meanwhile.
    HMODULE module = module::LoadModule(com::Utf16ToUtf8(*server));
    if (!module)
        return CO_E_DLLNOTFOUND;
    HRESULT hr = CO_E_ERRORINDLL;
    if (auto getClassObject =
            reinterpret_cast<GetClassObjectFunction>(module::FindExport(module, "DllGetClassObject"))) {
        hr = getClassObject(rclsid, riid, ppv);
        if (SUCCEEDED(hr) && !*ppv)
            hr = E_UNEXPECTED;
    }
    if (SUCCEEDED(hr))
        RememberServer(module);
    module::FreeModule(module);
    return hr;
}

} // namespace
} // namespace qx::activation

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid, LPVOID* ppv) {
    using namespace qx::activation;
    if (!ppv)
        return E_INVALIDARG;
    *ppv = nullptr;
    if (pvReserved || !(dwClsContext & CLSCTX_ALL))
        return E_INVALIDARG;
    if (!ThreadInApartment())
        return CO_E_NOTINITIALIZED;
    HRESULT hr = FromRegisteredObjects(rclsid, dwClsContext, riid, ppv);
    if (hr != REGDB_E_CLASSNOTREG || !(dwClsContext & CLSCTX_INPROC_SERVER))
        return hr;
    if (IsEqualGUID(rclsid, CLSID_StdComponentCategoriesMgr))
        return GetCategoryManagerClassObject(riid, ppv);
    return FromInprocServer(rclsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    qx::com::ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory,
                                  reinterpret_cast<LPVOID*>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    if (FAILED(hr))
        *ppv = nullptr;
    return hr;
}

void CoFreeUnusedLibraries() {
    using namespace qx::activation;
    std::vector<HMODULE> unused;
    {
        std::lock_guard guard(State().lock);
        auto& servers = State().servers;
        for (auto it = servers.begin(); it != servers.end();) {
            auto canUnload =
                reinterpret_cast<CanUnloadNowFunction>(qx::module::FindExport(*it, "DllCanUnloadNow"));
            if (canUnload && canUnload() == S_OK) {
                unused.push_back(*it);
                it = servers.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (HMODULE module : unused)
        qx::module::FreeModule(module);
}

HRESULT CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext, DWORD flags,
                              LPDWORD lpdwRegister) {
    using namespace qx::activation;
    if (!pUnk || !lpdwRegister)
        return E_INVALIDARG;
    *lpdwRegister = 0;
    if (!(dwClsContext & CLSCTX_ALL) || flags > REGCLS_MULTI_SEPARATE)
        return E_INVALIDARG;
    std::lock_guard guard(State().lock);
    pUnk->AddRef();
    DWORD cookie = State().nextCookie++;
    State().registered.push_back({cookie, rclsid, dwClsContext, pUnk});
    *lpdwRegister = cookie;
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD dwRegister) {
    using namespace qx::activation;
    IUnknown* object = nullptr;
    {
        std::lock_guard guard(State().lock);
        auto& registered = State().registered;
        for (auto it = registered.begin(); it != registered.end(); ++it) {
            if (it->cookie == dwRegister) {
                object = it->object;
                registered.erase(it);
                break;
            }
        }
    }
    if (!object)
        return E_INVALIDARG;
    object->Release();
    return S_OK;
}
