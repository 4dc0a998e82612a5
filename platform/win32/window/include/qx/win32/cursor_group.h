// The directory of a cursor resource (RT_GROUP_CURSOR), as it comes from a component file.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "wintypes.h"

namespace qx::win32 {

// The ids of the RT_CURSOR images a group lists: a header (0, 2, count) and `count` entries of
// 14 bytes (width, height, planes, bit count, bytes, id). nullopt for a damaged or empty group.
std::optional<std::vector<WORD>> ParseCursorGroup(std::span<const BYTE> group);

} // namespace qx::win32
