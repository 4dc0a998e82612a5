// Internal: the owned form of a type library, shared by the in-memory descriptions, the binary
// reader and writer, and the ITypeLib/ITypeInfo objects.
#pragma once

#include "oaidl.h"
#include "qx/com/dispatch_decl.h"
#include "qx/com/type_library.h"

#include <memory>
#include <string>
#include <vector>

namespace qx::com::detail {

struct ParamModel {
    std::u16string name;
    VARTYPE vt = VT_EMPTY;
    USHORT flags = 0;
    LONG defaultNumber = 0;
    std::u16string defaultText;
    std::u16string typeName; // enum named by the declaration
    LONG userType = -1;      // index of that enum in the library, once resolved
};

struct FuncModel {
    std::u16string name, help;
    DISPID id = 0;
    WORD invkind = INVOKE_FUNC;
    WORD funcFlags = 0;
    SHORT oVft = 0;
    std::vector<ParamModel> params; // the [out, retval] parameter, if any, last

    const ParamModel* Retval() const {
        return !params.empty() && (params.back().flags & PARAMFLAG_FRETVAL) ? &params.back() : nullptr;
    }
    std::size_t ArgumentCount() const { return Retval() ? params.size() - 1 : params.size(); }
};

struct VarModel {
    std::u16string name, help;
    LONG value = 0;
    MEMBERID id = 0;
};

struct ImplModel {
    UINT typeIndex = 0;
    INT flags = 0;
};

struct TypeModel {
    TYPEKIND kind = TKIND_DISPATCH;
    GUID guid{};
    std::u16string name, help;
    WORD typeFlags = 0;
    std::vector<FuncModel> funcs;
    std::vector<VarModel> vars;
    std::vector<ImplModel> impls;
};

struct LibraryModel {
    GUID libid{};
    LCID lcid = 0;
    WORD major = 0, minor = 0, libFlags = 0;
    std::u16string name, help, helpFile;
    std::vector<TypeModel> types;
};

TypeModel ModelOf(const DispInterface& decl);
HRESULT ModelOf(const LibraryDesc& library, LibraryModel& out);

std::vector<BYTE> Serialize(const LibraryModel& model);
HRESULT Deserialize(const BYTE* data, std::size_t size, LibraryModel& out);

HRESULT CreateTypeLibObject(std::shared_ptr<const LibraryModel> model, ITypeLib** out);
HRESULT CreateTypeInfoObject(std::shared_ptr<const LibraryModel> model, UINT index, ITypeInfo** out);

// Whether a type can be a parameter's in a type library of ours.
bool IsParamType(VARTYPE vt);

} // namespace qx::com::detail
