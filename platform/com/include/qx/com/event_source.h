// Typed event firing: the base of the CProxy<interface> classes that the interface generator
// writes for every outgoing interface, and the arguments they fire with.
//
//     class CConvert : ..., public qx::com::ConnectionPointContainerImpl {
//         quorle::CProxy_DIConvertEvent m_dispatchEvents{*this}; // adds the connection point
//         ...
//         m_dispatchEvents.Fire_OnEndConvert(nType); // checked against the declaration
//     };
//
// A dispinterface's events go to each sink's Invoke; a dual outgoing interface's are called
// through the sinks' vtables.
#pragma once

#include "qx/com/connection_point.h"
#include "qx/com/variant.h"

#include <initializer_list>
#include <type_traits>
#include <utility>

namespace qx::com {

class EventSource {
public:
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;

    ConnectionPoint& Point() const { return *point_; }

protected:
    EventSource(ConnectionPointContainerImpl& container, REFIID iid, const DispInterface& decl)
        : point_(&container.AddConnectionPoint(iid, &decl)) {}
    ~EventSource() = default;

    void Fire(DISPID id, std::initializer_list<Variant> args = {}) const { point_->Fire(id, args); }
    template <typename T, typename F>
    void ForEachSink(F&& f) const {
        point_->ForEachSink<T>(std::forward<F>(f));
    }

private:
    ConnectionPoint* point_;
};

// An [in] argument of declared type Vt.
template <VARTYPE Vt, typename T>
Variant EventArg(const T& value) {
    if constexpr (Vt == VT_VARIANT) {
        if constexpr (std::is_pointer_v<T>)
            return value ? Variant(*value) : Variant();
        else
            return Variant(value);
    } else if constexpr (Vt == VT_BSTR) {
        return Variant(static_cast<const OLECHAR*>(value));
    } else if constexpr (Vt == VT_BOOL) {
        return Variant(value != 0);
    } else if constexpr (Vt == VT_DISPATCH) {
        return Variant(static_cast<IDispatch*>(value));
    } else if constexpr (Vt == VT_UNKNOWN) {
        return Variant(static_cast<IUnknown*>(value));
    } else if constexpr (Vt == VT_R8) {
        return Variant(static_cast<DOUBLE>(value));
    } else if constexpr (Vt == VT_DATE) {
        return Variant(static_cast<DOUBLE>(value), VT_DATE);
    } else if constexpr (Vt == VT_R4) {
        return Variant(static_cast<FLOAT>(value));
    } else {
        VARIANT v;
        VariantInit(&v);
        v.vt = Vt;
        if constexpr (Vt == VT_I4)
            v.lVal = static_cast<LONG>(value);
        else if constexpr (Vt == VT_UI4)
            v.ulVal = static_cast<ULONG>(value);
        else if constexpr (Vt == VT_I2)
            v.iVal = static_cast<SHORT>(value);
        else if constexpr (Vt == VT_UI2)
            v.uiVal = static_cast<USHORT>(value);
        else if constexpr (Vt == VT_I1)
            v.cVal = static_cast<CHAR>(value);
        else if constexpr (Vt == VT_UI1)
            v.bVal = static_cast<BYTE>(value);
        else if constexpr (Vt == VT_INT)
            v.intVal = static_cast<INT>(value);
        else if constexpr (Vt == VT_UINT)
            v.uintVal = static_cast<UINT>(value);
        else if constexpr (Vt == VT_I8)
            v.llVal = static_cast<LONGLONG>(value);
        else if constexpr (Vt == VT_UI8)
            v.ullVal = static_cast<ULONGLONG>(value);
        else if constexpr (Vt == VT_ERROR)
            v.scode = static_cast<SCODE>(value);
        else
            static_assert(Vt == VT_I4, "no event argument of this type");
        return Variant::Attach(v);
    }
}

// An [out] or [in, out] argument: the sink writes through VT_BYREF | Vt into the caller's storage.
template <VARTYPE Vt, typename T>
Variant EventRef(T* storage) {
    return Variant::ByRef(static_cast<VARTYPE>(VT_BYREF | Vt), static_cast<void*>(storage));
}

} // namespace qx::com
