// Binds an interface's IID to its declaration, so that ComPtr<T> and IID_PPV_ARGS find it.
#pragma once

#include "guiddef.h"

#include <type_traits>

namespace qx::com {

// Specialised for every interface by QX_DECLARE_INTERFACE; an interface without it does not compile
// where its IID is needed.
template <typename T>
struct InterfaceId;

template <typename T>
inline constexpr const IID& iid_of = InterfaceId<T>::value;

} // namespace qx::com

// Declares IID_<name> with its text and ties it to the (forward-declared) interface <name>.
// Use at global scope, before or after the interface's own declaration.
#define QX_DECLARE_INTERFACE(name, text)                                                                     \
    struct name;                                                                                             \
    QX_DEFINE_GUID(IID_##name, text);                                                                        \
    template <>                                                                                              \
    struct qx::com::InterfaceId<name> {                                                                      \
        static constexpr const IID& value = IID_##name;                                                      \
    }

// The IID of an interface type, as __uuidof gives it.
#define QX_UUIDOF(type) (::qx::com::iid_of<std::remove_cv_t<type>>)

// Expands to the IID and the void** form of a typed interface out pointer.
#define IID_PPV_ARGS(pp)                                                                                     \
    ::qx::com::iid_of<std::remove_cv_t<std::remove_pointer_t<std::remove_reference_t<decltype(*(pp))>>>>,    \
        reinterpret_cast<void**>(pp)
