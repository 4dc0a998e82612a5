// The one data symbol that a component file exports besides its entry points. It tells every
// loader in the process where the file's resources are, and it carries the file's load count
// and attach state, so that loaders built into different components agree on when DllMain runs.
#pragma once

#include <cstdint>

namespace qx::module {

inline constexpr std::uint32_t kAnchorMagic = 0x414D5851u; // "QXMA"
inline constexpr std::uint32_t kAnchorVersion = 1;
inline constexpr const char* kAnchorSymbol = "QxModuleAnchor";

struct ModuleAnchor {
    std::uint32_t magic;
    std::uint32_t version;
    const unsigned char* resourcesBegin; // the file's resource section, start
    const unsigned char* resourcesEnd;   // and end
    int loadCount;                       // LoadLibrary references, all loaders together
    int attached;                        // 1 between DLL_PROCESS_ATTACH and DLL_PROCESS_DETACH
};

} // namespace qx::module
