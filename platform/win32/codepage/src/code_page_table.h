// Mapping tables of single- and double-byte code pages, read once from glibc iconv and kept
// for the life of the process (so conversions need no iconv handle and no lock).
#pragma once

#include <cstdint>
#include <vector>

#include "wintypes.h"

namespace qx::win32 {

constexpr char16_t kUnmapped = 0xFFFF;

struct CodePageTable {
    UINT codePage = 0;
    bool lead[256] = {};
    char16_t single[256] = {};
    // Indexed by lead * 256 + trail; empty for a single-byte code page.
    std::vector<char16_t> pairs;
    // Indexed by UTF-16 unit: the bytes (a double-byte character as lead << 8 | trail), 0 when
    // the character has no mapping. U+0000 is always the byte 0.
    std::vector<std::uint16_t> reverse;
    // Bytes 0x00-0x7F are ASCII both ways, so runs of them are copied as they are.
    bool asciiIdentity = false;

    char16_t Pair(unsigned char leadByte, unsigned char trail) const {
        return pairs.empty() ? kUnmapped : pairs[leadByte * 256u + trail];
    }
};

// The table of a real code page number (not CP_ACP and the like); null when iconv has no such
// single- or double-byte code page.
const CodePageTable* FindCodePageTable(UINT codePage);

// The code page number behind CP_ACP, CP_OEMCP, CP_MACCP and CP_THREAD_ACP.
UINT ResolveCodePage(UINT codePage);

} // namespace qx::win32
