// Choosing the source of a URL by its scheme.
#include "byte_source.h"
#include "qx/net/url_text.h"
#include "winerror.h"

#include <cctype>

namespace qx::net {
namespace {

std::string LowerScheme(const std::string& scheme) {
    std::string out = scheme;
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// The local path of a file URL: file:///abs, file:///c:/x, file://c:/x, file://localhost/abs;
// %XX unescaped once. Empty for a URL that names another host.
std::string PathOfFileUrl(const std::string& url) {
    UrlParts parts = ParseUrl(url);
    std::string authority = parts.authority;
    std::string path = parts.path;
    if (IsDrivePath(authority)) {
        path = authority + path;
    } else if (!authority.empty() && LowerScheme(authority) != "localhost") {
        return {};
    } else if (path.size() >= 3 && path[0] == '/' && IsDrivePath(std::string_view(path).substr(1))) {
        path.erase(0, 1);
    } else if (path.size() >= 3 && path[0] == '\\' && IsDrivePath(std::string_view(path).substr(1))) {
        path.erase(0, 1);
    }
    return UnescapeOnce(path);
}

} // namespace

HRESULT OpenByteSource(const std::string& url, std::unique_ptr<ByteSource>& source,
                       const RequestData& request) {
    if (url.empty()) {
        return INET_E_INVALID_URL;
    }
    // Plain local paths name the file as they stand.
    if (IsDrivePath(url) || (url[0] == '/' && (url.size() == 1 || url[1] != '/'))) {
        return OpenFileSource(url, source);
    }
    UrlParts parts = ParseUrl(url);
    std::string scheme = LowerScheme(parts.scheme);
    if (scheme == "file") {
        std::string path = PathOfFileUrl(url);
        return path.empty() ? INET_E_RESOURCE_NOT_FOUND : OpenFileSource(path, source);
    }
    if (scheme == "http" || scheme == "https") {
        return parts.hasAuthority && !parts.authority.empty() ? OpenHttpSource(url, source, request)
                                                              : INET_E_INVALID_URL;
    }
    if (scheme == "res") {
        std::string spec = parts.authority.empty() ? parts.path : parts.authority + parts.path;
        if (parts.hasAuthority && parts.authority.empty() && !spec.empty() && spec[0] == '/' &&
            spec.size() >= 3 && IsDrivePath(std::string_view(spec).substr(1))) {
            spec.erase(0, 1);
        }
        return OpenResourceSource(UnescapeOnce(spec), source);
    }
    return scheme.empty() ? INET_E_INVALID_URL : INET_E_UNKNOWN_PROTOCOL;
}

} // namespace qx::net
