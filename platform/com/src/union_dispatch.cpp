// The union dispatch: several interfaces' members merged once per class, and per object the DISPIDs
// of the dynamic names its providers answer for.
#include "qx/com/union_dispatch.h"

#include "dispatch_tables.h"
#include "name_index.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace qx::com {

namespace {

bool CaseSensitive(DWORD grfdex) {
    return (grfdex & fdexNameCaseSensitive) && !(grfdex & fdexNameCaseInsensitive);
}

std::u16string_view TextOf(BSTR name) {
    return name ? std::u16string_view(name, SysStringLen(name)) : std::u16string_view();
}

} // namespace

UnionDeclaration::UnionDeclaration(std::initializer_list<const DispInterface*> decls) {
    // A member joins when neither its name nor its DISPID belongs to an earlier interface
    // (members of one interface share names and DISPIDs among themselves: a get and its put).
    std::unordered_map<DISPID, std::size_t> idOwners;
    detail::NameIndex names; // over members_
    std::size_t owner = 0;
    for (const DispInterface* decl : decls) {
        for (UINT i = 0; i < decl->memberCount; ++i) {
            const DispMember& m = decl->members[i];
            auto id = idOwners.find(m.dispid);
            bool taken = id != idOwners.end() && id->second != owner;
            if (!taken && m.name)
                taken = names.Find(m.name, [&](std::uint32_t k) {
                    return owners_[k] != owner && detail::NamesEqual(members_[k].name, m.name);
                }) >= 0;
            if (taken)
                continue;
            if (m.name)
                names.Add(m.name, static_cast<std::uint32_t>(members_.size()));
            members_.push_back(m);
            owners_.push_back(static_cast<std::uint8_t>(owner));
            idOwners.emplace(m.dispid, owner);
        }
        ++owner;
    }
    const DispInterface& first = **decls.begin();
    merged_.iid = first.iid;
    merged_.name = first.name;
    merged_.members = members_.data();
    merged_.memberCount = static_cast<UINT>(members_.size());
    merged_.dual = false; // its members sit in several vtables
    merged_.help = first.help;
    merged_.typeFlags = first.typeFlags;
    merged_.cache = &cache_;

    for (const DispMember& m : members_) {
        if (EnumerationIndex(m.dispid) >= 0)
            continue;
        const bool hidden = (m.funcFlags & (FUNCFLAG_FHIDDEN | FUNCFLAG_FRESTRICTED)) != 0;
        auto at = std::lower_bound(byDispid_.begin(), byDispid_.end(), m.dispid,
                                   [](const auto& e, DISPID id) { return e.first < id; });
        byDispid_.insert(at, {m.dispid, static_cast<std::uint32_t>(enumeration_.size())});
        enumeration_.push_back({m.dispid, &m, hidden});
    }
}

long UnionDeclaration::EnumerationIndex(DISPID id) const {
    auto at = std::lower_bound(byDispid_.begin(), byDispid_.end(), id,
                               [](const auto& e, DISPID wanted) { return e.first < wanted; });
    return at != byDispid_.end() && at->first == id ? static_cast<long>(at->second) : -1;
}

// A dynamic name of one object: each (provider, spelling) once, with its DISPID.
struct UnionDispatchState::Entry {
    std::u16string name; // as the provider spells it
    bool shadowing;      // which provider answers for it
    DISPID id;
};

struct UnionDispatchState::Names {
    std::vector<Entry> entries; // ascending DISPIDs
    detail::NameIndex index;

    const Entry* ById(DISPID id) const {
        auto at = std::lower_bound(entries.begin(), entries.end(), id,
                                   [](const Entry& e, DISPID wanted) { return e.id < wanted; });
        return at != entries.end() && at->id == id ? &*at : nullptr;
    }
    long Position(DISPID id) const {
        const Entry* e = ById(id);
        return e ? static_cast<long>(e - entries.data()) : -1;
    }

