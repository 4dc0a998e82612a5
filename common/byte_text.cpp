#include "byte_text.h"

#include <stringapiset.h>

#include <climits>
#include <cstring>

namespace {

const OLECHAR kEscapeBase = 0xDC00;

bool IsEscape(OLECHAR ch) {
    return ch >= kEscapeBase + 0x80 && ch <= kEscapeBase + 0xFF;
}

// The character at bytes and the number of bytes it takes (1 or 2), when the code page reads
// it; 0 when it does not.
size_t ReadCharacter(const char* bytes, size_t available, OLECHAR& ch) {
    const BYTE lead = static_cast<BYTE>(bytes[0]);
    if (lead < 0x80) {
        ch = lead;
        return 1;
    }
    OLECHAR wide[2];
    if (available >= 2 && IsDBCSLeadByteEx(CP_ACP, lead) &&
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, 2, wide, 2) == 1) {
        ch = wide[0];
        return 2;
    }
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, 1, wide, 2) == 1) {
        ch = wide[0];
        return 1;
    }
    return 0;
}

void AppendAnsi(std::string& out, const OLECHAR* text, size_t length) {
    if (length == 0 || length > INT_MAX / 2)
        return;
    const int wide = static_cast<int>(length);
    const int needed = WideCharToMultiByte(CP_ACP, 0, text, wide, NULL, 0, NULL, NULL);
    if (needed <= 0)
        return;
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(needed));
    const int written = WideCharToMultiByte(CP_ACP, 0, text, wide, &out[at], needed, NULL, NULL);
    out.resize(at + (written > 0 ? static_cast<size_t>(written) : 0));
}

} // namespace

BSTR BytesToBstr(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX)
        return SysAllocStringLen(NULL, 0);
    // A text the code page reads whole converts in one call; the code page's characters map one
    // to one, so it comes back as the same bytes.
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), length, NULL, 0);
    if (needed > 0) {
        BSTR result = SysAllocStringLen(NULL, static_cast<UINT>(needed));
        if (result == NULL)
            return NULL;
        if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), length, result, needed) == needed)
            return result;
        SysFreeString(result);
    }
    std::u16string wide;
    wide.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        OLECHAR ch = 0;
        size_t used = ReadCharacter(bytes.data() + i, bytes.size() - i, ch);
        if (used == 0) {
            ch = static_cast<OLECHAR>(kEscapeBase + static_cast<BYTE>(bytes[i]));
            used = 1;
        }
        wide += ch;
        i += used;
    }
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string BstrToBytes(const OLECHAR* text, UINT length) {
    std::string out;
    if (text == NULL)
        return out;
    size_t from = 0;
    for (size_t i = 0; i < length; ++i) {
        if (!IsEscape(text[i]))
            continue;
        AppendAnsi(out, text + from, i - from);
        out += static_cast<char>(text[i] - kEscapeBase);
        from = i + 1;
    }
    AppendAnsi(out, text + from, length - from);
    return out;
}

std::string BstrToBytes(BSTR text) {
    return BstrToBytes(text, SysStringLen(text));
}
