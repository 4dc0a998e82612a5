// Combining a relative URL with its base and bringing URLs into their usual form.
#include "qx/net/url_text.h"
#include "shlwapi_url.h"

#include <cctype>
#include <vector>

namespace qx::net {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// Leading and trailing blanks and control characters are not part of a URL.
std::string_view Trim(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

void Replace(std::string& text, char from, char to) {
    for (char& c : text) {
        if (c == from) {
            c = to;
        }
    }
}

// A local path as a file URL: "c:\dir\x" is file:///c:/dir/x, "/home/x" is file:///home/x.
// "#" and "?" are characters of a file name there, so they are escaped.
UrlParts FileUrlFromPath(std::string_view path) {
    UrlParts parts;
    parts.scheme = "file";
    parts.hasAuthority = true;
    if (IsDrivePath(path)) {
        parts.path = "/";
    }
    for (char c : path) {
        if (c == '\\') {
            parts.path += '/';
        } else if (c == '#') {
            parts.path += "%23";
        } else if (c == '?') {
            parts.path += "%3F";
        } else {
            parts.path += c;
        }
    }
    return parts;
}

// Length of a "/c:" drive prefix of a file or res path (0 when there is none).
std::size_t DrivePrefix(const UrlParts& parts) {
    if (parts.scheme != "file" && parts.scheme != "res") {
        return 0;
    }
    std::string_view path = parts.path;
    if (path.size() >= 3 && path[0] == '/' && IsDrivePath(path.substr(1))) {
        return 3;
    }
    return 0;
}

// The usual form of a hierarchical URL's scheme, separators and host.
void NormaliseHierarchical(UrlParts& parts) {
    Replace(parts.path, '\\', '/');
    if (parts.scheme == "file" || parts.scheme == "res") {
        // "file://c:/x" names the drive, not a host; "file:c:/x" and "file:/x" lack the "//".
        if (parts.hasAuthority && IsDrivePath(parts.authority)) {
            parts.path = "/" + parts.authority + parts.path;
            parts.authority.clear();
        } else if (parts.scheme == "file" && Lower(parts.authority) == "localhost") {
            parts.authority.clear();
        }
        if (!parts.hasAuthority && !parts.path.empty() && parts.path[0] != '/') {
            parts.path = "/" + parts.path;
        }
        parts.hasAuthority = parts.hasAuthority || !parts.path.empty();
    }
}

// Removes "." and ".." segments; ".." never climbs above the root (or the drive of a file URL).
std::string RemoveDots(std::string_view path) {
    bool absolute = !path.empty() && path[0] == '/';
    std::vector<std::string_view> out;
    std::size_t at = absolute ? 1 : 0;
    if (path.empty()) {
        return {};
    }
    for (;;) {
        std::size_t end = path.find('/', at);
        bool last = end == std::string_view::npos;
        std::string_view segment = path.substr(at, last ? std::string_view::npos : end - at);
        if (segment == ".") {
            if (last) {
                out.emplace_back();
            }
        } else if (segment == "..") {
            if (!out.empty() && out.back() != "..") {
                out.pop_back();
            } else if (!absolute) {
                out.push_back(segment);
            }
            if (last) {
                out.emplace_back();
            }
        } else {
            out.push_back(segment);
        }
        if (last) {
            break;
        }
        at = end + 1;
    }
    std::string result = absolute ? "/" : "";
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i > 0) {
            result += '/';
        }
        result += out[i];
    }
    return result;
}

// Unescapes once but keeps "%23" and "%3F", whose characters would change the URL's structure.
std::string UnescapeKeepingStructure(std::string_view text) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (StartsEscape(text, i)) {
            std::string code = Lower(text.substr(i + 1, 2));
            if (code == "23" || code == "3f") {
                out += UnescapeOnce(text.substr(from, i - from));
                out += text.substr(i, 3);
                from = i + 3;
            }
            i += 2;
        }
    }
    out += UnescapeOnce(text.substr(from));
    return out;
}

