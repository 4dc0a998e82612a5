// New GUIDs: 122 random bits from the kernel's random source, marked as version 4 (random) of
// the standard variant, as the system's generator hands them out.
#include "objbase.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>

namespace {

// Fills the buffer from the kernel's random source; false when it cannot be read.
bool ReadRandomBytes(unsigned char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = getrandom(buffer + done, size - done, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

HRESULT CoCreateGuid(GUID* pguid) {
    if (!pguid)
        return E_INVALIDARG;
    unsigned char bytes[16];
    if (!ReadRandomBytes(bytes, sizeof bytes))
        return E_FAIL;
    GUID guid{};
    std::memcpy(&guid.Data1, bytes, 4);
    std::memcpy(&guid.Data2, bytes + 4, 2);
    std::memcpy(&guid.Data3, bytes + 6, 2);
    std::memcpy(guid.Data4, bytes + 8, 8);
    guid.Data3 = static_cast<WORD>((guid.Data3 & 0x0FFF) | 0x4000);
    guid.Data4[0] = static_cast<BYTE>((guid.Data4[0] & 0x3F) | 0x80);
    *pguid = guid;
    return S_OK;
}
