// Interface tables.
#include "qx/com/object.h"

namespace qx::com {

HRESULT ObjectRoot::InternalQueryInterface(void* self, std::span<const InterfaceEntry> table, REFIID riid,
                                           void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (table.empty())
        return E_NOINTERFACE;
    void* found = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
        found = table[0].cast(self);
    } else {
        for (const InterfaceEntry& entry : table) {
            if (IsEqualIID(*entry.iid, riid)) {
                found = entry.cast(self);
                break;
            }
        }
    }
    if (!found)
        return E_NOINTERFACE;
    static_cast<IUnknown*>(found)->AddRef();
    *ppv = found;
    return S_OK;
}

} // namespace qx::com
