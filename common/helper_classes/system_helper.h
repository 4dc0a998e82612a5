// Where the component file lies and which system runs it.
#pragma once

#include <wintypes.h>

#include <string>

class SystemHelper {
public:
    virtual ~SystemHelper() = default;

    // The full path of the module's file; "" when the module is unknown.
    static std::string GetModulePath(HMODULE module);
    // Whether the running system is the one named: "win95", "win98", "winnt35", "winnt40",
    // "win2000" (the NT 5 line) or "all" (any); false for any other name.
    static bool IsOperatingSystem(const char* name);
    // Whether the running system is of the NT platform.
    static bool IsNtPlatform();
};
