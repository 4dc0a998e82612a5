// Splitting a URL into its components and putting them back together.
#include "qx/net/url_text.h"

#include <cctype>

namespace qx::net {
namespace {

bool IsSchemeChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

} // namespace

bool IsDrivePath(std::string_view text) {
    return text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':' &&
           (text.size() == 2 || text[2] == '/' || text[2] == '\\');
}

bool IsHierarchicalScheme(std::string_view lowerScheme) {
    return lowerScheme == "http" || lowerScheme == "https" || lowerScheme == "ftp" || lowerScheme == "file" ||
           lowerScheme == "res";
}

UrlParts ParseUrl(std::string_view text) {
    UrlParts parts;
    std::size_t at = 0;
    // A scheme has at least two characters: "c:" is a drive.
    if (!text.empty() && std::isalpha(static_cast<unsigned char>(text[0]))) {
        std::size_t end = 1;
        while (end < text.size() && IsSchemeChar(text[end])) {
            ++end;
        }
        if (end >= 2 && end < text.size() && text[end] == ':') {
            parts.scheme = std::string(text.substr(0, end));
            at = end + 1;
        }
    }
    bool special = IsHierarchicalScheme(Lower(parts.scheme));
    auto isSeparator = [&](char c) { return c == '/' || (special && c == '\\'); };
    if (text.size() >= at + 2 && isSeparator(text[at]) && isSeparator(text[at + 1])) {
        parts.hasAuthority = true;
        at += 2;
        std::size_t end = at;
        while (end < text.size() && !isSeparator(text[end]) && text[end] != '?' && text[end] != '#') {
            ++end;
        }
        parts.authority = std::string(text.substr(at, end - at));
        at = end;
    }
    std::size_t end = at;
    while (end < text.size() && text[end] != '?' && text[end] != '#') {
        ++end;
    }
    parts.path = std::string(text.substr(at, end - at));
    at = end;
    if (at < text.size() && text[at] == '?') {
        parts.hasQuery = true;
        end = text.find('#', at);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        parts.query = std::string(text.substr(at + 1, end - at - 1));
        at = end;
    }
    if (at < text.size() && text[at] == '#') {
        parts.hasFragment = true;
        parts.fragment = std::string(text.substr(at + 1));
    }
    return parts;
}

std::string ComposeUrl(const UrlParts& parts) {
    std::string out;
    if (!parts.scheme.empty()) {
        out += parts.scheme;
        out += ':';
    }
    if (parts.hasAuthority) {
        out += "//";
        out += parts.authority;
    }
    out += parts.path;
    if (parts.hasQuery) {
        out += '?';
        out += parts.query;
    }
    if (parts.hasFragment) {
        out += '#';
        out += parts.fragment;
    }
    return out;
}

bool StartsEscape(std::string_view text, std::size_t at) {
    auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    return at + 2 < text.size() && text[at] == '%' && hex(text[at + 1]) && hex(text[at + 2]);
}

void AppendEscape(std::string& out, unsigned char byte) {
    static const char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

std::string UnescapeOnce(std::string_view text) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace qx::net
