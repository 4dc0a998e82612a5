// Reference counting and IUnknown of the URL objects.
#pragma once

#include <atomic>

#include "unknwn.h"
#include "wintypes.h"

namespace qx::net {

class RefCount {
public:
    ULONG Add() { return ++count_; }
    // True when the last reference went.
    ULONG Drop() { return --count_; }

private:
    std::atomic<ULONG> count_{1};
};

// IUnknown for an object of one interface: it answers IUnknown and the IIDs given (the interface
// and those it derives from), counts references from any thread and deletes itself at the last
// Release.
template <class Interface, const IID&... Ids>
class UrlObject : public Interface {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || ((riid == Ids) || ...)) {
            *ppv = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return refs_.Add(); }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = refs_.Drop();
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    UrlObject() = default;
    virtual ~UrlObject() = default;

private:
    RefCount refs_;
};

} // namespace qx::net