    HRESULT Bind(const UnionTarget& t, bool shadowing, const std::u16string& name, DISPID* id) {
        const long found = index.Find(name, [&](std::uint32_t i) {
            return entries[i].shadowing == shadowing && entries[i].name == name;
        });
        if (found >= 0) {
            *id = entries[static_cast<std::size_t>(found)].id;
            return S_OK;
        }
        DISPID next = entries.empty() ? kDynamicDispidFirst : entries.back().id + 1;
        while (next <= kDynamicDispidLast && t.decl.EnumerationIndex(next) >= 0)
            ++next; // an interface declares it
        if (next > kDynamicDispidLast)
            return E_OUTOFMEMORY; // the range is used up
        index.Add(name, static_cast<std::uint32_t>(entries.size()));
        entries.push_back(Entry{name, shadowing, next});
        *id = next;
        return S_OK;
    }
};

UnionDispatchState::UnionDispatchState() = default;
UnionDispatchState::~UnionDispatchState() = default;

const UnionDispatchState::Entry* UnionDispatchState::Dynamic(DISPID id) const {
    return names_ ? names_->ById(id) : nullptr;
}

UnionDispatchState::Names& UnionDispatchState::Table() {
    if (!names_)
        names_ = std::make_unique<Names>();
    return *names_;
}

namespace {

DynamicNames* ProviderOf(const UnionTarget& t, bool shadowing) {
    return shadowing ? t.shadowing : t.fallback;
}

// Whether the provider of a dynamic name still has it.
bool Live(const UnionTarget& t, bool shadowing, const std::u16string& name) {
    DynamicNames* provider = ProviderOf(t, shadowing);
    std::u16string spelled;
    return provider && provider->FindName(name, true, &spelled);
}

DWORD PropertiesOfMember(const DispInterface& merged, DISPID id) {
    const detail::DispTables& tables = detail::TablesOf(merged);
    DWORD props = fdexPropCannotConstruct | fdexPropCannotSourceEvents;
    props |= tables.Find(id, INVOKE_PROPERTYGET) ? fdexPropCanGet : fdexPropCannotGet;
    props |= tables.Find(id, INVOKE_PROPERTYPUT) ? fdexPropCanPut : fdexPropCannotPut;
    props |= tables.Find(id, INVOKE_PROPERTYPUTREF) ? fdexPropCanPutRef : fdexPropCannotPutRef;
    props |= tables.Find(id, INVOKE_FUNC) ? fdexPropCanCall : fdexPropCannotCall;
    return props;
}

// DISPID_THIS (the `this` of a script call) is no parameter of an interface member: the call goes
// on without it.
struct WithoutThis {
    explicit WithoutThis(DISPPARAMS* given) : params(given) {
        if (!given || !given->rgdispidNamedArgs || !given->rgvarg)
            return;
        UINT at = given->cNamedArgs;
        for (UINT k = 0; k < given->cNamedArgs; ++k)
            if (given->rgdispidNamedArgs[k] == DISPID_THIS)
                at = k;
        if (at == given->cNamedArgs)
            return;
        for (UINT k = 0; k < given->cArgs; ++k)
            if (k != at)
                args.push_back(given->rgvarg[k]); // the caller keeps ownership
        for (UINT k = 0; k < given->cNamedArgs; ++k)
            if (k != at)
                named.push_back(given->rgdispidNamedArgs[k]);
        copy = DISPPARAMS{args.empty() ? nullptr : args.data(), named.empty() ? nullptr : named.data(),
                          given->cArgs - 1, given->cNamedArgs - 1};
        params = &copy;
    }
    DISPPARAMS* params;
    DISPPARAMS copy{};
    std::vector<VARIANT> args;
    std::vector<DISPID> named;
};

} // namespace

