// Fuzz target of the compactor: any bytes compact without a crash or hang, the result does not
// depend on how the text is cut into pieces, it is never longer than the input, and compacting it
// again changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "compactor/compactor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string whole = compactor::compact(text);

    // Cut into pieces whose sizes come from the text itself.
    compactor::Compactor pieces;
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t n = std::min<size_t>(1 + static_cast<unsigned char>(text[pos]) % 7, text.size() - pos);
        pieces.Put(text.substr(pos, n), out);
        pos += n;
    }
    pieces.Finish(out);

    if (out != whole || whole.size() > text.size())
        std::abort();
    if (compactor::compact(whole) != whole)
        std::abort();
    return 0;
}
