// AppleSingle and AppleDouble forms of any shape unpack without crashing or reading past their
// end; what unpacks packs and unpacks back to the same fields.
#include "mime_apple_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AppleFileCodec codec;
    codec.SetPackedForm(MimeString(reinterpret_cast<const char*>(data), size));
    if (codec.Unpack() != 0) {
        return 0;
    }
    codec.Pack();
    AppleFileCodec back;
    back.SetPackedForm(codec.PackedForm());
    if (back.Unpack() != 0 || back.FileName() != codec.FileName() ||
        back.ResourceFork() != codec.ResourceFork() || back.CreationDate() != codec.CreationDate() ||
        back.AccessDate() != codec.AccessDate() || back.HasFileName() != codec.HasFileName() ||
        back.HasResourceFork() != codec.HasResourceFork()) {
        std::abort();
    }
    if (codec.Kind() == AppleFileCodec::kAppleSingle && back.DataFork() != codec.DataFork()) {
        std::abort();
    }
    return 0;
}