HRESULT UnionDispatchState::GetDispID(const UnionTarget& t, BSTR name, DWORD grfdex, DISPID* id) {
    if (!id)
        return E_POINTER;
    return Lookup(t, TextOf(name), grfdex, id);
}

HRESULT UnionDispatchState::Lookup(const UnionTarget& t, std::u16string_view wanted, DWORD grfdex,
                                   DISPID* id) {
    *id = DISPID_UNKNOWN;
    const bool cs = CaseSensitive(grfdex);
    std::u16string spelled;
    if (t.shadowing && t.shadowing->FindName(wanted, cs, &spelled))
        return Table().Bind(t, true, spelled, id);
    if (const DispMember* m = DispFindName(t.decl.Merged(), wanted, cs)) {
        *id = m->dispid;
        return S_OK;
    }
    if (!t.fallback)
        return DISP_E_UNKNOWNNAME;
    if (t.fallback->FindName(wanted, cs, &spelled))
        return Table().Bind(t, false, spelled, id);
    if (!(grfdex & fdexNameEnsure))
        return DISP_E_UNKNOWNNAME;
    HRESULT hr = t.fallback->EnsureName(wanted);
    if (FAILED(hr))
        return hr;
    if (!t.fallback->FindName(wanted, true, &spelled))
        return DISP_E_UNKNOWNNAME;
    return Table().Bind(t, false, spelled, id);
}

HRESULT UnionDispatchState::GetIDsOfNames(const UnionTarget& t, REFIID riid, LPOLESTR* names, UINT count,
                                          DISPID* ids) {
    if (HRESULT hr = detail::StartNameLookup(riid, names, count, ids); hr != S_OK)
        return hr == S_FALSE ? S_OK : hr;
    const std::u16string_view wanted = names[0] ? std::u16string_view(names[0]) : std::u16string_view();
    if (FAILED(Lookup(t, wanted, 0, &ids[0])))
        return DISP_E_UNKNOWNNAME;
    if (count == 1)
        return S_OK;
    if (Dynamic(ids[0]))
        return DISP_E_UNKNOWNNAME; // dynamic members take no named arguments
    const DispMember* m = DispFindName(t.decl.Merged(), wanted);
    return m ? DispParameterIDs(t.decl.Merged(), *m, names + 1, count - 1, ids + 1) : DISP_E_UNKNOWNNAME;
}

HRESULT UnionDispatchState::Invoke(const UnionTarget& t, DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excepInfo, IServiceProvider* caller,
                                   UINT* argErr) {
    if (!params || (params->cArgs && !params->rgvarg) || params->cNamedArgs > params->cArgs ||
        (params->cNamedArgs && !params->rgdispidNamedArgs))
        return E_INVALIDARG;
    if (const Entry* e = Dynamic(id)) {
        DynamicNames* provider = ProviderOf(t, e->shadowing);
        if (!provider)
            return DISP_E_MEMBERNOTFOUND;
        const std::u16string name = e->name; // the call may add names
        return provider->InvokeName(name, lcid, flags, params, result, excepInfo, caller);
    }
    const DispMember* m = DispSelectMember(t.decl.Merged(), id, flags);
    if (!m)
        return DISP_E_MEMBERNOTFOUND;
    WithoutThis call(params);
    return DispInvokeMember(*m, t.interfaces[t.decl.OwnerOf(*m)], call.params, result, excepInfo, argErr);
}

HRESULT UnionDispatchState::DeleteMemberByName(const UnionTarget& t, BSTR name, DWORD grfdex) {
    const std::u16string_view wanted = TextOf(name);
    const bool cs = CaseSensitive(grfdex);
    std::u16string spelled;
    if (t.shadowing && t.shadowing->FindName(wanted, cs, &spelled))
        return t.shadowing->DeleteName(spelled);
    if (DispFindName(t.decl.Merged(), wanted, cs))
        return S_FALSE; // interface members stay
    if (t.fallback && t.fallback->FindName(wanted, cs, &spelled))
        return t.fallback->DeleteName(spelled);
    return S_OK;
}

