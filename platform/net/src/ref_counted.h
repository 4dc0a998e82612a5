// The URL objects are objects of the COM framework: counted from any thread, deleted at their
// last Release, answering the IIDs of their interface tables.
#pragma once

#include <new>
#include <utility>

#include "qx/com/object.h"

namespace qx::net {

// The root of a URL object. It is the platform's own, so it keeps no component loaded.
class UrlObject : public com::ObjectRoot {
public:
    static constexpr bool kAggregatable = false;
    static constexpr bool kCountsInModuleLock = false;
};

// A new URL object with one reference, the caller's; out of memory throws as new does.
template <class T, class... A>
T* NewUrlObject(A&&... args) {
    com::ObjectPtr<T> object;
    if (FAILED(com::CreateObject<T>(object, std::forward<A>(args)...))) {
        throw std::bad_alloc();
    }
    return object.Detach();
}

} // namespace qx::net
