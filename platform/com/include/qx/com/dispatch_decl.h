// Dispatch declarations: one table per interface gives its IID, member names, DISPIDs, invoke
// kinds and parameter types. GetIDsOfNames, Invoke, the type information, the type library and
// event firing all come from it.
//
//     inline constexpr qx::com::DispParam kFilterOutParams[] = {
//         {u"pathBase", VT_BSTR, PARAMFLAG_FIN},
//         {u"pVal", VT_BOOL, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
//     };
//     inline constexpr qx::com::DispMember kConvertMembers[] = {
//         qx::com::DispMethod<&IConvert::filterOut>(u"filterOut", 2, kFilterOutParams),
//         qx::com::DispPropGet<&IConvert::get_htmlData>(u"htmlData", 4),
//         qx::com::DispPropPut<&IConvert::put_htmlData>(u"htmlData", 4),
//         qx::com::DispPropGet<&IConvert::get_sync, VT_BOOL>(u"sync", 11),
//         ...
//     };
//     QX_DISPATCH_INTERFACE(IConvert, u"IConvert", kConvertMembers, u"IConvert Interface");
//
// For a dual interface the members are listed in vtable order (after IDispatch's seven slots);
// each member's C++ signature is checked against its parameter list at compile time, and a table
// whose members do not sit at their vtable slots is refused at registration. Members of a
// dispinterface without a vtable (event interfaces whose sinks only answer Invoke) are declared
// with DispEvent and QX_DISPINTERFACE.
//
// Interfaces are described once, in the format of tools/interfaces/README.md; the generator writes
// these tables, the interface structs and the event firing from the description.
#pragma once

#include "oaidl.h"
#include "qx/com/interface.h"
#include "qx/com/proxy_slot.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace qx::com {

struct DispParam {
    const char16_t* name;
    VARTYPE vt;             // the value's type (VT_VARIANT for any); for [out] parameters the pointee's type
    USHORT flags;           // PARAMFLAG_FIN, FOUT, FRETVAL, FOPT, FHASDEFAULT
    LONG defaultNumber = 0; // with PARAMFLAG_FHASDEFAULT, for number types
    const char16_t* defaultText = nullptr; // with PARAMFLAG_FHASDEFAULT, for VT_BSTR
    // An enum of the type library that a VT_I4 parameter is declared as (e.g. u"FORMPROCESSOR_CMDID");
    // the type library then describes the parameter as that enum.
    const char16_t* typeName = nullptr;
};

// Calls the member through the interface's vtable; args[i] holds parameter i (in declaration
// order, the [out, retval] one last), already converted to the declared type.
using DispThunk = HRESULT (*)(void* itf, VARIANT* const* args);

struct DispMember {
    const char16_t* name;
    DISPID dispid;
    WORD kind; // INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT, INVOKE_PROPERTYPUTREF
    const DispParam* params;
    UINT paramCount;
    DispThunk thunk; // null for a dispinterface member without a vtable slot
    const char16_t* help = nullptr;
    WORD funcFlags = 0;             // FUNCFLAG_FHIDDEN, FUNCFLAG_FRESTRICTED, ...
    void* (*proxySlot)() = nullptr; // the member's vtable slot in a cross-thread proxy
    int (*vtableSlot)() = nullptr;  // the slot the member's function has in its interface's vtable

    // The [out, retval] parameter, when the last parameter is one.
    const DispParam* Retval() const {
        return paramCount && (params[paramCount - 1].flags & PARAMFLAG_FRETVAL) ? &params[paramCount - 1]
                                                                                : nullptr;
    }
    UINT ArgumentCount() const { return Retval() ? paramCount - 1 : paramCount; }
};

namespace detail {
class DispTables;
}

// What is built from a declaration on first use and then shared by every object of it: the hashed
// name index, the DISPID index and the one type information. QX_DISPATCH_INTERFACE gives each
// declaration its own; a declaration without one keeps its tables in a registry by address until
// it is unregistered.
struct DispCache {
    constexpr DispCache() = default;
    ~DispCache();
    DispCache(const DispCache&) = delete;
    DispCache& operator=(const DispCache&) = delete;

    std::atomic<detail::DispTables*> tables{nullptr}; // made by the first caller that needs them
};

