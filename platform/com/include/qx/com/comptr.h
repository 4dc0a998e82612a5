// ComPtr<T>: owns one reference on an interface pointer.
#pragma once

#include "unknwn.h"

#include <memory>
#include <utility>

namespace qx::com {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference on p.
    ComPtr(T* p) : p_(p) {
        if (p_)
            p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <typename U>
    requires std::is_convertible_v<U*, T*> ComPtr(const ComPtr<U>& other)
        : ComPtr(static_cast<T*>(other.Get())) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(T* p) {
        ComPtr(p).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        Reset();
        return *this;
    }

    // Adopts a pointer whose reference the caller already owns.
    static ComPtr Attach(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }
    // Gives up ownership without releasing.
    [[nodiscard]] T* Detach() { return std::exchange(p_, nullptr); }

    void Reset() {
        if (T* p = std::exchange(p_, nullptr))
            p->Release();
    }
    void Swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    operator T*() const { return p_; }

    // Releases what is held and gives the address for an out parameter.
    T** ReleaseAndGetAddressOf() {
        Reset();
        return &p_;
    }
    T** operator&() { return ReleaseAndGetAddressOf(); }
    T* const* GetAddressOf() const { return &p_; }

    // Hands out a new reference through an out parameter (E_POINTER when it is null).
    HRESULT CopyTo(T** out) const {
        if (!out)
            return E_POINTER;
        *out = p_;
        if (p_)
            p_->AddRef();
        return S_OK;
    }

    template <typename Q>
    HRESULT As(ComPtr<Q>* out) const {
        if (!p_)
            return E_POINTER;
        return p_->QueryInterface(iid_of<Q>, reinterpret_cast<void**>(out->ReleaseAndGetAddressOf()));
    }
    template <typename Q>
    ComPtr<Q> As() const {
        ComPtr<Q> result;
        As(std::addressof(result));
        return result;
    }

    // Queries unknown-like p for T.
    template <typename U>
    static ComPtr QueryFrom(U* p) {
        ComPtr result;
        if (p)
            p->QueryInterface(iid_of<T>, reinterpret_cast<void**>(&result.p_));
        return result;
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) const {
        if (!ppv)
            return E_POINTER;
        if (!p_) {
            *ppv = nullptr;
            return E_POINTER;
        }
        return p_->QueryInterface(riid, ppv);
    }

private:
    T* p_ = nullptr;
};

// True when both pointers belong to the same object (compared by their IUnknown identity).
bool IsSameObject(IUnknown* a, IUnknown* b);

} // namespace qx::com
