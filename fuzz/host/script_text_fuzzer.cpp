// Fuzz target of the script host's reading of script bytes: whatever the bytes (a mark of either
// UTF-16 order, a UTF-8 mark, valid UTF-8 or not), the text is well-formed UTF-8, and valid UTF-8
// without a mark comes back unchanged.
#include "script_file.h"

#include <qx/win32/codepage.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = qx::host::DecodeScriptBytes(bytes);
    std::u16string wide;
    if (!text.empty() && !qx::win32::Utf8ToWideStrict(text, wide))
        std::abort();
    const bool marked = bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF" ||
                        bytes.substr(0, 3) == "\xEF\xBB\xBF";
    if (!marked && qx::win32::Utf8ToWideStrict(bytes, wide) && text != bytes)
        std::abort();
    return 0;
}
