// Texts from page script through MiscFunc's text helpers: any UTF-16 input gives S_OK and a
// text, and whatever EncodeBase64 makes decodes back to the text before its first NUL.
#include "ansi_text.h"
#include "misc_func.h"

#include <qx/win32/ui_driver.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

qx::win32::MessageBoxRecorder g_boxes;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool prepared = (qx::win32::SetUiDriver(&g_boxes), true);
    (void)prepared;
    std::u16string input;
    for (size_t i = 0; i + 1 < size; i += 2)
        input += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    BSTR text = SysAllocStringLen(input.data(), static_cast<UINT>(input.size()));

    qx::com::ObjectPtr<CMiscFunc> misc;
    if (FAILED(qx::com::CreateObject<CMiscFunc>(misc)))
        std::abort();
    BSTR name = nullptr;
    BSTR decoded = nullptr;
    BSTR encoded = nullptr;
    BSTR again = nullptr;
    if (misc->ExtractFileName(text, &name) != S_OK || !name)
        std::abort();
    if (misc->DecodeBase64(text, &decoded) != S_OK)
        std::abort();
    if (misc->EncodeBase64(text, &encoded) != S_OK || !encoded)
        std::abort();
    if (misc->DecodeBase64(encoded, &again) != S_OK || !again)
        std::abort();
    // The round trip gives the code-page text up to its first NUL.
    std::string ansi = BstrToAnsi(text);
    ansi.resize(ansi.find('\0') == std::string::npos ? ansi.size() : ansi.find('\0'));
    BSTR expected = AnsiToBstr(ansi);
    if (!expected || SysStringLen(expected) != SysStringLen(again) ||
        std::char_traits<char16_t>::compare(expected, again, SysStringLen(again)) != 0)
        std::abort();
    SysFreeString(expected);
    SysFreeString(name);
    SysFreeString(decoded);
    SysFreeString(encoded);
    SysFreeString(again);
    SysFreeString(text);
    g_boxes.Clear();
    return 0;
}
