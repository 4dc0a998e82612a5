// The entry point and the four server functions of a component.
#include "server_module.h"

#include "winmodule.h"

CServerModule _Module;

SERVER_EXPORT BOOL DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*lpReserved*/) {
    if (dwReason == DLL_PROCESS_ATTACH) {
        _Module.Init(ObjectMap, hInstance, &ComponentLibId);
        DisableThreadLibraryCalls(hInstance);
    } else if (dwReason == DLL_PROCESS_DETACH) {
        _Module.Term();
    }
    return TRUE;
}

SERVER_EXPORT HRESULT DllCanUnloadNow() {
    return _Module.GetLockCount() == 0 ? S_OK : S_FALSE;
}

SERVER_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    return _Module.GetClassObject(rclsid, riid, ppv);
}

SERVER_EXPORT HRESULT DllRegisterServer() {
    return _Module.RegisterServer();
}

SERVER_EXPORT HRESULT DllUnregisterServer() {
    return _Module.UnregisterServer();
}
