// The caller-buffer protocol of the enumeration and query functions for names and key classes,
// in either character width.
#pragma once

#include "winreg.h"

#include <cstring>
#include <string_view>

namespace qx::registry::detail {

// Copies a name with its terminating NUL; the length in characters, NUL not counted, comes back
// on success. A buffer too small for name and NUL is ERROR_MORE_DATA, the length left as it was.
template <class Char>
LONG CopyName(std::basic_string_view<Char> name, Char* buffer, LPDWORD length) {
    if (buffer == nullptr || length == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (name.size() + 1 > *length)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.data(), name.size() * sizeof(Char));
    buffer[name.size()] = Char{};
    *length = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Key classes are not kept: a class buffer, when given, reads back empty.
template <class Char>
LONG EmptyClass(Char* cls, LPDWORD length) {
    if (cls == nullptr || length == nullptr)
        return ERROR_SUCCESS;
    if (*length == 0)
        return ERROR_MORE_DATA;
    cls[0] = Char{};
    *length = 0;
    return ERROR_SUCCESS;
}

} // namespace qx::registry::detail
