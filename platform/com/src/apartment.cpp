// The apartment registry, stubs, and calls carried to an apartment's thread.
#include "apartment_state.h"

#include "handleapi.h"
#include "processthreadsapi.h"
#include "qx/win32/message_queue.h"
#include "synchapi.h"
#include "winerror.h"
#include "winuser_message.h"

#include <algorithm>
#include <utility>

namespace qx::com::detail {

struct PendingCall {
    enum class State { Pending, Running, Done };
    State state = State::Pending;
    HRESULT result = S_OK;
    HANDLE done = nullptr;
};

std::mutex& ApartmentLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

namespace {

std::shared_ptr<Apartment>& MultithreadedLocked() {
    static auto* mta = new std::shared_ptr<Apartment>;
    return *mta;
}
int g_mtaMembers = 0;

void Teardown(const std::shared_ptr<Apartment>& apartment);

// The calling thread's membership; a thread that ends inside an apartment leaves it.
struct Membership {
    std::shared_ptr<Apartment> apartment;
    int entries = 0;
    ~Membership() {
        if (entries > 0) {
            entries = 1;
            LeaveApartment();
        }
    }
};
thread_local Membership t_membership;

// Ends a call that has not started (the owner left or died); false when it already started.
bool CancelLocked(const std::shared_ptr<PendingCall>& call, Apartment& apartment) {
    if (call->state != PendingCall::State::Pending)
        return false;
    call->state = PendingCall::State::Done;
    call->result = RPC_E_DISCONNECTED;
    std::erase(apartment.pending, call);
    return true;
}

void Teardown(const std::shared_ptr<Apartment>& apartment) {
    std::vector<IUnknown*> released;
    std::vector<std::shared_ptr<PendingCall>> cancelled;
    {
        std::lock_guard guard(ApartmentLock());
        apartment->alive = false;
        for (auto& stub : apartment->stubs) {
            for (auto& [iid, itf] : stub->interfaces)
                released.push_back(itf);
            stub->interfaces.clear();
            if (stub->object)
                released.push_back(std::exchange(stub->object, nullptr));
        }
        apartment->stubs.clear();
        auto pending = apartment->pending;
        for (auto& call : pending)
            if (CancelLocked(call, *apartment))
                cancelled.push_back(call);
    }
    for (auto& call : cancelled)
        SetEvent(call->done);
    for (IUnknown* itf : released)
        itf->Release();
}

void ReleaseAll(std::vector<IUnknown*> pointers) {
    for (IUnknown* p : pointers)
        p->Release();
}

} // namespace

std::shared_ptr<Apartment> CurrentApartment() {
    return t_membership.entries > 0 ? t_membership.apartment : nullptr;
}

std::shared_ptr<Stub> CreateStub(IUnknown* object) {
    std::shared_ptr<Apartment> apartment = CurrentApartment();
    if (!apartment || apartment->type != ApartmentType::SingleThreaded || !object)
        return nullptr;
    IUnknown* identity = nullptr;
    if (FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity))) || !identity)
        return nullptr;
    auto stub = std::make_shared<Stub>();
    stub->apartment = apartment;
    stub->object = identity;
    std::lock_guard guard(ApartmentLock());
    apartment->stubs.push_back(stub);
    return stub;
}

void AddStubRef(const std::shared_ptr<Stub>& stub) {
    std::lock_guard guard(ApartmentLock());
    ++stub->refs;
}

void ReleaseStubRef(const std::shared_ptr<Stub>& stub) {
    std::vector<IUnknown*> released;
    {
        std::lock_guard guard(ApartmentLock());
        if (--stub->refs > 0)
            return;
        for (auto& [iid, itf] : stub->interfaces)
            released.push_back(itf);
        stub->interfaces.clear();
        if (stub->object)
            released.push_back(std::exchange(stub->object, nullptr));
        std::erase(stub->apartment->stubs, stub);
    }
    if (released.empty())
        return;
    DWORD owner = stub->apartment->owner;
    if (owner == GetCurrentThreadId()) {
        ReleaseAll(std::move(released));
        return;
    }
    // An owner that ends with this still queued abandons it on its own thread: release there too.
    auto run = [released] { ReleaseAll(released); };
    if (!qx::win32::PostThreadCall(owner, run, run))
        ReleaseAll(std::move(released));
}

