// Walks a version resource (VS_VERSIONINFO): nested blocks of a 16-bit length, value length and
// type, a UTF-16 key, a value and children, each on a 32-bit boundary. Bounded by the block's
// own lengths and by the bytes given, so that damaged version data gives "not found".
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace qx::resource {

struct VersionValue {
    std::size_t offset = 0; // of the value, from the start of the block
    std::size_t bytes = 0;  // value bytes inside the block
    bool isText = false;    // a UTF-16 string (wType 1)
    bool isRoot = false;    // the VS_FIXEDFILEINFO of "\"
};

// The value at a sub-block path such as "\", "\VarFileInfo\Translation" or
// "\StringFileInfo\041204b0\FileVersion"; keys match without regard to ASCII case.
std::optional<VersionValue> FindVersionValue(std::span<const std::byte> block, std::string_view subBlock);

// The length the root block declares, or 0 when the block does not start a version resource.
std::size_t VersionBlockLength(std::span<const std::byte> block);

} // namespace qx::resource
