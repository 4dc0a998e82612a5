// The calling thread's apartment: its kind and how many successful CoInitialize calls it holds.
#include "apartment.h"

#include "objbase_activation.h"

namespace qx::activation {
namespace {

struct ThreadApartment {
    int initCount = 0;
    DWORD kind = COINIT_APARTMENTTHREADED;
};

thread_local ThreadApartment t_apartment;

} // namespace

bool ThreadInApartment() {
    return t_apartment.initCount > 0;
}

} // namespace qx::activation

HRESULT CoInitialize(LPVOID pvReserved) {
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) {
    if (pvReserved)
        return E_INVALIDARG;
    constexpr DWORD known = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;
    if (dwCoInit & ~known)
        return E_INVALIDARG;
    const DWORD kind = dwCoInit & COINIT_APARTMENTTHREADED;
    qx::activation::EnsureSystemServices();
    auto& apartment = qx::activation::t_apartment;
    if (apartment.initCount > 0) {
        if (apartment.kind != kind)
            return RPC_E_CHANGED_MODE;
        ++apartment.initCount;
        return S_FALSE;
    }
    apartment.kind = kind;
    apartment.initCount = 1;
    return S_OK;
}

void CoUninitialize() {
    auto& apartment = qx::activation::t_apartment;
    if (apartment.initCount > 0)
        --apartment.initCount;
}