std::string Escape(std::string_view text, DWORD flags) {
    bool spacesOnly = (flags & URL_ESCAPE_SPACES_ONLY) != 0;
    bool usual = (flags & URL_UNESCAPE) == 0 && !spacesOnly;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        bool escape = false;
        if (c == '%') {
            escape = !StartsEscape(text, i) && (flags & URL_ESCAPE_PERCENT) != 0;
        } else if (c == ' ') {
            escape = usual || spacesOnly;
        } else if (c < 0x20 || c == 0x7F) {
            escape = usual;
        }
        if (escape) {
            AppendEscape(out, c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string FinishComponent(std::string_view text, DWORD flags) {
    if ((flags & URL_UNESCAPE) != 0) {
        return Escape(UnescapeKeepingStructure(text), flags);
    }
    return Escape(text, flags);
}

// The common last steps: dots, the root of a web address, escaping.
std::string Finish(UrlParts parts, DWORD flags) {
    if ((flags & URL_DONT_SIMPLIFY) == 0) {
        std::size_t drive = DrivePrefix(parts);
        parts.path = parts.path.substr(0, drive) + RemoveDots(std::string_view(parts.path).substr(drive));
    }
    // A relative path whose first segment holds ":" would read as a scheme or a drive.
    if (parts.scheme.empty() && !parts.hasAuthority && !parts.path.empty() && parts.path[0] != '/' &&
        parts.path.substr(0, parts.path.find('/')).find(':') != std::string::npos) {
        parts.path = "./" + parts.path;
    }
    // Without an authority a path must not begin with "//", which would read as one.
    if (!parts.hasAuthority && parts.path.size() >= 2 && parts.path[0] == '/' && parts.path[1] == '/') {
        parts.path = "/." + parts.path;
    }
    if ((parts.scheme == "http" || parts.scheme == "https" || parts.scheme == "ftp") && parts.hasAuthority &&
        parts.path.empty()) {
        parts.path = "/";
    }
    parts.path = FinishComponent(parts.path, flags);
    if ((flags & URL_DONT_ESCAPE_EXTRA_INFO) == 0) {
        parts.query = FinishComponent(parts.query, flags);
        parts.fragment = FinishComponent(parts.fragment, flags);
    }
    return ComposeUrl(parts);
}

bool IsOpaque(const UrlParts& parts) {
    return !parts.scheme.empty() && !IsHierarchicalScheme(parts.scheme) && !parts.hasAuthority;
}

// Parses a URL or a drive path, with the scheme lower-cased and its separators normalised.
UrlParts ParseNormalised(std::string_view text, bool pathsAreFiles) {
    if (IsDrivePath(text) || (pathsAreFiles && text.size() >= 1 && text[0] == '/' &&
                              (text.size() == 1 || (text[1] != '/' && text[1] != '\\')))) {
        return FileUrlFromPath(text);
    }
    UrlParts parts = ParseUrl(text);
    parts.scheme = Lower(parts.scheme);
    if (IsHierarchicalScheme(parts.scheme)) {
        NormaliseHierarchical(parts);
    }
    return parts;
}

// The directory part of a base path: everything up to and including its last "/".
std::string MergePaths(const UrlParts& base, std::string_view relative) {
    if (base.hasAuthority && base.path.empty()) {
        return "/" + std::string(relative);
    }
    std::size_t slash = base.path.rfind('/');
    if (slash == std::string::npos) {
        return std::string(relative);
    }
    return base.path.substr(0, slash + 1) + std::string(relative);
}

} // namespace

std::string CanonicalizeUrl(std::string_view url, DWORD flags) {
    url = Trim(url);
    UrlParts parts = ParseNormalised(url, false);
    if (IsOpaque(parts)) {
        return parts.scheme + ":" + std::string(url.substr(parts.scheme.size() + 1));
    }
    return Finish(std::move(parts), flags);
}

std::string CombineUrl(std::string_view baseText, std::string_view relativeText, DWORD flags) {
    baseText = Trim(baseText);
    relativeText = Trim(relativeText);
    UrlParts base = ParseNormalised(baseText, true);
    bool hierarchical = IsHierarchicalScheme(base.scheme);
    std::string relativeCopy(relativeText);
    if (hierarchical) {
        // In web and file addresses "\" separates like "/" (up to the query or fragment).
        std::size_t end = relativeCopy.find_first_of("?#");
        for (std::size_t i = 0; i < relativeCopy.size() && i < end; ++i) {
            if (relativeCopy[i] == '\\') {
                relativeCopy[i] = '/';
            }
        }
    }
    if (IsDrivePath(relativeCopy)) {
        return CanonicalizeUrl(relativeCopy, flags);
    }
    UrlParts relative = ParseUrl(relativeCopy);
    if (!relative.scheme.empty() || IsOpaque(base)) {
        return CanonicalizeUrl(relativeCopy, flags);
    }
    UrlParts target;
    target.scheme = base.scheme;
    if (relative.hasAuthority) {
        target.hasAuthority = true;
        target.authority = relative.authority;
        target.path = relative.path;
        target.hasQuery = relative.hasQuery;
        target.query = relative.query;
        if (hierarchical) {
            NormaliseHierarchical(target);
        }
    } else {
        target.hasAuthority = base.hasAuthority;
        target.authority = base.authority;
        if (relative.path.empty()) {
            target.path = base.path;
            target.hasQuery = relative.hasQuery || base.hasQuery;
            target.query = relative.hasQuery ? relative.query : base.query;
        } else {
            if (relative.path[0] == '/') {
                // An absolute path stays on the drive of a file URL unless it names one itself.
                std::size_t drive = DrivePrefix(base);
                bool ownDrive =
                    relative.path.size() >= 3 && IsDrivePath(std::string_view(relative.path).substr(1));
                target.path = (ownDrive ? "" : base.path.substr(0, drive)) + relative.path;
            } else {
                target.path = MergePaths(base, relative.path);
            }
            target.hasQuery = relative.hasQuery;
            target.query = relative.query;
        }
    }
    target.hasFragment = relative.hasFragment;
    target.fragment = relative.fragment;
    return Finish(std::move(target), flags);
}

} // namespace qx::net
