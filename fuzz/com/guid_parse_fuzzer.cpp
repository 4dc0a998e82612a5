// GUID text parsing: CLSIDFromString / IIDFromString over the input as UTF-16 and as bytes widened to
// UTF-16; whatever parses must print back to the same text, ignoring the case of hex digits.
#include "objbase.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

char16_t Upper(char16_t c) {
    return (c >= u'a' && c <= u'f') ? static_cast<char16_t>(c - 32) : c;
}

void Check(const std::u16string& text) {
    CLSID clsid{};
    HRESULT hr = CLSIDFromString(text.c_str(), &clsid);
    IID iid{};
    HRESULT hr2 = IIDFromString(text.c_str(), &iid);
    if (SUCCEEDED(hr) != SUCCEEDED(hr2))
        std::abort();
    if (FAILED(hr)) {
        if (hr != CO_E_CLASSSTRING || !IsEqualGUID(clsid, CLSID_NULL))
            std::abort();
        return;
    }
    if (!IsEqualGUID(clsid, iid))
        std::abort();
    OLECHAR printed[39];
    if (StringFromGUID2(clsid, printed, 39) != 39)
        std::abort();
    if (text.size() != 38)
        std::abort();
    for (std::size_t i = 0; i < 38; ++i)
        if (Upper(text[i]) != printed[i])
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string widened;
    for (size_t i = 0; i < size; ++i)
        widened.push_back(static_cast<char16_t>(data[i]));
    Check(widened.substr(0, widened.find(u'\0')));
    std::u16string units;
    for (size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    Check(units.substr(0, units.find(u'\0')));
    return 0;
}
