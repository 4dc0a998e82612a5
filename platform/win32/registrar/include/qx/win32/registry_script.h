// A registry script parsed into its tree, with the replacements already put in.
#pragma once

#include "qx/win32/registrar.h"
#include "winreg.h"

#include <cstddef>
#include <string>
#include <vector>

namespace qx::registrar {

enum class KeyFlag { None, NoRemove, ForceRemove, Delete, NamedValue };
enum class ValueKind { None, String, Dword };

struct ScriptKey {
    KeyFlag flag = KeyFlag::None;
    std::u16string name;              // the key's name, or the value's name for NamedValue
    ValueKind kind = ValueKind::None; // the key's default value, or the named value
    std::u16string text;
    DWORD number = 0;
    std::vector<ScriptKey> children;
};

struct ScriptRoot {
    HKEY hive = nullptr;
    std::vector<ScriptKey> keys;
};

struct Script {
    std::vector<ScriptRoot> roots;
};

// Bounds that keep a hostile script from taking the process down.
inline constexpr std::size_t kMaxScriptLength = 1 << 20; // UTF-16 units
inline constexpr std::size_t kMaxScriptDepth = 64;       // nested braces
inline constexpr std::size_t kMaxScriptEntries = 20000;  // keys and values
inline constexpr std::size_t kMaxScriptText = 32767;     // one value text after replacement

struct ParseFailure {
    std::size_t offset = 0; // UTF-16 units into the script
    std::string message;
};

// S_OK with the tree, or DISP_E_EXCEPTION with what went wrong and where.
HRESULT ParseScript(std::u16string_view script, const ReplacementMap& replacements, Script& result,
                    ParseFailure* failure = nullptr);

} // namespace qx::registrar
