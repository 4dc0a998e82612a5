#include "ansi_text.h"

#include <stringapiset.h>

#include <vector>

namespace {

bool Convert(BSTR text, std::string& ansi, BOOL* usedDefault) {
    ansi.clear();
    const int length = static_cast<int>(SysStringLen(text));
    if (length == 0)
        return true;
    const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return false;
    ansi.resize(static_cast<size_t>(size));
    return WideCharToMultiByte(CP_ACP, 0, text, length, ansi.data(), size, nullptr, usedDefault) == size;
}

} // namespace

std::string BstrToAnsi(BSTR text) {
    std::string ansi;
    if (!Convert(text, ansi, nullptr))
        ansi.clear();
    return ansi;
}

bool BstrToAnsiExact(BSTR text, std::string& ansi) {
    BOOL usedDefault = FALSE;
    if (!Convert(text, ansi, &usedDefault) || usedDefault)
        return false;
    return ansi.find('\0') == std::string::npos;
}

BSTR AnsiToBstr(const std::string& ansi) {
    if (ansi.empty())
        return SysAllocString(u"");
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (length <= 0)
        return SysAllocString(u"");
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!text)
        return nullptr;
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), text, length);
    return text;
}
