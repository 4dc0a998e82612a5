#include "member_facts.h"

namespace qx::script {
namespace {

// Methods from properties, and the [out] arguments of a method or get: the first function of the
// DISPID that is a method or a get decides; a put alone makes it a property, and so does a variable.
MemberFacts ReadFacts(ITypeInfo* info, DISPID dispid) {
    MemberFacts facts;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr)) || !attr)
        return facts;
    const WORD funcs = attr->cFuncs;
    const WORD vars = attr->cVars;
    info->ReleaseTypeAttr(attr);
    bool decided = false;
    bool outsRead = false;
    for (UINT i = 0; i < funcs && !(decided && outsRead); ++i) {
        FUNCDESC* desc = nullptr;
        if (FAILED(info->GetFuncDesc(i, &desc)) || !desc)
            continue;
        const bool callable = desc->invkind == INVOKE_FUNC || desc->invkind == INVOKE_PROPERTYGET;
        if (desc->memid == dispid && callable && !outsRead) {
            for (SHORT p = 0; p < desc->cParams; ++p) {
                const USHORT flags = desc->lprgelemdescParam[p].paramdesc.wParamFlags;
                if (!(flags & PARAMFLAG_FRETVAL))
                    facts.out.push_back((flags & PARAMFLAG_FOUT) != 0);
            }
            if (facts.out.empty())
                facts.out.push_back(false);
            outsRead = true;
        }
        if (desc->memid == dispid && !decided) {
            if (desc->invkind == INVOKE_FUNC) {
                facts.kind = MemberKind::Method;
                decided = true;
            } else if (desc->invkind == INVOKE_PROPERTYGET) {
                // A property that needs arguments (item(index)) is reached by a call.
                int required = 0;
                for (SHORT p = 0; p < desc->cParams; ++p) {
                    const USHORT flags = desc->lprgelemdescParam[p].paramdesc.wParamFlags;
                    if (!(flags &
                          (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)))
                        ++required;
                }
                facts.kind = required > 0 ? MemberKind::Method : MemberKind::Property;
                decided = true;
            } else {
                facts.kind = MemberKind::Property;
            }
        }
        info->ReleaseFuncDesc(desc);
    }
    if (facts.kind != MemberKind::Unknown)
        return facts;
    for (UINT i = 0; i < vars; ++i) {
        VARDESC* desc = nullptr;
        if (FAILED(info->GetVarDesc(i, &desc)) || !desc)
            continue;
        const bool match = desc->memid == dispid;
        info->ReleaseVarDesc(desc);
        if (match) {
            facts.kind = MemberKind::Property;
            break;
        }
    }
    return facts;
}

} // namespace

const MemberFacts& MemberFactsCache::Of(IDispatch* dispatch, DISPID dispid) {
    UINT count = 0;
    com::ComPtr<ITypeInfo> info;
    if (FAILED(dispatch->GetTypeInfoCount(&count)) || count == 0 ||
        FAILED(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) || !info)
        return unknown_;
    if (last_ && lastType_ == info.Get() && lastId_ == dispid)
        return *last_;
    auto type = types_.find(info.Get());
    if (type == types_.end()) {
        if (types_.size() >= kMaxTypes)
            Clear();
        type = types_.emplace(info.Get(), Type{info, {}}).first;
    }
    auto member = type->second.members.find(dispid);
    if (member == type->second.members.end())
        member = type->second.members.emplace(dispid, ReadFacts(info.Get(), dispid)).first;
    lastType_ = info.Get();
    lastId_ = dispid;
    last_ = &member->second;
    return member->second;
}

} // namespace qx::script
