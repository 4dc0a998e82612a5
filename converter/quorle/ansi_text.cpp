#include "ansi_text.h"

#include <stringapiset.h>

#include <climits>

std::string BstrToAnsi(const OLECHAR* text) {
    if (text == NULL)
        return std::string();
    return BstrToAnsi(text, SysStringLen(const_cast<BSTR>(text)));
}

std::string BstrToAnsi(const OLECHAR* text, UINT length) {
    if (text == NULL || length == 0 || length > INT_MAX / 2)
        return std::string();
    const int wide = static_cast<int>(length);
    const int needed = WideCharToMultiByte(CP_ACP, 0, text, wide, NULL, 0, NULL, NULL);
    if (needed <= 0)
        return std::string();
    std::string result(static_cast<size_t>(needed), '\0');
    const int written = WideCharToMultiByte(CP_ACP, 0, text, wide, &result[0], needed, NULL, NULL);
    result.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return result;
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
    const int written = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, result, needed);
    if (written != needed) {
        SysFreeString(result);
        return SysAllocStringLen(NULL, 0);
    }
    return result;
}