IUnknown* StubInterface(const std::shared_ptr<Stub>& stub, REFIID riid) {
    IUnknown* object = nullptr;
    {
        std::lock_guard guard(ApartmentLock());
        auto it = stub->interfaces.find(riid);
        if (it != stub->interfaces.end())
            return it->second;
        object = stub->object;
    }
    if (!object)
        return nullptr;
    IUnknown* itf = nullptr;
    if (FAILED(object->QueryInterface(riid, reinterpret_cast<void**>(&itf))) || !itf)
        return nullptr;
    std::lock_guard guard(ApartmentLock());
    if (!stub->object) {
        itf->Release(); // disconnected meanwhile (by the call's own doing)
        return nullptr;
    }
    auto [it, added] = stub->interfaces.emplace(riid, itf);
    if (!added)
        itf->Release();
    return it->second;
}

HRESULT CallOnOwner(const std::shared_ptr<Stub>& stub, const std::function<HRESULT(IUnknown*)>& work) {
    const std::shared_ptr<Apartment>& apartment = stub->apartment;
    auto runWork = [&stub, &work]() -> HRESULT {
        IUnknown* object = nullptr;
        {
            std::lock_guard guard(ApartmentLock());
            object = stub->object;
            if (object)
                object->AddRef();
        }
        if (!object)
            return RPC_E_DISCONNECTED;
        HRESULT hr = work(object);
        object->Release();
        return hr;
    };
    if (apartment->owner == GetCurrentThreadId())
        return runWork();

    auto call = std::make_shared<PendingCall>();
    call->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!call->done)
        return E_OUTOFMEMORY;
    {
        std::lock_guard guard(ApartmentLock());
        if (!apartment->alive || !stub->object) {
            CloseHandle(call->done);
            return RPC_E_DISCONNECTED;
        }
        apartment->pending.push_back(call);
    }
    // The posted call refers to the caller's frame only after it has claimed the call, and the
    // caller does not return before a claimed call is done.
    auto run = [call, apartment, &runWork] {
        {
            std::lock_guard guard(ApartmentLock());
            if (call->state != PendingCall::State::Pending)
                return;
            call->state = PendingCall::State::Running;
            std::erase(apartment->pending, call);
        }
        HRESULT hr = runWork();
        {
            std::lock_guard guard(ApartmentLock());
            call->result = hr;
            call->state = PendingCall::State::Done;
        }
        SetEvent(call->done);
    };
    auto abandon = [call, apartment] {
        bool cancelled;
        {
            std::lock_guard guard(ApartmentLock());
            cancelled = CancelLocked(call, *apartment);
        }
        if (cancelled)
            SetEvent(call->done);
    };
    if (!qx::win32::PostThreadCall(apartment->owner, run, abandon))
        abandon();
    for (;;) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE); // calls to this thread
        if (WaitForSingleObject(call->done, 0) == WAIT_OBJECT_0)
            break;
        MsgWaitForMultipleObjectsEx(1, &call->done, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
    }
    CloseHandle(call->done);
    std::lock_guard guard(ApartmentLock());
    return call->result;
}

} // namespace qx::com::detail

namespace qx::com {

using detail::Apartment;
using detail::ApartmentLock;

HRESULT EnterApartment(ApartmentType type) {
    if (type == ApartmentType::None)
        return E_INVALIDARG;
    auto& self = detail::t_membership;
    if (self.entries > 0) {
        if (self.apartment->type != type)
            return RPC_E_CHANGED_MODE;
        ++self.entries;
        return S_FALSE;
    }
    if (type == ApartmentType::SingleThreaded) {
        auto apartment = std::make_shared<Apartment>();
        apartment->type = type;
        apartment->owner = GetCurrentThreadId();
        self.apartment = std::move(apartment);
    } else {
        std::lock_guard guard(ApartmentLock());
        auto& mta = detail::MultithreadedLocked();
        if (!mta) {
            mta = std::make_shared<Apartment>();
            mta->type = type;
        }
        ++detail::g_mtaMembers;
        self.apartment = mta;
    }
    self.entries = 1;
    return S_OK;
}

void LeaveApartment() {
    auto& self = detail::t_membership;
    if (self.entries <= 0 || --self.entries > 0)
        return;
    std::shared_ptr<Apartment> apartment = std::move(self.apartment);
    if (apartment->type == ApartmentType::MultiThreaded) {
        std::lock_guard guard(ApartmentLock());
        if (--detail::g_mtaMembers == 0)
            detail::MultithreadedLocked().reset();
        return;
    }
    detail::Teardown(apartment);
}

ApartmentType CurrentApartmentType() {
    auto apartment = detail::CurrentApartment();
    return apartment ? apartment->type : ApartmentType::None;
}

DWORD CurrentApartmentOwner() {
    auto apartment = detail::CurrentApartment();
    return apartment ? apartment->owner : 0;
}

} // namespace qx::com
