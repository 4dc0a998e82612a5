// Bounds on what the registry holds, shared by the API and the file loader.
#pragma once

#include <cstddef>

namespace qx::registry::detail {

inline constexpr std::size_t kMaxKeyNameLength = 255;      // UTF-16 units of one key name
inline constexpr std::size_t kMaxValueNameLength = 16383;  // UTF-16 units of one value name
inline constexpr std::size_t kMaxValueDataBytes = 1 << 20; // one value's data
inline constexpr std::size_t kMaxKeyDepth = 512;           // levels below a hive root
inline constexpr std::size_t kMaxFileBytes = 64u << 20;    // the whole registry file

} // namespace qx::registry::detail
