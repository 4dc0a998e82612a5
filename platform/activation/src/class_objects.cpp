// Class objects: those registered by the program, the built-in component categories manager, and
// the in-process and local servers of the registry, loaded once per process and kept until
// CoFreeUnusedLibraries finds them unused.
#include "apartment.h"
#include "category_manager.h"
#include "classes_root.h"

#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/module/loader.h"
#include "qx/win32/command_line.h"

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

// Asks the DllGetClassObject of the library at `path`; `unusable` is the answer when the file
// does not load or exports no DllGetClassObject.
HRESULT FromLibrary(const std::string& path, REFCLSID rclsid, REFIID riid, LPVOID* ppv, HRESULT notLoaded,
                    HRESULT noEntry) {
    // This call's own reference keeps the file loaded while its DllGetClassObject runs, even if
    // another thread frees unused libraries meanwhile.
    HMODULE module = module::LoadModule(path);
    if (!module)
        return notLoaded;
    HRESULT hr = noEntry;
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

std::optional<std::u16string> ServerEntry(REFCLSID rclsid, const char16_t* kind) {
    return ReadClassesRootDefault(u"CLSID\\" + GuidText(rclsid) + u"\\" + kind);
}

HRESULT FromInprocServer(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    auto server = ServerEntry(rclsid, u"InprocServer32");
    if (!server || server->empty())
        return REGDB_E_CLASSNOTREG;
    return FromLibrary(com::Utf16ToUtf8(*server), rclsid, riid, ppv, CO_E_DLLNOTFOUND, CO_E_ERRORINDLL);
}

// A local server runs in this process: the program that LocalServer32 names must be a library
// exporting DllGetClassObject. No process is ever started, so a real program (or anything that
// does not load) is a server that failed to start.
HRESULT FromLocalServer(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    auto server = ServerEntry(rclsid, u"LocalServer32");
    if (!server)
        return REGDB_E_CLASSNOTREG;
    const std::vector<std::string> words = win32::SplitProcessCommandLine(com::Utf16ToUtf8(*server));
    if (words.empty() || words.front().empty())
        return CO_E_SERVER_EXEC_FAILURE;
    return FromLibrary(words.front(), rclsid, riid, ppv, CO_E_SERVER_EXEC_FAILURE, CO_E_SERVER_EXEC_FAILURE);
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
    if (hr != REGDB_E_CLASSNOTREG)
        return hr;
    if (dwClsContext & CLSCTX_INPROC_SERVER) {
        if (IsEqualGUID(rclsid, CLSID_StdComponentCategoriesMgr))
            return GetCategoryManagerClassObject(riid, ppv);
        hr = FromInprocServer(rclsid, riid, ppv);
    }
    if (hr == REGDB_E_CLASSNOTREG && (dwClsContext & CLSCTX_LOCAL_SERVER))
        hr = FromLocalServer(rclsid, riid, ppv);
    return hr;
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
