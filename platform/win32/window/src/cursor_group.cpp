#include "qx/win32/cursor_group.h"

namespace qx::win32 {
namespace {

WORD Read16(std::span<const BYTE> data, size_t at) {
    return static_cast<WORD>(data[at] | (data[at + 1] << 8));
}

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 14;

} // namespace

std::optional<std::vector<WORD>> ParseCursorGroup(std::span<const BYTE> group) {
    if (group.size() < kHeaderSize || Read16(group, 0) != 0 || Read16(group, 2) != 2) {
        return std::nullopt;
    }
    size_t count = Read16(group, 4);
    if (count == 0 || group.size() < kHeaderSize + kEntrySize * count) {
        return std::nullopt;
    }
    std::vector<WORD> ids;
    ids.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        ids.push_back(Read16(group, kHeaderSize + kEntrySize * i + 12));
    }
    return ids;
}

} // namespace qx::win32
