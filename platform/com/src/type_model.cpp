// Type models from dispatch declarations and library descriptions.
#include "type_model.h"

#include "variant_type.h"

#include <string_view>

namespace qx::com::detail {

namespace {

std::u16string Text(const char16_t* s) {
    return s ? std::u16string(s) : std::u16string();
}

} // namespace

bool IsParamType(VARTYPE vt) {
    if (vt & VT_BYREF)
        return false;
    if (vt & VT_ARRAY) {
        VARTYPE base = vt & VT_TYPEMASK;
        return base == VT_VARIANT || base == VT_BSTR || base == VT_I4 || base == VT_I2 || base == VT_UI1 ||
               base == VT_R8 || base == VT_BOOL || base == VT_DISPATCH || base == VT_UNKNOWN;
    }
    return IsElementType(vt);
}

TypeModel ModelOf(const DispInterface& decl) {
    TypeModel t;
    t.kind = TKIND_DISPATCH;
    t.guid = *decl.iid;
    t.name = Text(decl.name);
    t.help = Text(decl.help);
    t.typeFlags = static_cast<WORD>(TYPEFLAG_FDISPATCHABLE | decl.typeFlags |
                                    (decl.dual ? TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION : 0));
    for (UINT i = 0; i < decl.memberCount; ++i) {
        const DispMember& m = decl.members[i];
        FuncModel f;
        f.name = Text(m.name);
        f.help = Text(m.help);
        f.id = m.dispid;
        f.invkind = m.kind;
        f.funcFlags = m.funcFlags;
        f.oVft = decl.dual ? decl.VtableOffset(i) : 0;
        for (UINT p = 0; p < m.paramCount; ++p) {
            ParamModel pm;
            pm.name = Text(m.params[p].name);
            pm.vt = m.params[p].vt;
            pm.flags = m.params[p].flags;
            pm.defaultNumber = m.params[p].defaultNumber;
            pm.defaultText = Text(m.params[p].defaultText);
            pm.typeName = Text(m.params[p].typeName);
            f.params.push_back(std::move(pm));
        }
        t.funcs.push_back(std::move(f));
    }
    return t;
}

HRESULT ModelOf(const LibraryDesc& library, LibraryModel& out) {
    out = LibraryModel{};
    if (!library.libid || (library.interfaceCount && !library.interfaces))
        return E_INVALIDARG;
    out.libid = *library.libid;
    out.lcid = library.lcid;
    out.major = library.majorVersion;
    out.minor = library.minorVersion;
    out.libFlags = library.libFlags;
    out.name = Text(library.name);
    out.help = Text(library.help);
    out.helpFile = Text(library.helpFile);
    for (UINT i = 0; i < library.interfaceCount; ++i) {
        if (!library.interfaces[i])
            return E_INVALIDARG;
        out.types.push_back(ModelOf(*library.interfaces[i]));
    }
    for (UINT c = 0; c < library.coclassCount; ++c) {
        const CoclassDesc& cd = library.coclasses[c];
        TypeModel t;
        t.kind = TKIND_COCLASS;
        t.guid = *cd.clsid;
        t.name = Text(cd.name);
        t.help = Text(cd.help);
        t.typeFlags = cd.typeFlags;
        for (UINT k = 0; k < cd.implCount; ++k) {
            bool found = false;
            for (UINT i = 0; i < library.interfaceCount && !found; ++i) {
                if (IsEqualIID(*library.interfaces[i]->iid, *cd.impls[k].iid)) {
                    t.impls.push_back({i, cd.impls[k].flags});
                    found = true;
                }
            }
            if (!found)
                return E_INVALIDARG;
        }
        out.types.push_back(std::move(t));
    }
    for (UINT e = 0; e < library.enumCount; ++e) {
        const EnumDesc& ed = library.enums[e];
        TypeModel t;
        t.kind = TKIND_ENUM;
        t.guid = ed.guid ? *ed.guid : GUID_NULL;
        t.name = Text(ed.name);
        t.help = Text(ed.help);
        for (UINT v = 0; v < ed.count; ++v)
            t.vars.push_back({Text(ed.values[v].name), Text(ed.values[v].help), ed.values[v].value,
                              static_cast<MEMBERID>(0x40000000 + v)});
        out.types.push_back(std::move(t));
    }
    // Parameters declared as an enum refer to it; a name the library lacks is an error.
    for (TypeModel& t : out.types)
        for (FuncModel& f : t.funcs)
            for (ParamModel& p : f.params) {
                if (p.typeName.empty())
                    continue;
                for (std::size_t i = 0; i < out.types.size() && p.userType < 0; ++i)
                    if (out.types[i].kind == TKIND_ENUM && out.types[i].name == p.typeName)
                        p.userType = static_cast<LONG>(i);
                if (p.userType < 0 || p.vt != VT_I4)
                    return E_INVALIDARG;
            }
    return S_OK;
}

} // namespace qx::com::detail