struct DispInterface {
    const IID* iid;
    const char16_t* name;
    const DispMember* members;
    UINT memberCount;
    bool dual; // a vtable interface deriving from IDispatch; else a dispinterface
    const char16_t* help = nullptr;
    WORD typeFlags = 0; // extra TYPEFLAG_* (hidden, nonextensible ...)
    DispCache* cache = nullptr;

    // A linear search, for small tables; Invoke and GetIDsOfNames use the hashed indexes.
    const DispMember* Find(DISPID id, WORD kind) const {
        for (UINT i = 0; i < memberCount; ++i)
            if (members[i].dispid == id && (members[i].kind & kind))
                return &members[i];
        return nullptr;
    }
    // Byte offset of a member's vtable slot, for the type information of a dual interface.
    SHORT VtableOffset(UINT index) const { return static_cast<SHORT>((7 + index) * sizeof(void*)); }
};

// Declaration of an interface, found from its type (DispatchImpl) or its IID (FindDispInterface).
template <typename T>
struct DispatchDeclaration;

template <typename T>
inline constexpr const DispInterface& disp_decl_of = DispatchDeclaration<T>::value;

// Runtime lookup by IID for declarations made with QX_DISPATCH_INTERFACE / QX_DISPINTERFACE.
const DispInterface* FindDispInterface(REFIID iid);
// False, with the fault on standard error, for a dual declaration whose members do not sit at
// their vtable slots (member i at slot 7 + i): it is not registered.
bool RegisterDispInterface(const DispInterface& decl);
// Whether every member of a dual declaration sits at its vtable slot; the index of the first
// that does not in *misplaced.
bool DualSlotsInOrder(const DispInterface& decl, UINT* misplaced = nullptr);
// Forgets a declaration, with the proxy vtable built from it and its type.
void UnregisterDispInterface(const DispInterface& decl);
// The C++ type of a dual interface, for the proxies that stand for it on other threads.
bool RegisterDispInterfaceType(const DispInterface& decl, const std::type_info& type);

// Keeps a declaration registered while the module that holds it is loaded: a component file
// that is unloaded takes its declarations (and the proxy vtables pointing into it) along.
class DispInterfaceRegistration {
public:
    explicit DispInterfaceRegistration(const DispInterface& decl) : decl_(decl) {
        RegisterDispInterface(decl);
    }
    DispInterfaceRegistration(const DispInterface& decl, const std::type_info& type) : decl_(decl) {
        if (RegisterDispInterface(decl))
            RegisterDispInterfaceType(decl, type);
    }
    ~DispInterfaceRegistration() { UnregisterDispInterface(decl_); }
    DispInterfaceRegistration(const DispInterfaceRegistration&) = delete;
    DispInterfaceRegistration& operator=(const DispInterfaceRegistration&) = delete;

private:
    const DispInterface& decl_;
};

namespace detail {

template <auto M>
struct MemberTraits;
template <typename C, typename... A, HRESULT (STDMETHODCALLTYPE C::*M)(A...)>
struct MemberTraits<M> {
    using Class = C;
    using Args = std::tuple<A...>;
    static constexpr std::size_t arity = sizeof...(A);
};

template <typename T>
inline constexpr bool always_false = false;

// The VARTYPE a C++ parameter type carries by default (VARIANT_BOOL is a short: say VT_BOOL).
template <typename T>
constexpr VARTYPE DefaultVt() {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, BSTR> || std::is_same_v<U, const OLECHAR*>)
        return VT_BSTR;
    else if constexpr (std::is_same_v<U, VARIANT>)
        return VT_VARIANT;
    else if constexpr (std::is_same_v<U, IDispatch*>)
        return VT_DISPATCH;
    else if constexpr (std::is_same_v<U, IUnknown*>)
        return VT_UNKNOWN;
    else if constexpr (std::is_same_v<U, SAFEARRAY*>)
        return static_cast<VARTYPE>(VT_ARRAY | VT_VARIANT);
    else if constexpr (std::is_same_v<U, double>)
        return VT_R8;
    else if constexpr (std::is_same_v<U, float>)
        return VT_R4;
    else if constexpr (std::is_same_v<U, CY>)
        return VT_CY;
    else if constexpr (std::is_same_v<U, DECIMAL>)
        return VT_DECIMAL;
    else if constexpr (std::is_same_v<U, bool>)
        return VT_BOOL;
    else if constexpr (std::is_enum_v<U>)
        return VT_I4;
    else if constexpr (std::is_integral_v<U>) {
        if constexpr (sizeof(U) == 1)
            return std::is_signed_v<U> ? VT_I1 : VT_UI1;
        else if constexpr (sizeof(U) == 2)
            return std::is_signed_v<U> ? VT_I2 : VT_UI2;
        else if constexpr (sizeof(U) == 4)
            return std::is_signed_v<U> ? VT_I4 : VT_UI4;
        else
            return std::is_signed_v<U> ? VT_I8 : VT_UI8;
    } else
        return VT_EMPTY; // other interface pointers must be queried for by the member itself
}

