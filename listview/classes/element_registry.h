// The list view's map from page elements to their header and row objects, keyed by the
// element's "UniqueID" text, in the order the objects added themselves. The values are not
// counted: an object removes its own pair in its final release. The selection list of the
// multiple selection is kept the same way.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orrin {

template <typename Value>
class KeyedList {
public:
    using Key = std::optional<std::u16string>;

    void Add(Key key, Value* value) { entries_.emplace_back(std::move(key), value); }
    // Removes the first pair with exactly this key.
    void Remove(const Key& key) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (it->first == key) {
                entries_.erase(it);
                return;
            }
    }
    // Removes every pair holding this value.
    void RemoveValue(const Value* value) {
        std::erase_if(entries_, [value](const auto& entry) { return entry.second == value; });
    }
    // The value of the first pair with exactly this key (a missing key matches only a missing
    // key); null when there is none.
    Value* Find(const Key& key) const {
        for (const auto& entry : entries_)
            if (entry.first == key)
                return entry.second;
        return nullptr;
    }
    bool Contains(const Key& key) const {
        for (const auto& entry : entries_)
            if (entry.first == key)
                return true;
        return false;
    }
    size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    const std::pair<Key, Value*>& At(size_t index) const { return entries_[index]; }
    void Clear() { entries_.clear(); }
    const std::vector<std::pair<Key, Value*>>& Entries() const { return entries_; }

private:
    std::vector<std::pair<Key, Value*>> entries_;
};

} // namespace orrin
