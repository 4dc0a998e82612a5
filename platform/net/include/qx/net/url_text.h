// The URL text rules behind UrlCombineA and UrlCanonicalizeA and the URL streams, for platform
// code that works with std::string.
#pragma once

#include "wintypes.h"

#include <string>
#include <string_view>

namespace qx::net {

// A URL split into its components, each as written (no unescaping).
struct UrlParts {
    std::string scheme; // without ":"; empty when there is none
    bool hasAuthority = false;
    std::string authority;
    std::string path;
    bool hasQuery = false;
    std::string query; // without "?"
    bool hasFragment = false;
    std::string fragment; // without "#"
};

// "c:/x", "C:\x", "c:" and the like.
bool IsDrivePath(std::string_view text);
// Schemes whose URLs have a path of segments: http, https, ftp, file and res.
bool IsHierarchicalScheme(std::string_view lowerScheme);

UrlParts ParseUrl(std::string_view text);
std::string ComposeUrl(const UrlParts& parts);

// Decodes every %XX once; a "%" without two hex digits stays as it is.
std::string UnescapeOnce(std::string_view text);
// True when text[at] is a "%" followed by two hex digits.
bool StartsEscape(std::string_view text, std::size_t at);
// Appends "%XX" for the byte, the hex digits upper-case.
void AppendEscape(std::string& out, unsigned char byte);

// The URL flags of shlwapi_url.h.
std::string CombineUrl(std::string_view base, std::string_view relative, DWORD flags);
std::string CanonicalizeUrl(std::string_view url, DWORD flags);

} // namespace qx::net
