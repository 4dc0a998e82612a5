// Type libraries: a small per-library description over the dispatch declarations, written at
// build time into this platform's compact binary form and read back as ITypeLib/ITypeInfo.
//
//     inline constexpr const qx::com::DispInterface* kQuorleInterfaces[] = {&kDisp_IConvert, ...};
//     inline constexpr qx::com::ImplTypeDesc kConvertImpls[] = {
//         {&IID_IConvert, IMPLTYPEFLAG_FDEFAULT},
//         {&DIID__DIConvertEvent, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
//     };
//     inline constexpr qx::com::CoclassDesc kQuorleClasses[] = {
//         {&CLSID_Convert, u"Convert", kConvertImpls, std::size(kConvertImpls), u"Convert Class"},
//     };
//     inline constexpr qx::com::LibraryDesc kQuorleLibrary = {
//         &LIBID_QUORLELib, u"QUORLELib", u"Quorle 1.0 Type Library", 1, 0,
//         kQuorleInterfaces, std::size(kQuorleInterfaces), kQuorleClasses, std::size(kQuorleClasses)};
//
// The types of a library come in this order: its interfaces, then its coclasses, then its enums.
#pragma once

#include "oleauto.h"
#include "qx/com/dispatch_decl.h"

#include <vector>

namespace qx::com {

struct EnumValueDesc {
    const char16_t* name;
    LONG value;
    const char16_t* help = nullptr;
};

struct EnumDesc {
    const char16_t* name;
    const EnumValueDesc* values;
    UINT count;
    const char16_t* help = nullptr;
    const GUID* guid = nullptr; // optional uuid of the enum
};

// One interface of a coclass, named by IID; it must be one of the library's interfaces.
struct ImplTypeDesc {
    const IID* iid;
    INT flags; // IMPLTYPEFLAG_FDEFAULT, IMPLTYPEFLAG_FSOURCE ...
};

struct CoclassDesc {
    const CLSID* clsid;
    const char16_t* name;
    const ImplTypeDesc* impls;
    UINT implCount;
    const char16_t* help = nullptr;
    WORD typeFlags = TYPEFLAG_FCANCREATE;
};

struct LibraryDesc {
    const GUID* libid;
    const char16_t* name;
    const char16_t* help;
    WORD majorVersion;
    WORD minorVersion;
    const DispInterface* const* interfaces;
    UINT interfaceCount;
    const CoclassDesc* coclasses = nullptr;
    UINT coclassCount = 0;
    const EnumDesc* enums = nullptr;
    UINT enumCount = 0;
    LCID lcid = 0;
    const char16_t* helpFile = nullptr;
    WORD libFlags = 0;
};

// The binary form; E_INVALIDARG when a coclass names an interface the library lacks.
HRESULT WriteTypeLibrary(const LibraryDesc& library, std::vector<BYTE>& bytes);

// Reads the binary form (TYPE_E_UNSUPFORMAT for other data, TYPE_E_INVDATAREAD when damaged).
HRESULT LoadTypeLibFromMemory(const void* data, std::size_t size, ITypeLib** out);

// The same library straight from its description, without the binary form.
HRESULT CreateTypeLib(const LibraryDesc& library, ITypeLib** out);

// The coclass's type information (IProvideClassInfo::GetClassInfo).
HRESULT GetClassTypeInfo(const LibraryDesc& library, REFCLSID clsid, ITypeInfo** out);

// The IID of a coclass's [default, source] interface; E_INVALIDARG when it has none.
HRESULT GetDefaultSourceIid(const LibraryDesc& library, REFCLSID clsid, IID* out);

// LoadTypeLib hands a file that is not a type-library file to this loader, which the resource
// service installs to read TYPELIB resource 1 of a component file.
using TypeLibResourceLoader = HRESULT (*)(LPCOLESTR path, std::vector<BYTE>& bytes);
void SetTypeLibResourceLoader(TypeLibResourceLoader loader);

// Defined by the source given to qx_add_type_library; the generator writes this library.
const LibraryDesc& GeneratedTypeLibrary();

} // namespace qx::com
