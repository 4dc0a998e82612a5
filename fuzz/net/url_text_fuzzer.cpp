// URL parsing, combining and canonicalising over arbitrary text: the first byte picks the flags,
// the rest is split at the first NUL into a base and a relative URL. Checks that parts compose
// back to the text they came from, that the API's sizes agree with the text, and that a second
// canonicalisation changes nothing it escaped.
#include "qx/net/url_text.h"
#include "shlwapi_url.h"
#include "winerror.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    static const DWORD kFlags[] = {URL_UNESCAPE, URL_ESCAPE_SPACES_ONLY, URL_ESCAPE_PERCENT,
                                   URL_DONT_SIMPLIFY, URL_DONT_ESCAPE_EXTRA_INFO};
    DWORD flags = 0;
    for (std::size_t bit = 0; bit < 5; ++bit) {
        if ((data[0] >> bit) & 1) {
            flags |= kFlags[bit];
        }
    }
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::size_t nul = text.find('\0');
    std::string base = text.substr(0, nul);
    std::string relative = nul == std::string::npos ? std::string() : text.substr(nul + 1);
    relative = relative.substr(0, relative.find('\0'));

    // "\" separates like "/" in web and file URLs, so only texts without it compose back as they were.
    if (base.find('\\') == std::string::npos && qx::net::ComposeUrl(qx::net::ParseUrl(base)) != base) {
        std::abort();
    }
    std::string combined = qx::net::CombineUrl(base, relative, flags);
    std::string canonical = qx::net::CanonicalizeUrl(base, flags);
    (void)qx::net::UnescapeOnce(relative);

    // Canonical text is a fixed point, unless unescaping or leaving control characters unescaped
    // (which the next pass trims from the ends) is asked for.
    bool stable = (flags & (URL_UNESCAPE | URL_ESCAPE_SPACES_ONLY)) == 0;
    if (stable && qx::net::CanonicalizeUrl(canonical, flags) != canonical) {
        std::abort();
    }

    char small[8];
    DWORD needed = sizeof small;
    HRESULT hr = UrlCombineA(base.c_str(), relative.c_str(), small, &needed, flags);
    if (hr == S_OK ? needed != combined.size() : (hr != E_POINTER || needed != combined.size() + 1)) {
        std::abort();
    }
    std::string buffer(combined.size() + 1, '\x7f');
    DWORD room = static_cast<DWORD>(buffer.size());
    if (UrlCombineA(base.c_str(), relative.c_str(), buffer.data(), &room, flags) != S_OK ||
        std::strcmp(buffer.c_str(), combined.c_str()) != 0) {
        std::abort();
    }
    return 0;
}
