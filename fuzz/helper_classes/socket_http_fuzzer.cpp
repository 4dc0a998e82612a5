// The socket HTTP client's response reader fed in pieces whose sizes come from the input, and
// the URL splitter on the same bytes: neither may read out of bounds or keep more than its
// limits allow.
#include "http_message.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    size_t limit = data[0] * 16u;
    size_t piece = data[1] % 64 + 1;
    const char* text = reinterpret_cast<const char*>(data + 2);
    size_t length = size - 2;

    HttpResponseReader reader(limit);
    for (size_t at = 0; at < length; at += piece) {
        size_t n = length - at < piece ? length - at : piece;
        if (!reader.Feed(text + at, n))
            break;
    }
    if (reader.Body().size() > limit || reader.Header().size() > HttpResponseReader::kMaxHeaderBytes)
        std::abort();
    if (reader.ContentLength() >= 0 && static_cast<unsigned long long>(reader.Body().size()) >
                                           static_cast<unsigned long long>(reader.ContentLength()))
        std::abort();

    HttpUrlParts parts;
    if (SplitHttpUrl(std::string(text, length), parts)) {
        if (parts.host.empty() || parts.port < 1 || parts.port > 65535 || parts.path.empty() ||
            parts.path[0] != '/')
            std::abort();
    }
    return 0;
}
