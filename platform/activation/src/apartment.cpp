// The calling thread's apartment: its kind and how many successful CoInitialize calls it holds.
// Each call also enters (and CoUninitialize leaves) the COM apartment registry, which marshalling
// reads: without it an object could not be handed to another thread.
#include "apartment.h"

#include "objbase_activation.h"
#include "qx/com/apartment.h"

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
    if (apartment.initCount > 0 && apartment.kind != kind)
        return RPC_E_CHANGED_MODE;
    const HRESULT hr =
        qx::com::EnterApartment(kind == COINIT_APARTMENTTHREADED ? qx::com::ApartmentType::SingleThreaded
                                                                 : qx::com::ApartmentType::MultiThreaded);
    if (FAILED(hr))
        return hr;
    apartment.kind = kind;
    ++apartment.initCount;
    return hr;
}

void CoUninitialize() {
    auto& apartment = qx::activation::t_apartment;
    if (apartment.initCount > 0) {
        --apartment.initCount;
        qx::com::LeaveApartment();
    }
}
