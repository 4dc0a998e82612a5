// Vtable slots of cross-thread proxies for dual interfaces: one function per declared member,
// with the member's own signature, that hands its arguments to the proxy by address.
#pragma once

#include "unknwn.h"

#include <type_traits>

namespace qx::com::detail {

struct ProxyArgShape {
    unsigned size;        // of the parameter itself
    unsigned pointeeSize; // of what a pointer parameter points to (0 for void or non-pointers)
    bool pointer;
};

// Carries a vtable call made on a proxy to the object's thread (defined with the marshalling).
HRESULT ForwardProxyCall(void* self, void* (*slot)(), void* const* args, const ProxyArgShape* shapes,
                         unsigned count);

template <typename T>
constexpr ProxyArgShape ShapeOf() {
    if constexpr (std::is_pointer_v<T>) {
        using P = std::remove_cv_t<std::remove_pointer_t<T>>;
        if constexpr (std::is_void_v<P>)
            return {sizeof(T), 0, true};
        else
            return {sizeof(T), sizeof(P), true};
    } else {
        return {sizeof(T), 0, false};
    }
}

template <auto M>
struct ProxySlot;
template <typename C, typename... A, HRESULT (STDMETHODCALLTYPE C::*M)(A...)>
struct ProxySlot<M> {
    static HRESULT STDMETHODCALLTYPE Call(C* self, A... a) {
        static constexpr ProxyArgShape shapes[sizeof...(A) + 1] = {ShapeOf<A>()...,
                                                                   ProxyArgShape{0, 0, false}};
        void* args[sizeof...(A) + 1] = {const_cast<void*>(static_cast<const void*>(&a))..., nullptr};
        return ForwardProxyCall(self, &Address, args, shapes, sizeof...(A));
    }
    // The slot's address; also the key by which the proxy finds the member.
    static void* Address() { return reinterpret_cast<void*>(&Call); }
};

} // namespace qx::com::detail
