#include "key_tree.h"

namespace qx::registry::detail {

const char* HiveName(Hive hive) {
    switch (hive) {
    case Hive::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case Hive::CurrentUser:
        return "HKEY_CURRENT_USER";
    case Hive::Users:
        return "HKEY_USERS";
    case Hive::CurrentConfig:
        return "HKEY_CURRENT_CONFIG";
    }
    return "";
}

char16_t FoldCase(char16_t c) {
    // ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and the full-width forms: the scripts
    // whose letters have case and may turn up in key names.
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        if (oddPairs)
            return (c % 2 == 0) ? static_cast<char16_t>(c - 1) : c;
        return (c % 2 == 1) ? static_cast<char16_t>(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F)
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A)
        return static_cast<char16_t>(c - 0x20);
    return c;
}

std::u16string FoldName(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded)
        c = FoldCase(c);
    return folded;
}

Key* Key::FindSubkey(std::u16string_view name) const {
    auto it = subkeys.find(FoldName(name));
    return it == subkeys.end() ? nullptr : it->second.get();
}

const Value* Key::FindValue(std::u16string_view name) const {
    auto it = values.find(FoldName(name));
    return it == values.end() ? nullptr : &it->second;
}

Tree::Tree() {
    for (std::size_t i = 0; i < kHiveCount; ++i) {
        roots_[i] = std::make_unique<Key>();
        roots_[i]->serial = i + 1;
        bySerial_[i + 1] = roots_[i].get();
    }
}

Key* Tree::FindBySerial(std::uint64_t serial) const {
    auto it = bySerial_.find(serial);
    return it == bySerial_.end() ? nullptr : it->second;
}

Key* Tree::AddSubkey(Key* parent, std::u16string_view name) {
    Key* key = AddSubkeyWithSerial(parent, name, nextSerial_);
    ++nextSerial_;
    return key;
}

Key* Tree::AddSubkeyWithSerial(Key* parent, std::u16string_view name, std::uint64_t serial) {
    if (bySerial_.count(serial) != 0)
        return nullptr;
    auto key = std::make_unique<Key>();
    key->name = std::u16string(name);
    key->serial = serial;
    key->parent = parent;
    key->depth = parent->depth + 1;
    Key* raw = key.get();
    parent->subkeys[FoldName(name)] = std::move(key);
    bySerial_[serial] = raw;
    return raw;
}

void Tree::Forget(Key* key) {
    for (auto& [folded, child] : key->subkeys)
        Forget(child.get());
    bySerial_.erase(key->serial);
}

void Tree::RemoveSubtree(Key* key) {
    Forget(key);
    key->parent->subkeys.erase(FoldName(key->name));
}

namespace {

bool SameKeys(const Key& a, const Key& b) {
    if (a.name != b.name || a.serial != b.serial || a.values != b.values ||
        a.subkeys.size() != b.subkeys.size())
        return false;
    auto ia = a.subkeys.begin();
    auto ib = b.subkeys.begin();
    for (; ia != a.subkeys.end(); ++ia, ++ib)
        if (ia->first != ib->first || !SameKeys(*ia->second, *ib->second))
            return false;
    return true;
}

} // namespace

bool Tree::SameAs(const Tree& other) const {
    if (nextSerial_ != other.nextSerial_)
        return false;
    for (std::size_t i = 0; i < kHiveCount; ++i)
        if (!SameKeys(*roots_[i], *other.roots_[i]))
            return false;
    return true;
}

} // namespace qx::registry::detail