// Whether a value of declared type vt may be passed as a C++ T (by value).
template <typename T>
constexpr bool ValueFits(VARTYPE vt) {
    using U = std::remove_cv_t<T>;
    if (vt == VT_VARIANT)
        return std::is_same_v<U, VARIANT>;
    if (std::is_same_v<U, VARIANT>)
        return false;
    VARTYPE natural = DefaultVt<U>();
    if (natural == vt)
        return true;
    if constexpr (std::is_integral_v<U> || std::is_enum_v<U>) {
        if (sizeof(U) == 2 && std::is_signed_v<U> && vt == VT_BOOL)
            return true; // VARIANT_BOOL
        if (sizeof(U) == 4 &&
            (vt == VT_INT || vt == VT_UINT || vt == VT_ERROR || vt == VT_I4 || vt == VT_UI4))
            return true;
        return false;
    } else if constexpr (std::is_same_v<U, double>) {
        return vt == VT_DATE;
    } else if constexpr (std::is_same_v<U, SAFEARRAY*>) {
        return (vt & VT_ARRAY) != 0;
    } else {
        return false;
    }
}

template <typename T>
constexpr bool ParamFits(const DispParam& p) {
    bool out = (p.flags & PARAMFLAG_FOUT) != 0;
    if (out) {
        if constexpr (std::is_pointer_v<T>) {
            using P = std::remove_pointer_t<T>;
            if (p.vt == VT_VARIANT)
                return std::is_same_v<std::remove_cv_t<P>, VARIANT>;
            return ValueFits<P>(p.vt);
        } else {
            return false;
        }
    }
    if (p.vt == VT_VARIANT)
        return std::is_same_v<std::remove_cv_t<T>, VARIANT> || std::is_same_v<T, VARIANT*> ||
               std::is_same_v<T, const VARIANT*>;
    return ValueFits<T>(p.vt);
}

template <typename Args, std::size_t... I>
constexpr bool AllFit(const DispParam* params, std::index_sequence<I...>) {
    return (ParamFits<std::tuple_element_t<I, Args>>(params[I]) && ...);
}

// The argument for a C++ parameter of type T from its storage VARIANT.
template <typename T>
T ArgFrom(VARIANT& v) {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, VARIANT>) {
        return v;
    } else if constexpr (std::is_same_v<T, VARIANT*> || std::is_same_v<T, const VARIANT*>) {
        return &v;
    } else if constexpr (std::is_same_v<U, BSTR> || std::is_same_v<U, const OLECHAR*>) {
        return v.bstrVal;
    } else if constexpr (std::is_same_v<U, SAFEARRAY*>) {
        return v.parray;
    } else if constexpr (std::is_same_v<U, IDispatch*>) {
        return v.pdispVal;
    } else if constexpr (std::is_same_v<U, IUnknown*>) {
        return v.punkVal;
    } else if constexpr (std::is_pointer_v<U>) {
        // An [out] parameter: the caller's own storage for a by-reference argument, else ours.
        if (v.vt & VT_BYREF)
            return static_cast<U>(v.byref);
        return reinterpret_cast<U>(&v.llVal);
    } else if constexpr (std::is_enum_v<U>) {
        return static_cast<U>(v.lVal);
    } else if constexpr (std::is_same_v<U, double>) {
        return v.dblVal;
    } else if constexpr (std::is_same_v<U, float>) {
        return v.fltVal;
    } else if constexpr (std::is_same_v<U, CY>) {
        return v.cyVal;
    } else if constexpr (std::is_same_v<U, DECIMAL>) {
        return v.decVal;
    } else if constexpr (std::is_same_v<U, bool>) {
        return v.boolVal != 0;
    } else if constexpr (std::is_integral_v<U>) {
        if constexpr (sizeof(U) == 1)
            return static_cast<U>(v.bVal);
        else if constexpr (sizeof(U) == 2)
            return static_cast<U>(v.iVal);
        else if constexpr (sizeof(U) == 4)
            return static_cast<U>(v.lVal);
        else
            return static_cast<U>(v.llVal);
    } else {
        static_assert(always_false<T>, "parameter type has no VARIANT form");
    }
}

