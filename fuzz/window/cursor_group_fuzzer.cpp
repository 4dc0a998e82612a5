// A cursor group from an untrusted component file: every entry read must lie inside the input,
// and a group that claims more entries than it holds is refused.
#include "qx/win32/cursor_group.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Copied so that the bounds are exact.
    std::vector<BYTE> group(data, data + size);
    auto ids = qx::win32::ParseCursorGroup(group);
    if (ids && (ids->empty() || 6 + 14 * ids->size() > size)) {
        std::abort();
    }
    return 0;
}
