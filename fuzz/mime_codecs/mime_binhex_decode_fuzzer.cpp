// BinHex text of any shape decodes without crashing, hanging or allocating what the input
// cannot hold; a file that decodes encodes and decodes back to the same fields.
#include "mime_binhex.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BinHexCodec codec;
    codec.SetBinHexChars(MimeString(reinterpret_cast<const char*>(data), size));
    if (codec.Decode() != 0) {
        return 0;
    }
    codec.Encode();
    BinHexCodec back;
    back.SetBinHexChars(codec.BinHexChars());
    if (back.Decode() != 0 || std::strcmp(back.FileName(), codec.FileName()) != 0 ||
        std::memcmp(back.FileType(), codec.FileType(), 4) != 0 ||
        std::memcmp(back.FileCreator(), codec.FileCreator(), 4) != 0 || back.Flag1() != codec.Flag1() ||
        back.Flag2() != codec.Flag2() || back.DataFork() != codec.DataFork() ||
        back.ResourceFork() != codec.ResourceFork()) {
        std::abort();
    }
    return 0;
}
