#include "entry_ids.h"

#include "mapi_buffers.h"

#include <cstring>

namespace qx::wab {

HRESULT MakeEntryId(unsigned long long token, unsigned serial, LPVOID parent, ULONG* size, LPENTRYID* id) {
    if (size == nullptr || id == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    LPVOID block = nullptr;
    HRESULT hr = parent ? AllocateLinked(kEntryIdSize, parent, &block) : AllocateBlock(kEntryIdSize, &block);
    if (FAILED(hr)) {
        return hr;
    }
    auto* bytes = static_cast<BYTE*>(block);
    std::memset(bytes, 0, 4);
    std::memcpy(bytes + 4, &token, 8);
    std::memcpy(bytes + 12, &serial, 4);
    *size = kEntryIdSize;
    *id = static_cast<LPENTRYID>(block);
    return S_OK;
}

bool ReadEntryId(unsigned long long token, ULONG size, const ENTRYID* id, unsigned& serial) {
    if (id == nullptr || size != kEntryIdSize) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const BYTE*>(id);
    unsigned long long t = 0;
    std::memcpy(&t, bytes + 4, 8);
    std::memcpy(&serial, bytes + 12, 4);
    return bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0 && t == token;
}

} // namespace qx::wab
