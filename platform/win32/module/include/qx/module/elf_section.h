// Finds a named section in an ELF file without loading it. Every offset and size read from the
// file is checked against the file's size, so a damaged file gives a failure, never a crash.
#pragma once

#include "wintypes.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qx::module {

enum class ElfSectionError {
    None,
    NotFound,  // the file has no such section (or it holds no bytes)
    BadFormat, // not an ELF file, or its headers are damaged
    TooLarge,  // the section is larger than the caller accepts
    ReadFailed,
};

struct ElfSectionResult {
    ElfSectionError error = ElfSectionError::None;
    std::vector<std::byte> bytes;
};

// Reads `size` bytes at `offset` into `out`; false when they are not all there.
using ElfReadFn = std::function<bool(std::uint64_t offset, std::size_t size, void* out)>;

ElfSectionResult ReadElfSection(const ElfReadFn& read, std::uint64_t fileSize, std::string_view name,
                                std::size_t maxSize);
ElfSectionResult ReadElfSection(std::span<const std::byte> file, std::string_view name, std::size_t maxSize);
ElfSectionResult ReadElfSectionFromFile(const std::string& utf8Path, std::string_view name,
                                        std::size_t maxSize, DWORD* win32Error);

} // namespace qx::module
