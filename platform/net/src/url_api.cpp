// UrlCombineA and UrlCanonicalizeA: the URL text rules with the buffer conventions of the API.
#include "qx/net/url_text.h"
#include "shlwapi_url.h"
#include "winerror.h"

#include <cstring>

namespace {

HRESULT CopyOut(const std::string& text, LPSTR buffer, DWORD* size) {
    if (text.size() + 1 > 0xFFFFFFFFu) {
        return E_OUTOFMEMORY;
    }
    auto needed = static_cast<DWORD>(text.size() + 1);
    if (buffer == nullptr || *size < needed) {
        *size = needed;
        return E_POINTER;
    }
    std::memcpy(buffer, text.c_str(), needed);
    *size = needed - 1;
    return S_OK;
}

} // namespace

HRESULT UrlCombineA(LPCSTR pszBase, LPCSTR pszRelative, LPSTR pszCombined, DWORD* pcchCombined,
                    DWORD dwFlags) {
    if (pszBase == nullptr || pszRelative == nullptr || pcchCombined == nullptr) {
        return E_INVALIDARG;
    }
    return CopyOut(qx::net::CombineUrl(pszBase, pszRelative, dwFlags), pszCombined, pcchCombined);
}

HRESULT UrlCanonicalizeA(LPCSTR pszUrl, LPSTR pszCanonicalized, DWORD* pcchCanonicalized, DWORD dwFlags) {
    if (pszUrl == nullptr || pcchCanonicalized == nullptr) {
        return E_INVALIDARG;
    }
    return CopyOut(qx::net::CanonicalizeUrl(pszUrl, dwFlags), pszCanonicalized, pcchCanonicalized);
}
