// A generic IObjectSafety: the same options for every interface the object answers.
#pragma once

#include "objsafe.h"

#include <atomic>

namespace qx::com {

enum class SafetyPolicy {
    Strict,  // a request for an option outside Supported fails with E_FAIL
    Lenient, // any request succeeds; options outside Supported are ignored
};

// The object's own QueryInterface tells which interfaces it has (others give E_NOINTERFACE).
// Enabled options start as Initial.
template <DWORD Supported, SafetyPolicy Policy = SafetyPolicy::Strict, DWORD Initial = 0>
class ObjectSafetyImpl : public IObjectSafety {
public:
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions,
                                           DWORD* pdwEnabledOptions) override {
        if (!pdwSupportedOptions || !pdwEnabledOptions)
            return E_POINTER;
        *pdwSupportedOptions = 0;
        *pdwEnabledOptions = 0;
        if (!Answers(riid))
            return E_NOINTERFACE;
        *pdwSupportedOptions = Supported;
        *pdwEnabledOptions = enabled_.load();
        return S_OK;
    }

    STDMETHODIMP SetInterfaceSafetyOptions(REFIID riid, DWORD dwOptionSetMask,
                                           DWORD dwEnabledOptions) override {
        if (!Answers(riid))
            return E_NOINTERFACE;
        if constexpr (Policy == SafetyPolicy::Strict) {
            if (dwOptionSetMask & ~Supported)
                return E_FAIL;
        }
        DWORD mask = dwOptionSetMask & Supported;
        DWORD current = enabled_.load();
        enabled_.store((current & ~mask) | (dwEnabledOptions & mask));
        return S_OK;
    }

    DWORD EnabledSafetyOptions() const { return enabled_.load(); }

private:
    bool Answers(REFIID riid) {
        IUnknown* p = nullptr;
        if (FAILED(static_cast<IObjectSafety*>(this)->QueryInterface(riid, reinterpret_cast<void**>(&p))) ||
            !p)
            return false;
        p->Release();
        return true;
    }

    std::atomic<DWORD> enabled_{Initial};
};

} // namespace qx::com
