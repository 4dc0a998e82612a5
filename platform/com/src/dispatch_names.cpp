// GetIDsOfNames over a dispatch declaration, and the registry of declarations by IID.
#include "marshal_proxy.h"
#include "name_compare.h"
#include "qx/com/dispatch.h"

#include <mutex>
#include <vector>

namespace qx::com {

namespace {

struct DeclRegistry {
    std::mutex mutex;
    std::vector<const DispInterface*> decls;
};

// Never destroyed: component files unregister their declarations as they unload, also at exit.
DeclRegistry& Registry() {
    static auto* registry = new DeclRegistry;
    return *registry;
}

} // namespace

bool RegisterDispInterface(const DispInterface& decl) {
    DeclRegistry& r = Registry();
    std::lock_guard lock(r.mutex);
    for (const DispInterface* d : r.decls)
        if (d == &decl)
            return true;
    r.decls.push_back(&decl);
    return true;
}

void UnregisterDispInterface(const DispInterface& decl) {
    {
        DeclRegistry& r = Registry();
        std::lock_guard lock(r.mutex);
        std::erase(r.decls, &decl);
    }
    detail::ForgetDualVtable(decl);
}

const DispInterface* FindDispInterface(REFIID iid) {
    DeclRegistry& r = Registry();
    std::lock_guard lock(r.mutex);
    for (const DispInterface* d : r.decls)
        if (IsEqualIID(*d->iid, iid))
            return d;
    return nullptr;
}

HRESULT DispGetIDsOfNames(const DispInterface& decl, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (count == 0)
        return S_OK;
    if (!names || !ids)
        return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    std::u16string_view wanted = detail::TextOf(names[0]);
    const DispMember* first = nullptr;
    for (UINT i = 0; i < decl.memberCount && !first; ++i)
        if (detail::NamesEqual(decl.members[i].name, wanted))
            first = &decl.members[i];
    if (!first)
        return DISP_E_UNKNOWNNAME;
    ids[0] = first->dispid;
    HRESULT hr = S_OK;
    // Parameter names: any member of that name (method, put or get) may declare them.
    for (UINT n = 1; n < count; ++n) {
        std::u16string_view param = detail::TextOf(names[n]);
        for (UINT i = 0; i < decl.memberCount && ids[n] == DISPID_UNKNOWN; ++i) {
            const DispMember& m = decl.members[i];
            if (m.dispid != first->dispid || !detail::NamesEqual(m.name, wanted))
                continue;
            for (UINT p = 0; p < m.ArgumentCount(); ++p)
                if (m.params[p].name && detail::NamesEqual(m.params[p].name, param)) {
                    ids[n] = static_cast<DISPID>(p);
                    break;
                }
        }
        if (ids[n] == DISPID_UNKNOWN)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

} // namespace qx::com
