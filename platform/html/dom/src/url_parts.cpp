#include "url_parts.h"

#include "qx/net/url_text.h"
#include "qx/win32/codepage.h"

namespace qx::html::dom {

namespace {

// The host and port of an authority, without any "user@".
std::string_view HostPort(std::string_view authority) {
    const std::size_t at = authority.rfind('@');
    return at == std::string_view::npos ? authority : authority.substr(at + 1);
}

std::size_t PortColon(std::string_view hostPort) {
    const std::size_t colon = hostPort.rfind(':');
    const std::size_t bracket = hostPort.rfind(']');
    return colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)
               ? colon
               : std::string_view::npos;
}

std::string WithoutPrefix(std::string text, char prefix) {
    if (!text.empty() && text.front() == prefix)
        text.erase(0, 1);
    return text;
}

} // namespace

std::u16string ReadUrlPart(std::u16string_view url, UrlPart part) {
    const net::UrlParts parts = net::ParseUrl(win32::WideToUtf8(url));
    const std::string_view hostPort = HostPort(parts.authority);
    const std::size_t colon = PortColon(hostPort);
    std::string text;
    switch (part) {
    case UrlPart::Protocol:
        text = parts.scheme.empty() ? std::string() : parts.scheme + ":";
        break;
    case UrlPart::Host:
        text = hostPort;
        break;
    case UrlPart::Hostname:
        text = hostPort.substr(0, colon);
        break;
    case UrlPart::Port:
        text = colon == std::string_view::npos ? std::string() : std::string(hostPort.substr(colon + 1));
        break;
    case UrlPart::Pathname:
        text = parts.path;
        break;
    case UrlPart::Search:
        text = parts.hasQuery && !parts.query.empty() ? "?" + parts.query : std::string();
        break;
    case UrlPart::Hash:
        text = parts.hasFragment && !parts.fragment.empty() ? "#" + parts.fragment : std::string();
        break;
    }
    return win32::Utf8ToWide(text);
}

std::u16string WithUrlPart(std::u16string_view url, UrlPart part, std::u16string_view value) {
    net::UrlParts parts = net::ParseUrl(win32::WideToUtf8(url));
    std::string text = win32::WideToUtf8(value);
    const std::string_view hostPort = HostPort(parts.authority);
    const std::string user(parts.authority.substr(0, parts.authority.size() - hostPort.size()));
    const std::size_t colon = PortColon(hostPort);
    const std::string hostname(hostPort.substr(0, colon));
    const std::string port =
        colon == std::string_view::npos ? std::string() : std::string(hostPort.substr(colon));
    switch (part) {
    case UrlPart::Protocol:
        if (!text.empty() && text.back() == ':')
            text.pop_back();
        parts.scheme = text;
        break;
    case UrlPart::Host:
        parts.authority = user + text;
        parts.hasAuthority = true;
        break;
    case UrlPart::Hostname:
        parts.authority = user + text + port;
        parts.hasAuthority = true;
        break;
    case UrlPart::Port:
        text = WithoutPrefix(text, ':');
        parts.authority = user + hostname + (text.empty() ? std::string() : ":" + text);
        break;
    case UrlPart::Pathname:
        parts.path = parts.hasAuthority && (text.empty() || text.front() != '/') ? "/" + text : text;
        break;
    case UrlPart::Search:
        parts.query = WithoutPrefix(text, '?');
        parts.hasQuery = !parts.query.empty();
        break;
    case UrlPart::Hash:
        parts.fragment = WithoutPrefix(text, '#');
        parts.hasFragment = !parts.fragment.empty();
        break;
    }
    return win32::Utf8ToWide(net::ComposeUrl(parts));
}

std::u16string ResolveUrl(std::u16string_view base, std::u16string_view relative) {
    if (base.empty())
        return std::u16string(relative);
    return win32::Utf8ToWide(net::CombineUrl(win32::WideToUtf8(base), win32::WideToUtf8(relative), 0));
}

} // namespace qx::html::dom
