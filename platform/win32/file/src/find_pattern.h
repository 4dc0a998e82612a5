// The wildcard patterns of FindFirstFileA.
#pragma once

#include <string_view>

namespace qx::win32 {

// True when the pattern holds "*" or "?".
bool HasWildcards(std::u16string_view pattern);
// "*" matches any run of characters, "?" one character; letters A-Z match without regard to
// case; a pattern ending in ".*" also matches the names that the rest of it matches ("*.*"
// matches every name, "a.*" matches "a").
bool MatchesPattern(std::u16string_view pattern, std::u16string_view name);

} // namespace qx::win32
