// The registry held in memory: four hives of keys, each key with its subkeys and values kept
// under case-folded names (so lookups ignore case and enumeration is sorted), and every key
// carrying a serial number that open handles refer to.
#pragma once

#include "wintypes.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qx::registry::detail {

enum class Hive { LocalMachine, CurrentUser, Users, CurrentConfig };
inline constexpr std::size_t kHiveCount = 4;
inline constexpr std::uint64_t kFirstKeySerial = 16; // serials below are the hive roots

// The name of a hive as the registry file and messages spell it.
const char* HiveName(Hive hive);

// Upper-cases one UTF-16 unit the way key and value names are compared.
char16_t FoldCase(char16_t c);
std::u16string FoldName(std::u16string_view name);

struct Value {
    std::u16string name;
    DWORD type = 0;
    std::vector<BYTE> data;

    bool operator==(const Value&) const = default;
};

struct Key {
    std::u16string name;
    std::uint64_t serial = 0;
    Key* parent = nullptr;
    std::size_t depth = 0;                                  // 0 for a hive root
    std::map<std::u16string, std::unique_ptr<Key>> subkeys; // by folded name
    std::map<std::u16string, Value> values;                 // by folded name

    Key* FindSubkey(std::u16string_view name) const;
    const Value* FindValue(std::u16string_view name) const;
};

class Tree {
public:
    Tree();
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    Key* Root(Hive hive) const { return roots_[static_cast<std::size_t>(hive)].get(); }
    Key* FindBySerial(std::uint64_t serial) const;

    // Adds a subkey with a fresh serial (the name must not exist yet).
    Key* AddSubkey(Key* parent, std::u16string_view name);
    // Adds a subkey with the given serial, as the loader does; false if the serial is taken.
    Key* AddSubkeyWithSerial(Key* parent, std::u16string_view name, std::uint64_t serial);
    // Removes the key and everything below it; the key must not be a hive root.
    void RemoveSubtree(Key* key);

    std::uint64_t NextSerial() const { return nextSerial_; }
    void SetNextSerial(std::uint64_t serial) { nextSerial_ = serial; }

    // Structural equality of two trees, serials included (the loader's round-trip check).
    bool SameAs(const Tree& other) const;

private:
    void Forget(Key* key);

    std::array<std::unique_ptr<Key>, kHiveCount> roots_;
    std::unordered_map<std::uint64_t, Key*> bySerial_;
    std::uint64_t nextSerial_ = kFirstKeySerial;
};

} // namespace qx::registry::detail
