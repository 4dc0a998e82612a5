// A dialog template from an untrusted component file: every field read stays inside the bytes
// given, and a template read whole describes no more controls than its bytes can hold.
#include "qx/win32/dialog_template.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string problem;
    auto parsed = qx::win32::ParseDialogTemplate(
        std::span<const std::byte>(reinterpret_cast<const std::byte*>(data), size), problem);
    if (parsed) {
        // Each control takes at least 18 bytes of an old template.
        if (parsed->items.size() * 18 > size) {
            __builtin_trap();
        }
        for (const auto& item : parsed->items) {
            if (item.creationData.size() > size) {
                __builtin_trap();
            }
            (void)item.ClassName();
        }
    } else if (problem.empty()) {
        __builtin_trap();
    }
    return 0;
}
