// Internal: the tables built once per dispatch declaration — a hashed name index (any case), a
// DISPID index per invoke kind and the declaration's one shared type information.
#pragma once

#include "name_index.h"
#include "qx/com/dispatch_decl.h"

#include <atomic>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qx::com::detail {

class DispTables {
public:
    explicit DispTables(const DispInterface& decl);
    ~DispTables();
    DispTables(const DispTables&) = delete;
    DispTables& operator=(const DispTables&) = delete;

    // The first member of the name in declaration order.
    const DispMember* FindName(std::u16string_view name, bool caseSensitive) const;
    // The first member with the DISPID whose kind is one of `kinds` (INVOKE_* bits).
    const DispMember* Find(DISPID id, WORD kinds) const;
    // A new reference to the declaration's type information, made by the first caller.
    HRESULT TypeInfo(ITypeInfo** out);

private:
    struct ByDispid {
        DISPID id;
        std::int32_t member[4]; // per kind: function, get, put, putref; -1 when none
    };

    const DispInterface& decl_;
    NameIndex names_;
    std::vector<ByDispid> dispids_; // sorted by DISPID
    std::atomic<ITypeInfo*> typeInfo_{nullptr};
};

// The tables of a declaration, built by the first caller (two threads may race: one set wins).
DispTables& TablesOf(const DispInterface& decl);
// Drops the tables of a declaration without a cache of its own (it is being unregistered).
void ForgetTables(const DispInterface& decl);

// The checks every GetIDsOfNames makes before it looks names up (ids all DISPID_UNKNOWN after it);
// S_FALSE when there is nothing to look up.
HRESULT StartNameLookup(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);

// The type information of one interface that a declaration's tables keep: it holds no module lock
// for the tables' own reference, and one for as long as anybody else holds it.
HRESULT CreateSharedDispTypeInfo(const DispInterface& decl, ITypeInfo** out);

} // namespace qx::com::detail
