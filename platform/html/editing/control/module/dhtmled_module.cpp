// The DHTML editing control's component file: its entry points, and its registration from the
// REGISTRY scripts it carries. The classes themselves live in the platform library.
#include "qx/html/editing/control/edit_control.h"
#include "qx/win32/registrar.h"

#include "winmodule.h"
#include "winresource.h"

#include <string_view>

#define DHTMLED_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

HINSTANCE g_module = nullptr;

// The scripts of the control and of its two parameter objects.
constexpr WORD kRegistryScripts[] = {101, 102, 103};

HRESULT RunRegistryScripts(bool doRegister) {
    WCHAR path[4096] = {};
    const DWORD length = GetModuleFileNameW(g_module, path, 4096);
    if (length == 0 || length >= 4096)
        return E_FAIL;
    qx::registrar::ReplacementMap replacements;
    replacements.Add(std::u16string_view(u"MODULE"), std::u16string_view(path, length));
    HRESULT result = S_OK;
    for (WORD id : kRegistryScripts) {
        HRSRC found = FindResourceW(g_module, MAKEINTRESOURCEW(id), u"REGISTRY");
        const char* script =
            found ? static_cast<const char*>(LockResource(LoadResource(g_module, found))) : nullptr;
        if (!script)
            return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
        const HRESULT hr = qx::registrar::RunScript(std::string_view(script, SizeofResource(g_module, found)),
                                                    replacements, doRegister);
        // Unregistering goes on past a failure so that as much as possible goes.
        if (FAILED(hr)) {
            if (doRegister)
                return hr;
            result = hr;
        }
    }
    return result;
}

} // namespace

DHTMLED_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}

DHTMLED_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return qx::html::editing::control::GetEditControlClassObject(clsid, riid, object, g_module);
}

DHTMLED_EXPORT HRESULT DllCanUnloadNow() {
    return qx::html::editing::control::EditControlObjectsAlive() ? S_FALSE : S_OK;
}

DHTMLED_EXPORT HRESULT DllRegisterServer() {
    return RunRegistryScripts(true);
}

DHTMLED_EXPORT HRESULT DllUnregisterServer() {
    return RunRegistryScripts(false);
}
