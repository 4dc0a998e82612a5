// Layout of a packed resource blob, shared by the packer (which writes it) and the readers.
// All numbers are little-endian. A blob is a 32-byte header, a table of entries sorted by
// type, name and language, then names and data, each started on a 16-byte boundary; its total
// size is a multiple of 16 so that blobs linked into one section follow each other without gaps.
#pragma once

#include <cstdint>

namespace qx::resource::format {

inline constexpr char kMagic[4] = {'Q', 'X', 'R', 'S'};
inline constexpr std::uint32_t kVersion = 1;
inline constexpr std::uint32_t kHeaderSize = 32;
inline constexpr std::uint32_t kEntrySize = 20;
inline constexpr std::uint32_t kAlignment = 16;

// ELF section that holds the blobs of a linked file, one after the other.
inline constexpr const char* kSectionName = "qxrsrc";

// A type or name word below 0x10000 is a numeric id; with kNamedFlag set, the low 31 bits are
// the offset of a name: a 16-bit count and that many UTF-16 units, ASCII letters upper-cased.
inline constexpr std::uint32_t kNamedFlag = 0x80000000u;

// Header: magic[4], version, total size, entry count, entries offset, three reserved words.
// Entry: type, name, language (16 bits), reserved (16 bits), data offset, data size.

// Largest blob the readers accept; a component's resources are far smaller.
inline constexpr std::uint32_t kMaxBlobSize = 256u * 1024u * 1024u;

} // namespace qx::resource::format