template <auto M, typename Args, std::size_t... I>
HRESULT CallMember(void* itf, VARIANT* const* args, std::index_sequence<I...>) {
    using C = typename MemberTraits<M>::Class;
    return (static_cast<C*>(itf)->*M)(ArgFrom<std::tuple_element_t<I, Args>>(*args[I])...);
}

// The vtable slot of a virtual member function, from its pointer-to-member (the Itanium C++ ABI:
// one plus the slot's byte offset, no this-adjustment; ARM keeps the virtual bit in the
// adjustment instead). -1 for a function that is not virtual.
template <auto M>
int VtableSlot() {
    struct Representation {
        std::uintptr_t ptr;
        std::ptrdiff_t adj;
    };
    static_assert(sizeof(M) == sizeof(Representation), "a pointer to member of another form");
    Representation r;
    auto m = M;
    std::memcpy(&r, &m, sizeof r);
#if defined(__arm__) || defined(__aarch64__)
    if (!(r.adj & 1) || (r.adj >> 1) != 0)
        return -1;
    return static_cast<int>(r.ptr / sizeof(void*));
#else
    if (!(r.ptr & 1) || r.adj != 0)
        return -1;
    return static_cast<int>((r.ptr - 1) / sizeof(void*));
#endif
}

template <auto M>
HRESULT Thunk(void* itf, VARIANT* const* args) {
    using Traits = MemberTraits<M>;
    return CallMember<M, typename Traits::Args>(itf, args, std::make_index_sequence<Traits::arity>{});
}

template <typename T>
using Pointee = std::remove_pointer_t<T>;

template <auto M, VARTYPE Vt>
inline constexpr DispParam kRetvalParam[] = {{u"pVal", Vt, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL}};
template <auto M, VARTYPE Vt>
inline constexpr DispParam kPutParam[] = {{u"newVal", Vt, PARAMFLAG_FIN}};

template <auto M>
consteval VARTYPE RetvalVt() {
    using Args = typename MemberTraits<M>::Args;
    static_assert(std::tuple_size_v<Args> == 1, "a property get takes exactly its out parameter");
    return DefaultVt<Pointee<std::tuple_element_t<0, Args>>>();
}

template <auto M>
consteval VARTYPE PutVt() {
    using Args = typename MemberTraits<M>::Args;
    static_assert(std::tuple_size_v<Args> == 1, "a property put takes exactly its value");
    return DefaultVt<std::tuple_element_t<0, Args>>();
}

template <auto M, std::size_t N>
consteval DispMember Build(const char16_t* name, DISPID id, WORD kind, const DispParam (&params)[N],
                           const char16_t* help, WORD funcFlags) {
    using Traits = MemberTraits<M>;
    static_assert(N == Traits::arity, "parameter list and C++ signature differ in length");
    if (!AllFit<typename Traits::Args>(params, std::make_index_sequence<N>{}))
        throw "a declared parameter type does not match the C++ signature";
    for (std::size_t i = 0; i + 1 < N; ++i)
        if (params[i].flags & PARAMFLAG_FRETVAL)
            throw "only the last parameter can be [out, retval]";
    return {name,
            id,
            kind,
            params,
            static_cast<UINT>(N),
            &Thunk<M>,
            help,
            funcFlags,
            &ProxySlot<M>::Address,
            &VtableSlot<M>};
}

} // namespace detail

template <auto M, std::size_t N>
consteval DispMember DispMethod(const char16_t* name, DISPID id, const DispParam (&params)[N],
                                const char16_t* help = nullptr, WORD funcFlags = 0) {
    return detail::Build<M>(name, id, INVOKE_FUNC, params, help, funcFlags);
}

template <auto M>
consteval DispMember DispMethod(const char16_t* name, DISPID id, const char16_t* help = nullptr,
                                WORD funcFlags = 0) {
    static_assert(detail::MemberTraits<M>::arity == 0, "give the parameter list");
    return {name,
            id,
            INVOKE_FUNC,
            nullptr,
            0,
            &detail::Thunk<M>,
            help,
            funcFlags,
            &detail::ProxySlot<M>::Address,
            &detail::VtableSlot<M>};
}

