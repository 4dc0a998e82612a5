// Proxies: thread-agnostic stand-ins for an object of a single-threaded apartment. Every call
// made on another thread runs on the object's thread while that thread pumps messages.
#pragma once

#include "apartment_state.h"
#include "oaidl.h"
#include "qx/com/dispatch_decl.h"

namespace qx::com::detail {

// What a proxy hands out for a dual interface: a vtable built from the interface's declaration
// in front of the facet that carries its calls.
struct DualFront {
    const void* const* vtable;
    IDispatch* facet;
    const DispInterface* decl;
};

// The vtable of dual proxies for decl; null when decl's C++ type is not registered.
const void* const* DualVtable(const DispInterface& decl);
// Drops decl's vtable and type, when the module holding decl goes.
void ForgetDualVtable(const DispInterface& decl);

// Whether a proxy can stand for the riid interface (IUnknown, IDispatch, a dispinterface
// or a dual interface with a registered declaration).
bool ProxyableInterface(REFIID riid);

// A proxy for the stub's riid interface; takes over one stub reference (also on failure).
// CO_E_OBJNOTCONNECTED when the stub is disconnected, E_NOINTERFACE when the object lacks riid
// or no proxy can stand for it.
HRESULT CreateProxy(std::shared_ptr<Stub> stub, REFIID riid, void** ppv);

// The stub behind a proxy of this module, or null for any other pointer.
std::shared_ptr<Stub> StubOfProxy(IUnknown* unknown);

// A copy of a value that may be used on any thread: text and arrays are copied, interface
// pointers of the calling thread's single-threaded apartment become proxies, by-reference
// values become the values they refer to. DISP_E_BADVARTYPE for what cannot cross.
HRESULT CopyForTransit(const VARIANT& source, VARIANT& copy);

} // namespace qx::com::detail