HRESULT UnionDispatchState::DeleteMemberByDispID(const UnionTarget& t, DISPID id) {
    const Entry* found = Dynamic(id);
    if (!found)
        return t.decl.EnumerationIndex(id) >= 0 ? S_FALSE : S_OK; // interface members stay
    const Entry e = *found;                                       // a copy: providers may add names
    if (!Live(t, e.shadowing, e.name))
        return S_OK;
    return ProviderOf(t, e.shadowing)->DeleteName(e.name);
}

HRESULT UnionDispatchState::GetMemberProperties(const UnionTarget& t, DISPID id, DWORD fetch, DWORD* props) {
    if (!props)
        return E_POINTER;
    *props = 0;
    if (const Entry* found = Dynamic(id)) {
        const Entry e = *found;
        if (!Live(t, e.shadowing, e.name))
            return DISP_E_UNKNOWNNAME;
        *props = ProviderOf(t, e.shadowing)->NameProperties(e.name) & fetch;
        return S_OK;
    }
    if (t.decl.EnumerationIndex(id) < 0)
        return DISP_E_UNKNOWNNAME;
    *props = PropertiesOfMember(t.decl.Merged(), id) & fetch;
    return S_OK;
}

HRESULT UnionDispatchState::GetMemberName(const UnionTarget& t, DISPID id, BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    std::u16string text;
    if (const Entry* found = Dynamic(id)) {
        const Entry e = *found;
        if (!Live(t, e.shadowing, e.name))
            return DISP_E_UNKNOWNNAME;
        text = e.name;
    } else {
        const long at = t.decl.EnumerationIndex(id);
        if (at < 0)
            return DISP_E_UNKNOWNNAME;
        text = t.decl.Enumeration()[static_cast<std::size_t>(at)].member->name;
    }
    *name = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT UnionDispatchState::GetNextDispID(const UnionTarget& t, DWORD grfdex, DISPID id, DISPID* next) {
    if (!next)
        return E_POINTER;
    *next = DISPID_UNKNOWN;
    const auto& order = t.decl.Enumeration();
    std::size_t fromStatic = order.size();
    std::size_t fromDynamic = 0;
    if (id == DISPID_STARTENUM) {
        fromStatic = 0;
    } else if (const long at = t.decl.EnumerationIndex(id); at >= 0) {
        fromStatic = static_cast<std::size_t>(at) + 1;
    } else if (const long pos = names_ ? names_->Position(id) : -1; pos >= 0) {
        fromDynamic = static_cast<std::size_t>(pos) + 1;
    } else {
        return E_INVALIDARG;
    }
    std::u16string spelled;
    for (std::size_t i = fromStatic; i < order.size(); ++i) {
        if (order[i].hidden && !(grfdex & fdexEnumAll))
            continue;
        if (t.shadowing && t.shadowing->FindName(order[i].member->name, false, &spelled))
            continue;
        *next = order[i].id;
        return S_OK;
    }
    if (fromDynamic == 0) {
        // Names the providers list that have no DISPID yet get theirs now, in the providers' order.
        for (bool shadowing : {true, false}) {
            DynamicNames* provider = ProviderOf(t, shadowing);
            if (!provider)
                continue;
            std::vector<std::u16string> listed;
            provider->ListNames(listed);
            for (const std::u16string& name : listed) {
                DISPID ignored;
                HRESULT hr = Table().Bind(t, shadowing, name, &ignored);
                if (FAILED(hr))
                    return hr;
            }
        }
    }
    if (!names_)
        return S_FALSE;
    for (std::size_t i = fromDynamic; i < names_->entries.size(); ++i) {
        const Entry e = names_->entries[i];
        if (Live(t, e.shadowing, e.name)) {
            *next = e.id;
            return S_OK;
        }
    }
    return S_FALSE;
}

} // namespace qx::com
