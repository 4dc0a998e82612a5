// Marshal packets in streams: CoMarshalInterface and its companions.
//
// A stream holds only a packet number; the packet itself (the stub reference or, for an object
// outside a single-threaded apartment, the object) stays in this process's table, so a stream
// that was tampered with or read twice finds nothing instead of a dangling pointer.
#include "marshal_proxy.h"
#include "objbase.h"
#include "winerror.h"

#include <cstring>
#include <map>

namespace qx::com::detail {
namespace {

constexpr char kMagic[4] = {'Q', 'X', 'M', 'P'};

struct Packet {
    IID iid;
    std::shared_ptr<Stub> stub; // an object of a single-threaded apartment
    IUnknown* direct = nullptr; // any other object, with a reference held
};

std::map<ULONGLONG, Packet>& PacketsLocked() {
    static auto* packets = new std::map<ULONGLONG, Packet>;
    return *packets;
}
ULONGLONG g_nextPacket = 1;

void DropPacket(Packet& packet) {
    if (packet.stub)
        ReleaseStubRef(packet.stub);
    if (packet.direct)
        packet.direct->Release();
}

HRESULT ReadPacket(IStream* stream, Packet& packet) {
    if (!stream)
        return E_INVALIDARG;
    unsigned char bytes[sizeof kMagic + sizeof(ULONGLONG)];
    ULONG read = 0;
    HRESULT hr = stream->Read(bytes, sizeof bytes, &read);
    if (FAILED(hr))
        return hr;
    if (read != sizeof bytes || std::memcmp(bytes, kMagic, sizeof kMagic) != 0)
        return E_INVALIDARG;
    ULONGLONG id = 0;
    std::memcpy(&id, bytes + sizeof kMagic, sizeof id);
    std::lock_guard guard(ApartmentLock());
    auto it = PacketsLocked().find(id);
    if (it == PacketsLocked().end())
        return CO_E_OBJNOTCONNECTED;
    packet = std::move(it->second);
    PacketsLocked().erase(it);
    return S_OK;
}

HRESULT Unmarshal(Packet& packet, REFIID riid, void** ppv) {
    if (packet.direct) {
        HRESULT hr = packet.direct->QueryInterface(riid, ppv);
        packet.direct->Release();
        return hr;
    }
    std::shared_ptr<Stub> stub = std::move(packet.stub);
    if (stub->apartment == CurrentApartment()) {
        // Back home: the object itself.
        IUnknown* object = nullptr;
        {
            std::lock_guard guard(ApartmentLock());
            object = stub->object;
            if (object)
                object->AddRef();
        }
        HRESULT hr = object ? object->QueryInterface(riid, ppv) : CO_E_OBJNOTCONNECTED;
        if (object)
            object->Release();
        ReleaseStubRef(stub);
        return hr;
    }
    return CreateProxy(std::move(stub), riid, ppv);
}

} // namespace
} // namespace qx::com::detail

using namespace qx::com::detail;

HRESULT CoMarshalInterface(LPSTREAM pStm, REFIID riid, LPUNKNOWN pUnk, DWORD, LPVOID, DWORD mshlflags) {
    if (!pStm || !pUnk)
        return E_INVALIDARG;
    if (mshlflags != MSHLFLAGS_NORMAL)
        return E_INVALIDARG;
    std::shared_ptr<Apartment> apartment = CurrentApartment();
    if (!apartment)
        return CO_E_NOTINITIALIZED;
    IUnknown* itf = nullptr;
    HRESULT hr = pUnk->QueryInterface(riid, reinterpret_cast<void**>(&itf));
    if (FAILED(hr))
        return hr;
    Packet packet{riid, nullptr, nullptr};
    if (auto stub = StubOfProxy(itf)) {
        AddStubRef(stub);
        packet.stub = std::move(stub);
        itf->Release();
    } else if (apartment->type == qx::com::ApartmentType::SingleThreaded) {
        packet.stub = CreateStub(itf);
        IUnknown* known = packet.stub ? StubInterface(packet.stub, riid) : nullptr;
        itf->Release();
        if (!known) {
            if (packet.stub)
                ReleaseStubRef(packet.stub);
            return E_NOINTERFACE;
        }
    } else {
        packet.direct = itf;
    }
    ULONGLONG id;
    {
        std::lock_guard guard(ApartmentLock());
        id = g_nextPacket++;
        PacketsLocked().emplace(id, packet);
    }
    unsigned char bytes[sizeof kMagic + sizeof id];
    std::memcpy(bytes, kMagic, sizeof kMagic);
    std::memcpy(bytes + sizeof kMagic, &id, sizeof id);
    ULONG written = 0;
    hr = pStm->Write(bytes, sizeof bytes, &written);
    if (FAILED(hr) || written != sizeof bytes) {
        Packet dropped;
        {
            std::lock_guard guard(ApartmentLock());
            dropped = std::move(PacketsLocked()[id]);
            PacketsLocked().erase(id);
        }
        DropPacket(dropped);
        return FAILED(hr) ? hr : STG_E_MEDIUMFULL;
    }
    return S_OK;
}

HRESULT CoUnmarshalInterface(LPSTREAM pStm, REFIID riid, LPVOID* ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!CurrentApartment())
        return CO_E_NOTINITIALIZED;
    Packet packet;
    HRESULT hr = ReadPacket(pStm, packet);
    if (FAILED(hr))
        return hr;
    return Unmarshal(packet, riid, ppv);
}

HRESULT CoReleaseMarshalData(LPSTREAM pStm) {
    Packet packet;
    HRESULT hr = ReadPacket(pStm, packet);
    if (FAILED(hr))
        return hr;
    DropPacket(packet);
    return S_OK;
}

HRESULT CoMarshalInterThreadInterfaceInStream(REFIID riid, LPUNKNOWN pUnk, LPSTREAM* ppStm) {
    if (!ppStm)
        return E_INVALIDARG;
    *ppStm = nullptr;
    IStream* stream = nullptr;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(hr))
        return hr;
    hr = CoMarshalInterface(stream, riid, pUnk, MSHCTX_INPROC, nullptr, MSHLFLAGS_NORMAL);
    if (FAILED(hr)) {
        stream->Release();
        return hr;
    }
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    *ppStm = stream;
    return S_OK;
}

HRESULT CoGetInterfaceAndReleaseStream(LPSTREAM pStm, REFIID iid, LPVOID* ppv) {
    if (!pStm)
        return E_INVALIDARG;
    HRESULT hr = CoUnmarshalInterface(pStm, iid, ppv);
    pStm->Release();
    return hr;
}
