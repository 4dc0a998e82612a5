// The registry's text file. One file holds every hive:
//
//   QXFORMS-REGISTRY 1
//   next-serial 42
//   hive HKEY_LOCAL_MACHINE
//   key 16 "Software"
//   key 17 "Software" "Classes"
//   value "" sz text "Classes\u0000"
//   value "Flags" dword dword 0x00000001
//   value "Blob" binary hex "00ff"
//   end
//
// A key line gives the key's serial and its path below the hive, one quoted name per level; the
// value lines after it belong to it (before any key line, to the hive root). Quoted text is UTF-8
// with \\, \" and \uXXXX (one UTF-16 unit) escapes; string data is written as its UTF-16 units,
// terminators included, so that every byte of every value comes back exactly. The last line is
// "end", so a cut-off file is recognised as damaged.
#pragma once

#include "key_tree.h"

#include <memory>
#include <string>
#include <string_view>

namespace qx::registry::detail {

inline constexpr const char* kRegistryFileMagic = "QXFORMS-REGISTRY";
inline constexpr int kRegistryFileVersion = 1;

std::string SerializeTree(const Tree& tree);

struct ParsedTree {
    std::unique_ptr<Tree> tree; // null when the text is damaged
    std::size_t line = 0;       // where the damage was found
    std::string error;
};

ParsedTree ParseTree(std::string_view text);

} // namespace qx::registry::detail
