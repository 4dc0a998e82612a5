// One object per model item while referenced: the live objects by the item they stand for (a sheet,
// a rule, an element's style of one kind), not held; an object leaves the table as it is released.
#pragma once

#include <oaidl.h>

#include <mutex>
#include <unordered_map>

namespace qx::html::css::detail {

class Identities {
public:
    // The live object of the key with a new reference, or null.
    IDispatch* Find(const void* key) {
        std::lock_guard lock(mutex_);
        auto it = map_.find(key);
        if (it == map_.end())
            return nullptr;
        it->second->AddRef();
        return it->second;
    }
    void Add(const void* key, IDispatch* object) {
        std::lock_guard lock(mutex_);
        map_[key] = object;
    }
    void Remove(const void* key, IDispatch* object) {
        std::lock_guard lock(mutex_);
        auto it = map_.find(key);
        if (it != map_.end() && it->second == object)
            map_.erase(it);
    }

private:
    std::mutex mutex_;
    std::unordered_map<const void*, IDispatch*> map_;
};

// One table for each kind of object.
enum class ObjectKind { Sheet, Rule, InlineStyle, RuntimeStyle, CurrentStyle, kCount };
Identities& IdentitiesOf(ObjectKind kind);

} // namespace qx::html::css::detail
