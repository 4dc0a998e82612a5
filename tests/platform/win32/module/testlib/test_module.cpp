// A component-shaped test module: DllMain records what the loader tells it in the file named by
// QX_TEST_MODULE_LOG, refuses to attach when QX_TEST_MODULE_REFUSE names it, and checks that the
// handle it gets is the one the resource and module functions accept.
#include "shared_counter.h"
#include "winmodule.h"
#include "winresource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#define QX_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

HINSTANCE moduleInstance = nullptr;

void Log(const char* event, const void* reserved, const char* detail) {
    const char* path = std::getenv("QX_TEST_MODULE_LOG");
    if (path == nullptr) {
        return;
    }
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s %s %s %s\n", QX_TEST_MODULE_NAME, event, reserved == nullptr ? "free" : "exit",
                     detail);
        std::fclose(f);
    }
}

// What the module can see of itself through its own handle.
const char* SelfCheck(HINSTANCE instance) {
    char path[4096];
    DWORD n = GetModuleFileNameA(instance, path, sizeof(path));
    if (n == 0 || std::strstr(path, QX_TEST_MODULE_FILE) == nullptr) {
        return "bad-path";
    }
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(101), "REGISTRY");
    if (found == nullptr || SizeofResource(instance, found) == 0) {
        return "no-resources";
    }
    return DisableThreadLibraryCalls(instance) ? "ok" : "no-disable";
}

} // namespace

QX_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        moduleInstance = instance;
        Log("attach", reserved, SelfCheck(instance));
        const char* refuse = std::getenv("QX_TEST_MODULE_REFUSE");
        return refuse != nullptr && std::strcmp(refuse, QX_TEST_MODULE_NAME) == 0 ? FALSE : TRUE;
    }
    if (reason == DLL_PROCESS_DETACH) {
        Log("detach", reserved, instance == moduleInstance ? "same" : "other");
    }
    return TRUE;
}

QX_EXPORT HINSTANCE TestModuleInstance() {
    return moduleInstance;
}

QX_EXPORT int TestModuleCounterNext() {
    return SharedCounterNext();
}
