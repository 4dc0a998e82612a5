#include "new_guid.h"

#include <cstring>
#include <random>

// The platform offers no GUID generator yet, so the GUID is drawn here from the system's random
// source and marked as a random (version 4, variant 1) GUID, which is what the system hands out.
HRESULT CreateNewGuid(GUID* guid) {
    if (!guid)
        return E_POINTER;
    unsigned char bytes[16];
    try {
        std::random_device source;
        for (size_t i = 0; i < sizeof(bytes); i += 4) {
            const unsigned int word = source();
            std::memcpy(bytes + i, &word, 4);
        }
    } catch (...) {
        return E_FAIL;
    }
    std::memcpy(guid, bytes, sizeof(bytes));
    guid->Data3 = static_cast<unsigned short>((guid->Data3 & 0x0FFF) | 0x4000);
    guid->Data4[0] = static_cast<unsigned char>((guid->Data4[0] & 0x3F) | 0x80);
    return S_OK;
}
