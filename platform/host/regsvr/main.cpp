// regsvr [-u] FILE...: loads each component file and calls its DllRegisterServer (or, with -u,
// DllUnregisterServer), one line per file. Exit status 0 when every file succeeded, 1 when any
// failed, 2 for a wrong command line.
#include "objbase_activation.h"
#include "qx/module/loader.h"
#include "qx/win32/registry.h"
#include "winerror.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using ServerFunction = HRESULT (*)();

const char* Explain(HRESULT hr) {
    switch (static_cast<unsigned long>(static_cast<ULONG>(hr))) {
    case 0x80070005ul:
        return "access denied: the registry cannot be written";
    case 0x800703F7ul:
        return "the registry file is damaged";
    case 0x80020009ul:
        return "a registry script of the component is not valid";
    case 0x80029C4Aul:
        return "the type library cannot be loaded";
    case 0x80070716ul:
        return "a registry script is missing from the component";
    case 0x8007000Eul:
        return "out of memory";
    default:
        return nullptr;
    }
}

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(static_cast<ULONG>(hr)));
    return text;
}

bool Process(const std::string& file, bool unregister) {
    const char* function = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(file, ec);
    HMODULE module = qx::module::LoadModule(ec ? file : path.string());
    if (!module) {
        std::printf("%s: cannot be loaded (not a component file, or missing)\n", file.c_str());
        return false;
    }
    auto call = reinterpret_cast<ServerFunction>(qx::module::FindExport(module, function));
    bool ok = false;
    if (!call) {
        std::printf("%s: %s not found (0x%08lX)\n", file.c_str(), function,
                    static_cast<unsigned long>(static_cast<ULONG>(CO_E_ERRORINDLL)));
    } else {
        HRESULT hr = call();
        ok = SUCCEEDED(hr);
        if (ok) {
            std::printf("%s: %s succeeded\n", file.c_str(), function);
        } else if (const char* why = Explain(hr)) {
            std::printf("%s: %s failed with %s (%s; registry %s)\n", file.c_str(), function, Hex(hr).c_str(),
                        why, qx::registry::RegistryDirectory().string().c_str());
        } else {
            std::printf("%s: %s failed with %s\n", file.c_str(), function, Hex(hr).c_str());
        }
    }
    qx::module::FreeModule(module);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    bool unregister = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-u") == 0 || std::strcmp(argv[i], "/u") == 0)
            unregister = true;
        else
            files.emplace_back(argv[i]);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: regsvr [-u] FILE...\n");
        return 2;
    }
    const HRESULT init = CoInitialize(nullptr);
    bool allOk = true;
    for (const auto& file : files)
        allOk = Process(file, unregister) && allOk;
    if (SUCCEEDED(init))
        CoUninitialize();
    std::fflush(stdout);
    return allOk ? 0 : 1;
}
