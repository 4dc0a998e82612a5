// Internal: a hash index of member names that ignores case. The index holds entry numbers only;
// the caller keeps the names and says, per candidate, whether it is the one wanted, so one index
// answers both case-sensitive and case-insensitive lookups.
#pragma once

#include "name_compare.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace qx::com::detail {

class NameIndex {
public:
    static std::uint32_t Hash(std::u16string_view name) {
        std::uint32_t h = 2166136261u; // FNV-1a over the folded text
        for (char16_t c : name) {
            const char16_t folded = FoldCase(c);
            h = (h ^ static_cast<std::uint32_t>(folded & 0xFF)) * 16777619u;
            h = (h ^ static_cast<std::uint32_t>(folded >> 8)) * 16777619u;
        }
        // Names that differ in their last letter alone still spread over the low bits.
        h ^= h >> 15;
        h *= 0x2C1B3C6Du;
        h ^= h >> 12;
        return h;
    }

    // Entries are added in ascending order, so that Find gives the lowest matching one.
    void Add(std::u16string_view name, std::uint32_t entry) {
        if ((count_ + 1) * 2 > slots_.size())
            Grow();
        Place(Hash(name), entry);
        ++count_;
    }

    // The lowest entry under this name (in any case) for which is(entry) holds; -1 when none.
    template <typename Is>
    long Find(std::u16string_view name, Is&& is) const {
        if (slots_.empty())
            return -1;
        const std::uint32_t hash = Hash(name);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots_[i];
            if (slot.entryPlusOne == 0)
                return -1;
            if (slot.hash == hash && is(slot.entryPlusOne - 1))
                return static_cast<long>(slot.entryPlusOne - 1);
        }
    }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t entryPlusOne = 0; // 0: empty
    };

    void Place(std::uint32_t hash, std::uint32_t entry) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = hash & mask;
        while (slots_[i].entryPlusOne != 0)
            i = (i + 1) & mask;
        slots_[i] = Slot{hash, entry + 1};
    }

    // Entries sharing a hash sit along one probe path in the order they were added; re-adding
    // them in that order keeps it.
    void Grow() {
        std::vector<Slot> old;
        old.reserve(count_);
        for (const Slot& s : slots_)
            if (s.entryPlusOne)
                old.push_back(s);
        std::sort(old.begin(), old.end(),
                  [](const Slot& a, const Slot& b) { return a.entryPlusOne < b.entryPlusOne; });
        slots_.assign(std::max<std::size_t>(16, slots_.size() * 2), Slot{});
        for (const Slot& s : old)
            Place(s.hash, s.entryPlusOne - 1);
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

} // namespace qx::com::detail
