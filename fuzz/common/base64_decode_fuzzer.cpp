// Base64 decoding of arbitrary text into buffers of every tight size: nothing is read or written
// out of bounds, and the encoder's output of the decoded bytes decodes to the same bytes.
#include "base64.h"
#include "string_array.h"
#include "string_helpers.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    Base64Decoder decoder;

    std::vector<unsigned char> full(Base64Decoder::MaxDecodedSize(text.size()));
    size_t count = decoder.Decode(text, full.data(), full.size());
    if (count > full.size())
        std::abort();

    // A buffer one byte short of what decoding needs is filled, never overrun.
    if (count > 0) {
        std::vector<unsigned char> tight(count - 1);
        if (decoder.Decode(text, tight.data(), tight.size()) != count - 1)
            std::abort();
    }

    Base64Encoder encoder;
    std::string again = encoder.Encode(full.data(), count);
    std::vector<unsigned char> back(Base64Decoder::MaxDecodedSize(again.size()));
    size_t backCount = decoder.Decode(again, back.data(), back.size());
    if (backCount != count ||
        !std::equal(back.begin(), back.begin() + static_cast<long>(count), full.begin()))
        std::abort();

    // The text helpers on the same input: splitting and replacing must end and stay in bounds.
    if (size > 1) {
        std::string delimiter = text.substr(0, 1 + data[0] % 3);
        StringArray array;
        array.Split(text, delimiter, data[0] & 1);
        ReplaceAll(text, delimiter, "[]", data[0] & 2 ? 1 : 0);
        LfToCrLf(text);
        TrimSpaces(text);
    }
    return 0;
}
