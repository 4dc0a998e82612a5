#include "ansi_text.h"

#include <stringapiset.h>

#include <climits>

namespace {

// False when the code page cannot take the text; `usedDefault`, when given, says whether a
// character had no mapping.
bool ToAnsi(const OLECHAR* text, UINT length, std::string& ansi, BOOL* usedDefault) {
    ansi.clear();
    if (text == NULL || length == 0)
        return true;
    if (length > INT_MAX / 2)
        return false;
    const int wide = static_cast<int>(length);
    const int needed = WideCharToMultiByte(CP_ACP, 0, text, wide, NULL, 0, NULL, NULL);
    if (needed <= 0)
        return false;
    ansi.resize(static_cast<size_t>(needed));
    const int written = WideCharToMultiByte(CP_ACP, 0, text, wide, &ansi[0], needed, NULL, usedDefault);
    if (written != needed) {
        ansi.clear();
        return false;
    }
    return true;
}

} // namespace

std::string BstrToAnsi(const OLECHAR* text) {
    if (text == NULL)
        return std::string();
    return BstrToAnsi(text, SysStringLen(const_cast<BSTR>(text)));
}

std::string BstrToAnsi(const OLECHAR* text, UINT length) {
    std::string ansi;
    ToAnsi(text, length, ansi, NULL);
    return ansi;
}

bool BstrToAnsiExact(BSTR text, std::string& ansi) {
    BOOL usedDefault = FALSE;
    if (!ToAnsi(text, SysStringLen(text), ansi, &usedDefault) || usedDefault)
        return false;
    return ansi.find('\0') == std::string::npos;
}

BSTR AnsiToBstr(const std::string& text) {
    if (text.empty() || text.size() > INT_MAX)
        return SysAllocStringLen(NULL, 0);
    const int bytes = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, NULL, 0);
    if (needed <= 0)
        return SysAllocStringLen(NULL, 0);
    BSTR result = SysAllocStringLen(NULL, static_cast<UINT>(needed));
    if (result == NULL)
        return NULL;
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, result, needed) != needed) {
        SysFreeString(result);
        return SysAllocStringLen(NULL, 0);
    }
    return result;
}
