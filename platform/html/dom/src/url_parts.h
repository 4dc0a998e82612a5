// The parts of an address as a link and `location` read and write them: "http:", "host:8080",
// "host", "8080", "/path", "?query", "#fragment".
#pragma once

#include <string>
#include <string_view>

namespace qx::html::dom {

enum class UrlPart { Protocol, Host, Hostname, Port, Pathname, Search, Hash };

std::u16string ReadUrlPart(std::u16string_view url, UrlPart part);
// The address with one part replaced ("?", "#" and ":" around the value are optional).
std::u16string WithUrlPart(std::u16string_view url, UrlPart part, std::u16string_view value);
// The address relative to the base (the document's), as a link resolves it; as it is without a base.
std::u16string ResolveUrl(std::u16string_view base, std::u16string_view relative);

} // namespace qx::html::dom
