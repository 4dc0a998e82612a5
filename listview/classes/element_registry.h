// The list view's map from page elements to their header and row objects, keyed by the
// element's "UniqueID" text, in the order the objects added themselves (looked up by a hash of
// the key, since a list holds thousands of rows). The values are not counted: an object removes
// its own pair in its final release. The selection list of the multiple selection is kept the
// same way.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orrin {

template <typename Value>
class KeyedList {
public:
    using Key = std::optional<std::u16string>;

    void Add(Key key, Value* value) {
        if (key)
            first_.emplace(*key, value); // an earlier pair of the same key stays the one found
        entries_.emplace_back(std::move(key), value);
    }
    // Removes the first pair with exactly this key.
    void Remove(const Key& key) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (it->first == key) {
                entries_.erase(it);
                Reindex(key);
                return;
            }
    }
    // Removes every pair holding this value.
    void RemoveValue(const Value* value) {
        std::vector<Key> keys;
        std::erase_if(entries_, [&](const auto& entry) {
            if (entry.second != value)
                return false;
            keys.push_back(entry.first);
            return true;
        });
        for (const Key& key : keys)
            Reindex(key);
    }
    // The value of the first pair with exactly this key (a missing key matches only a missing
    // key); null when there is none.
    Value* Find(const Key& key) const {
        if (key) {
            const auto found = first_.find(*key);
            return found == first_.end() ? nullptr : found->second;
        }
        for (const auto& entry : entries_)
            if (!entry.first)
                return entry.second;
        return nullptr;
    }
    bool Contains(const Key& key) const { return Find(key) != nullptr; }
    size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    const std::pair<Key, Value*>& At(size_t index) const { return entries_[index]; }
    void Clear() {
        entries_.clear();
        first_.clear();
    }
    const std::vector<std::pair<Key, Value*>>& Entries() const { return entries_; }

private:
    // After a pair of this key went: the next pair of the same key, if any, is the one found.
    void Reindex(const Key& key) {
        if (!key)
            return;
        first_.erase(*key);
        for (const auto& entry : entries_)
            if (entry.first == key) {
                first_.emplace(*key, entry.second);
                return;
            }
    }

    std::vector<std::pair<Key, Value*>> entries_;
    std::unordered_map<std::u16string, Value*> first_;
};

} // namespace orrin
