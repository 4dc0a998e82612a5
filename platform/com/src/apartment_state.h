// Apartments and stubs as the marshalling code sees them. One lock guards all of it; no object
// is ever called while it is held.
#pragma once

#include "qx/com/apartment.h"
#include "unknwn.h"

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace qx::com::detail {

struct PendingCall;
struct Stub;

struct Apartment {
    ApartmentType type = ApartmentType::None;
    DWORD owner = 0; // the thread of a single-threaded apartment
    bool alive = true;
    std::vector<std::shared_ptr<Stub>> stubs;
    std::vector<std::shared_ptr<PendingCall>> pending; // posted to the owner, not started yet
};

// The owner side of a marshalled object: the object and the interfaces asked of it, used on
// the owner's thread only, and the count of proxies and marshal packets that refer to it.
struct Stub {
    std::shared_ptr<Apartment> apartment;
    IUnknown* object = nullptr; // null once disconnected
    std::map<IID, IUnknown*, bool (*)(const IID&, const IID&)> interfaces{
        [](const IID& a, const IID& b) { return std::memcmp(&a, &b, sizeof a) < 0; }};
    LONG refs = 1;
};

std::mutex& ApartmentLock();
// The calling thread's apartment, or null.
std::shared_ptr<Apartment> CurrentApartment();
// A stub in the calling thread's single-threaded apartment holding one reference; null when the
// thread is in no such apartment.
std::shared_ptr<Stub> CreateStub(IUnknown* object);
void AddStubRef(const std::shared_ptr<Stub>& stub);
// The last reference releases the object on its own thread.
void ReleaseStubRef(const std::shared_ptr<Stub>& stub);
// Runs work(object) on the stub's owner thread (directly when that is the calling thread) and
// waits for it, running calls posted to the calling thread meanwhile. RPC_E_DISCONNECTED when the
// object's apartment has gone away or goes away before the call starts.
HRESULT CallOnOwner(const std::shared_ptr<Stub>& stub, const std::function<HRESULT(IUnknown*)>& work);
// On the owner thread: the stub object's riid interface, asked once and kept; null if none.
IUnknown* StubInterface(const std::shared_ptr<Stub>& stub, REFIID riid);

} // namespace qx::com::detail
