// The word processor stand-in's component file: its entry points, and its registration from the
// REGISTRY script it carries. The class itself lives in the platform library, with the
// dictionaries it loads once per process.
#include "qx/win32/registrar.h"
#include "qx/word/word_server.h"

#include "winmodule.h"
#include "winresource.h"

#include <string_view>

#define QXWORD_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

HINSTANCE g_module = nullptr;

constexpr WORD kApplicationScript = 101;

HRESULT RunRegistryScript(bool doRegister) {
    WCHAR path[4096] = {};
    const DWORD length = GetModuleFileNameW(g_module, path, 4096);
    if (length == 0 || length >= 4096)
        return E_FAIL;
    qx::registrar::ReplacementMap replacements;
    replacements.Add(std::u16string_view(u"MODULE"), std::u16string_view(path, length));
    HRSRC found = FindResourceW(g_module, MAKEINTRESOURCEW(kApplicationScript), u"REGISTRY");
    const char* script =
        found ? static_cast<const char*>(LockResource(LoadResource(g_module, found))) : nullptr;
    if (!script)
        return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    return qx::registrar::RunScript(std::string_view(script, SizeofResource(g_module, found)), replacements,
                                    doRegister);
}

} // namespace

QXWORD_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}

QXWORD_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return qx::word::GetWordClassObject(clsid, riid, object);
}

QXWORD_EXPORT HRESULT DllCanUnloadNow() {
    return qx::word::WordObjectsAlive() ? S_FALSE : S_OK;
}

QXWORD_EXPORT HRESULT DllRegisterServer() {
    return RunRegistryScript(true);
}

QXWORD_EXPORT HRESULT DllUnregisterServer() {
    return RunRegistryScript(false);
}
