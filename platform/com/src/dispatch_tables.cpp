// The tables of a dispatch declaration: built on first use, never changed, shared by every object.
#include "dispatch_tables.h"

#include "qx/com/dispatch.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace qx::com {

namespace {

int KindSlot(WORD kind) {
    switch (kind) {
    case INVOKE_FUNC:
        return 0;
    case INVOKE_PROPERTYGET:
        return 1;
    case INVOKE_PROPERTYPUT:
        return 2;
    case INVOKE_PROPERTYPUTREF:
        return 3;
    default:
        return -1;
    }
}

// Tables of declarations that have no cache of their own, by address, until unregistered.
struct OrphanTables {
    std::mutex mutex;
    std::unordered_map<const DispInterface*, std::unique_ptr<detail::DispTables>> tables;
};

OrphanTables& Orphans() {
    static auto* orphans = new OrphanTables; // never destroyed: unregistration runs at exit too
    return *orphans;
}

} // namespace

DispCache::~DispCache() {
    delete tables.exchange(nullptr);
}

namespace detail {

DispTables::DispTables(const DispInterface& decl) : decl_(decl) {
    for (UINT i = 0; i < decl.memberCount; ++i) {
        const DispMember& m = decl.members[i];
        if (m.name)
            names_.Add(m.name, i);
        const int slot = KindSlot(m.kind);
        if (slot < 0)
            continue;
        auto at = std::lower_bound(dispids_.begin(), dispids_.end(), m.dispid,
                                   [](const ByDispid& e, DISPID id) { return e.id < id; });
        if (at == dispids_.end() || at->id != m.dispid)
            at = dispids_.insert(at, ByDispid{m.dispid, {-1, -1, -1, -1}});
        if (at->member[slot] < 0)
            at->member[slot] = static_cast<std::int32_t>(i);
    }
}

DispTables::~DispTables() {
    if (ITypeInfo* info = typeInfo_.exchange(nullptr))
        info->Release();
}

const DispMember* DispTables::FindName(std::u16string_view name, bool caseSensitive) const {
    const long found = names_.Find(name, [&](std::uint32_t i) {
        const std::u16string_view candidate = decl_.members[i].name;
        return caseSensitive ? candidate == name : NamesEqual(candidate, name);
    });
    return found < 0 ? nullptr : &decl_.members[found];
}

const DispMember* DispTables::Find(DISPID id, WORD kinds) const {
    auto at = std::lower_bound(dispids_.begin(), dispids_.end(), id,
                               [](const ByDispid& e, DISPID wanted) { return e.id < wanted; });
    if (at == dispids_.end() || at->id != id)
        return nullptr;
    std::int32_t first = -1;
    for (int slot = 0; slot < 4; ++slot)
        if ((kinds & (1 << slot)) && at->member[slot] >= 0 && (first < 0 || at->member[slot] < first))
            first = at->member[slot];
    return first < 0 ? nullptr : &decl_.members[first];
}

HRESULT DispTables::TypeInfo(ITypeInfo** out) {
    ITypeInfo* info = typeInfo_.load(std::memory_order_acquire);
    if (!info) {
        ITypeInfo* made = nullptr;
        HRESULT hr = CreateSharedDispTypeInfo(decl_, &made);
        if (FAILED(hr))
            return hr;
        if (typeInfo_.compare_exchange_strong(info, made, std::memory_order_acq_rel))
            info = made;
        else
            made->Release(); // another thread's is the one
    }
    info->AddRef();
    *out = info;
    return S_OK;
}

DispTables& TablesOf(const DispInterface& decl) {
    if (DispCache* cache = decl.cache) {
        DispTables* tables = cache->tables.load(std::memory_order_acquire);
        if (tables)
            return *tables;
        auto made = std::make_unique<DispTables>(decl);
        if (cache->tables.compare_exchange_strong(tables, made.get(), std::memory_order_acq_rel))
            return *made.release();
        return *tables;
    }
    OrphanTables& orphans = Orphans();
    std::lock_guard lock(orphans.mutex);
    std::unique_ptr<DispTables>& tables = orphans.tables[&decl];
    if (!tables)
        tables = std::make_unique<DispTables>(decl);
    return *tables;
}

void ForgetTables(const DispInterface& decl) {
    if (decl.cache)
        return; // the cache goes with the declaration
    std::unique_ptr<DispTables> gone;
    OrphanTables& orphans = Orphans();
    std::lock_guard lock(orphans.mutex);
    auto it = orphans.tables.find(&decl);
    if (it != orphans.tables.end()) {
        gone = std::move(it->second);
        orphans.tables.erase(it);
    }
}

HRESULT StartNameLookup(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (count == 0)
        return S_FALSE;
    if (!names || !ids)
        return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    return S_OK;
}

} // namespace detail

const DispMember* DispFindName(const DispInterface& decl, std::u16string_view name, bool caseSensitive) {
    return detail::TablesOf(decl).FindName(name, caseSensitive);
}

const DispMember* DispSelectMember(const DispInterface& decl, DISPID id, WORD flags) {
    const detail::DispTables& tables = detail::TablesOf(decl);
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        const DispMember* m = nullptr;
        if (flags & DISPATCH_PROPERTYPUTREF)
            m = tables.Find(id, INVOKE_PROPERTYPUTREF);
        if (!m && (flags & DISPATCH_PROPERTYPUT))
            m = tables.Find(id, INVOKE_PROPERTYPUT);
        return m;
    }
    const DispMember* m = nullptr;
    if (flags & DISPATCH_METHOD)
        m = tables.Find(id, INVOKE_FUNC);
    if (!m && (flags & DISPATCH_PROPERTYGET))
        m = tables.Find(id, INVOKE_PROPERTYGET);
    return m;
}

HRESULT GetDispTypeInfo(const DispInterface& decl, ITypeInfo** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return detail::TablesOf(decl).TypeInfo(out);
}

} // namespace qx::com
