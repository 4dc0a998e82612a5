// Apartments: which threads an object may be called on. CoInitialize(Ex) and CoUninitialize
// enter and leave them through this registry; marshalling reads it.
#pragma once

#include "wintypes.h"

namespace qx::com {

enum class ApartmentType { None, SingleThreaded, MultiThreaded };

// Enters the calling thread into an apartment: a single-threaded one of its own, or the process's
// multithreaded one. S_OK on the first entry, S_FALSE when the thread is already in an apartment
// of that type (the entries nest and each needs its LeaveApartment), RPC_E_CHANGED_MODE when it
// is in one of the other type (nothing changes, nothing to leave).
HRESULT EnterApartment(ApartmentType type);

// Undoes one successful EnterApartment. The last one leaves: the objects that the apartment
// marshalled are released here, on this thread, and disconnected (their proxies then fail with
// RPC_E_DISCONNECTED); calls waiting for this thread are answered with RPC_E_DISCONNECTED. A
// thread that ends while still in an apartment leaves it the same way. No effect outside one.
void LeaveApartment();

ApartmentType CurrentApartmentType();

// The thread that runs the calling thread's apartment's objects: the calling thread itself in a
// single-threaded apartment, 0 in the multithreaded one or outside any.
DWORD CurrentApartmentOwner();

} // namespace qx::com
