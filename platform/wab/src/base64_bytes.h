// Base64 (RFC 4648, with padding) for binary values kept in card lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::wab {

std::string EncodeBase64(const std::vector<unsigned char>& bytes);
// nullopt for text that is not padded base64 (white space is not allowed).
std::optional<std::vector<unsigned char>> DecodeBase64(std::string_view text);

} // namespace qx::wab
