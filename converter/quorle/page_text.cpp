#include "page_text.h"

#include <stringapiset.h>

#include <climits>

#include "byte_text.h"

namespace {

bool IsAscii(const std::string& text) {
    for (char ch : text) {
        if (static_cast<unsigned char>(ch) >= 0x80)
            return false;
    }
    return true;
}

std::u16string ToWide(const std::string& bytes, UINT codePage) {
    std::u16string wide;
    if (bytes.empty() || bytes.size() > INT_MAX)
        return wide;
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), length, NULL, 0);
    if (needed <= 0)
        return wide;
    wide.resize(static_cast<size_t>(needed));
    const int written = MultiByteToWideChar(codePage, 0, bytes.data(), length, wide.data(), needed);
    wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return wide;
}

std::string FromWide(const std::u16string& wide, UINT codePage) {
    std::string bytes;
    if (wide.empty() || wide.size() > INT_MAX / 4)
        return bytes;
    const int length = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(codePage, 0, wide.data(), length, NULL, 0, NULL, NULL);
    if (needed <= 0)
        return bytes;
    bytes.resize(static_cast<size_t>(needed));
    const int written =
        WideCharToMultiByte(codePage, 0, wide.data(), length, bytes.data(), needed, NULL, NULL);
    bytes.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return bytes;
}

} // namespace

UINT NormaliseCodePage(UINT codePage) {
    return codePage == GetACP() ? CP_ACP : codePage;
}

BSTR PageBytesToBstr(const std::string& bytes, UINT codePage) {
    codePage = NormaliseCodePage(codePage);
    if (codePage == CP_ACP)
        return BytesToBstr(bytes);
    const std::u16string wide = ToWide(bytes, codePage);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string RecodeText(const std::string& text, UINT from, UINT to) {
    from = NormaliseCodePage(from);
    to = NormaliseCodePage(to);
    if (from == to || IsAscii(text))
        return text;
    return FromWide(ToWide(text, from), to);
}

bool IsWellFormed(const std::string& bytes, UINT codePage) {
    if (bytes.empty())
        return true;
    if (bytes.size() > INT_MAX)
        return false;
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                               NULL, 0) > 0;
}
