// The loader behind LoadLibrary and friends, for platform code that works with UTF-8 paths
// (the activation layer loads in-process servers through it).
//
// A module handle of a loaded file is the address of the file's ELF header in memory, as a
// Windows module handle is the address of its image: any copy of this loader in the process can
// tell its path, exports and resources from the handle alone. Statically linked components are
// registered under a path of their choice and get a handle of their own.
#pragma once

#include "winmodule.h"
#include "wintypes.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qx::module {

struct StaticExport {
    std::string name;
    void* address;
};

struct StaticModuleInfo {
    std::string path;                  // the name it answers to (UTF-8, made absolute)
    const void* resources = nullptr;   // the start of its packed resource blob, or null
    std::vector<StaticExport> exports; // "DllMain" among them is called on attach and detach
};

// Registers a statically linked component. LoadLibrary of its path (or of its file name) then
// returns this handle, counts references and calls its DllMain like a file's. Registering the
// same path again returns the existing handle.
HMODULE RegisterStaticModule(StaticModuleInfo info);

// Loads (or adds a reference to) the module at utf8Path; on failure returns null and sets the
// thread's last error (ERROR_MOD_NOT_FOUND, ERROR_BAD_EXE_FORMAT, ERROR_DLL_INIT_FAILED).
HMODULE LoadModule(const std::string& utf8Path);

// Drops one reference; the last one runs DLL_PROCESS_DETACH and unloads the file.
bool FreeModule(HMODULE module);

// An export of the module itself (not of the libraries it depends on), or null.
void* FindExport(HMODULE module, const char* name);

// Full UTF-8 path of the module; null module means the executable.
std::optional<std::string> ModulePath(HMODULE module);

// The handle of a module already loaded, by full path or by file name; null name = executable.
HMODULE FindLoadedModule(const std::string& utf8Name);

// The bytes of the module's resource section (one or more packed blobs); empty when it has none.
// Null module means the executable. nullopt when the handle is not a module.
std::optional<std::span<const std::byte>> ModuleResources(HMODULE module);

// Whether the handle names a live module.
bool IsModule(HMODULE module);

} // namespace qx::module