template <auto M, std::size_t N>
consteval DispMember DispProperty(WORD kind, const char16_t* name, DISPID id, const DispParam (&params)[N],
                                  const char16_t* help = nullptr, WORD funcFlags = 0) {
    return detail::Build<M>(name, id, kind, params, help, funcFlags);
}

// get_X(T* pVal): one [out, retval] parameter named pVal of type Vt.
template <auto M, VARTYPE Vt = detail::RetvalVt<M>()>
consteval DispMember DispPropGet(const char16_t* name, DISPID id, const char16_t* help = nullptr,
                                 WORD funcFlags = 0) {
    return detail::Build<M>(name, id, INVOKE_PROPERTYGET, detail::kRetvalParam<M, Vt>, help, funcFlags);
}

// put_X(T newVal).
template <auto M, VARTYPE Vt = detail::PutVt<M>()>
consteval DispMember DispPropPut(const char16_t* name, DISPID id, const char16_t* help = nullptr,
                                 WORD funcFlags = 0) {
    return detail::Build<M>(name, id, INVOKE_PROPERTYPUT, detail::kPutParam<M, Vt>, help, funcFlags);
}

// putref_X(T* newVal).
template <auto M, VARTYPE Vt = detail::PutVt<M>()>
consteval DispMember DispPropPutRef(const char16_t* name, DISPID id, const char16_t* help = nullptr,
                                    WORD funcFlags = 0) {
    return detail::Build<M>(name, id, INVOKE_PROPERTYPUTREF, detail::kPutParam<M, Vt>, help, funcFlags);
}

// A member of a dispinterface that has no vtable: reached through IDispatch::Invoke only.
template <std::size_t N>
consteval DispMember DispEvent(const char16_t* name, DISPID id, const DispParam (&params)[N],
                               const char16_t* help = nullptr) {
    return {name, id, INVOKE_FUNC, params, static_cast<UINT>(N), nullptr, help, 0};
}
consteval DispMember DispEvent(const char16_t* name, DISPID id, const char16_t* help = nullptr) {
    return {name, id, INVOKE_FUNC, nullptr, 0, nullptr, help, 0};
}

} // namespace qx::com

// The declaration and its one registration; a dual interface's registration also names its
// C++ type (the optional last argument).
#define QX_DETAIL_DISPATCH_DECL(itf, decl_name, iid_ref, name, members, dual, help, type_flags, ...)         \
    inline ::qx::com::DispCache decl_name##Cache;                                                            \
    inline constexpr ::qx::com::DispInterface decl_name{&(iid_ref),                                          \
                                                        name,                                                \
                                                        members,                                             \
                                                        static_cast<UINT>(std::size(members)),               \
                                                        dual,                                                \
                                                        help,                                                \
                                                        type_flags,                                          \
                                                        &decl_name##Cache};                                  \
    inline const ::qx::com::DispInterfaceRegistration decl_name##Registered {                                \
        decl_name __VA_OPT__(, ) __VA_ARGS__                                                                 \
    }

// Declares the dispatch table of the dual interface `itf` as kDisp_<itf> and binds it to the type.
// Use at global scope, like QX_DECLARE_INTERFACE.
#define QX_DISPATCH_INTERFACE(itf, name, members, help)                                                      \
    QX_DISPATCH_INTERFACE_FLAGS(itf, name, members, help, 0)
// The same with extra TYPEFLAG_* flags of the interface's type (hidden, restricted ...).
#define QX_DISPATCH_INTERFACE_FLAGS(itf, name, members, help, type_flags)                                    \
    QX_DETAIL_DISPATCH_DECL(itf, kDisp_##itf, IID_##itf, name, members, true, help, type_flags,              \
                            typeid(itf));                                                                    \
    template <>                                                                                              \
    struct qx::com::DispatchDeclaration<itf> {                                                               \
        static constexpr const ::qx::com::DispInterface& value = kDisp_##itf;                                \
    }

// Declares a dispinterface (IID only, no C++ type) as kDisp_<name_token>.
#define QX_DISPINTERFACE(name_token, iid, name, members, help)                                               \
    QX_DISPINTERFACE_FLAGS(name_token, iid, name, members, help, 0)
#define QX_DISPINTERFACE_FLAGS(name_token, iid, name, members, help, type_flags)                             \
    QX_DETAIL_DISPATCH_DECL(name_token, kDisp_##name_token, iid, name, members, false, help, type_flags)
