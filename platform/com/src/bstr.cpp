// BSTR allocation: a 32-bit byte length, the characters, then a zero character.
#include "oleauto.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT kMaxBytes = 0x7FFFFFF0u;

DWORD* Header(BSTR s) {
    return reinterpret_cast<DWORD*>(reinterpret_cast<BYTE*>(s) - sizeof(DWORD));
}

// Room for the byte length, `bytes` bytes of text and a zero character; the text is left to the caller.
BSTR AllocateBytes(UINT bytes) {
    if (bytes > kMaxBytes)
        return nullptr;
    auto* block = static_cast<BYTE*>(std::malloc(sizeof(DWORD) + bytes + sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    DWORD length = bytes;
    std::memcpy(block, &length, sizeof length);
    std::memset(block + sizeof(DWORD) + bytes, 0, sizeof(OLECHAR));
    return reinterpret_cast<BSTR>(block + sizeof(DWORD));
}

UINT TextLength(const OLECHAR* s) {
    UINT n = 0;
    while (s[n])
        ++n;
    return n;
}

} // namespace

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    if (ui > kMaxBytes / sizeof(OLECHAR))
        return nullptr;
    BSTR s = AllocateBytes(ui * sizeof(OLECHAR));
    if (!s)
        return nullptr;
    if (strIn)
        std::memcpy(s, strIn, ui * sizeof(OLECHAR));
    else
        std::memset(s, 0, ui * sizeof(OLECHAR));
    return s;
}

BSTR SysAllocString(const OLECHAR* psz) {
    if (!psz)
        return nullptr;
    return SysAllocStringLen(psz, TextLength(psz));
}

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) {
    BSTR s = AllocateBytes(len);
    if (!s)
        return nullptr;
    auto* bytes = reinterpret_cast<BYTE*>(s);
    if (psz)
        std::memcpy(bytes, psz, len);
    else
        std::memset(bytes, 0, len);
    // An odd byte count still ends in a whole zero character.
    bytes[len] = 0;
    return s;
}

INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
    if (!pbstr)
        return FALSE;
    // psz may point into the old string, so copy before freeing it.
    BSTR fresh = SysAllocStringLen(psz, len);
    if (!fresh)
        return FALSE;
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
    if (!pbstr)
        return FALSE;
    if (!psz) {
        SysFreeString(*pbstr);
        *pbstr = nullptr;
        return TRUE;
    }
    return SysReAllocStringLen(pbstr, psz, TextLength(psz));
}

void SysFreeString(BSTR bstrString) {
    if (bstrString)
        std::free(Header(bstrString));
}

UINT SysStringByteLen(BSTR bstr) {
    if (!bstr)
        return 0;
    DWORD length;
    std::memcpy(&length, Header(bstr), sizeof length);
    return length;
}

UINT SysStringLen(BSTR pbstr) {
    return SysStringByteLen(pbstr) / sizeof(OLECHAR);
}
