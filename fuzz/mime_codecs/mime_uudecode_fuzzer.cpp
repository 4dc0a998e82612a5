// Uuencoded text of any shape decodes without crashing or reading past its end; what it
// yields encodes and decodes back to the same bytes.
#include "mime_uuencode.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UuencodeCodec codec;
    codec.SetAsciiChars(MimeString(reinterpret_cast<const char*>(data), size));
    codec.Decode();

    UuencodeCodec again;
    again.SetFileName("f");
    again.SetBinaryChars(codec.BinaryChars());
    again.Encode();
    UuencodeCodec back;
    back.SetAsciiChars(again.AsciiChars());
    if (back.Decode() != 0 || back.BinaryChars() != codec.BinaryChars()) {
        std::abort();
    }
    return 0;
}
