// Registry files as found on disk, damaged or not: the loader must refuse or accept without
// crashing, and whatever it accepts must be written back and read again to the same registry.
#include "registry_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qx::registry::detail;
    ParsedTree parsed = ParseTree(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed.tree) {
        if (parsed.error.empty())
            std::abort();
        return 0;
    }
    const std::string written = SerializeTree(*parsed.tree);
    ParsedTree again = ParseTree(written);
    if (!again.tree || !again.tree->SameAs(*parsed.tree) || SerializeTree(*again.tree) != written)
        std::abort();
    return 0;
}
