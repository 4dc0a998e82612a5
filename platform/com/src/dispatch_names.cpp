// GetIDsOfNames over a dispatch declaration, and the registry of declarations by IID.
#include "dispatch_slots.h"
#include "dispatch_tables.h"
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
    if (detail::RefuseMisplacedSlots(decl))
        return false;
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
    detail::ForgetTables(decl);
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
    if (HRESULT hr = detail::StartNameLookup(riid, names, count, ids); hr != S_OK)
        return hr == S_FALSE ? S_OK : hr;
    const DispMember* first = DispFindName(decl, detail::TextOf(names[0]));
    if (!first)
        return DISP_E_UNKNOWNNAME;
    ids[0] = first->dispid;
    return DispParameterIDs(decl, *first, names + 1, count - 1, ids + 1);
}

HRESULT DispParameterIDs(const DispInterface& decl, const DispMember& member, LPOLESTR* names, UINT count,
                         DISPID* ids) {
    HRESULT hr = S_OK;
    // Any member of that name and DISPID (method, put or get) may declare the parameter.
    for (UINT n = 0; n < count; ++n) {
        ids[n] = DISPID_UNKNOWN;
        std::u16string_view param = detail::TextOf(names[n]);
        for (UINT i = 0; i < decl.memberCount && ids[n] == DISPID_UNKNOWN; ++i) {
            const DispMember& m = decl.members[i];
            if (m.dispid != member.dispid || !detail::NamesEqual(m.name, member.name))
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
