// FormatMessageA from the system's message table.
#include "winbase_message.h"

#include "system_messages.h"
#include "winerror.h"

#include <cstring>
#include <string>

namespace {

DWORD Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

bool IsSystemLanguage(DWORD language) {
    const DWORD primary = language & 0x3FF;
    return language == 0 || language == MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT) ||
           language == MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT) || primary == LANG_ENGLISH;
}

// With a width, the message's own line breaks become spaces; a width below the mask also
// breaks lines at spaces so that none passes it (a longer word is cut).
std::string ApplyWidth(const std::string& text, DWORD width) {
    std::string flat;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            flat += ' ';
            ++i;
        } else {
            flat += text[i];
        }
    }
    if (width == FORMAT_MESSAGE_MAX_WIDTH_MASK)
        return flat;
    std::string out;
    std::size_t lineStart = 0;
    while (flat.size() - lineStart > width) {
        std::size_t cut = flat.rfind(' ', lineStart + width);
        if (cut == std::string::npos || cut < lineStart || cut == lineStart) {
            out.append(flat, lineStart, width);
            lineStart += width;
        } else {
            out.append(flat, lineStart, cut - lineStart);
            lineStart = cut + 1;
        }
        out += "\r\n";
    }
    out.append(flat, lineStart, std::string::npos);
    return out;
}

} // namespace

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer,
                            DWORD nSize, va_list*) {
    if (!lpBuffer)
        return Fail(ERROR_INVALID_PARAMETER);
    if (dwFlags & FORMAT_MESSAGE_FROM_STRING)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM))
        return Fail((dwFlags & FORMAT_MESSAGE_FROM_HMODULE) ? ERROR_RESOURCE_TYPE_NOT_FOUND
                                                            : ERROR_INVALID_PARAMETER);
    // Component files carry no message tables, so FORMAT_MESSAGE_FROM_HMODULE adds nothing.
    const char* found = qx::win32::SystemMessageText(dwMessageId);
    if (!found)
        return Fail(ERROR_MR_MID_NOT_FOUND);
    if (!IsSystemLanguage(dwLanguageId))
        return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);
    const DWORD width = dwFlags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
    const std::string text = width ? ApplyWidth(found, width) : std::string(found);
    const DWORD length = static_cast<DWORD>(text.size());

    if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        LPSTR* out = reinterpret_cast<LPSTR*>(lpBuffer);
        *out = nullptr;
        const SIZE_T bytes = nSize > length ? nSize : length + 1;
        LPSTR block = static_cast<LPSTR>(LocalAlloc(LMEM_FIXED, bytes));
        if (!block)
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
        std::memcpy(block, text.c_str(), length + 1);
        *out = block;
        return length;
    }
    if (nSize < length + 1) {
        if (nSize > 0)
            lpBuffer[0] = '\0';
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(lpBuffer, text.c_str(), length + 1);
    return length;
}
