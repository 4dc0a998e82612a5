// Type libraries: written from the declarations, read back, and compared member by member.
#include "test_interfaces.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

using qx::com::Bstr;
using qx::com::ComPtr;

namespace {

std::vector<BYTE> Written() {
    std::vector<BYTE> bytes;
    EXPECT_EQ(qx::com::WriteTypeLibrary(kTallyLibrary, bytes), S_OK);
    return bytes;
}

ComPtr<ITypeLib> Loaded() {
    std::vector<BYTE> bytes = Written();
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(qx::com::LoadTypeLibFromMemory(bytes.data(), bytes.size(), &lib), S_OK);
    return lib;
}

std::u16string Name(ITypeInfo* info, MEMBERID id) {
    Bstr name;
    info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
    return std::u16string(name.View());
}

// Everything a reader can see of one type, as text, for comparing two libraries.
std::string Describe(ITypeInfo* info) {
    std::ostringstream out;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr)))
        return "<no attr>";
    OLECHAR guid[39];
    StringFromGUID2(attr->guid, guid, 39);
    Bstr name, doc;
    info->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, nullptr);
    out << Bstr(guid).ToUtf8() << " kind=" << attr->typekind << " flags=" << attr->wTypeFlags << ' '
        << name.ToUtf8() << " '" << doc.ToUtf8() << "'\n";
    for (UINT f = 0; f < attr->cFuncs; ++f) {
        FUNCDESC* fd = nullptr;
        info->GetFuncDesc(f, &fd);
        BSTR names[8] = {};
        UINT count = 0;
        info->GetNames(fd->memid, names, 8, &count);
        out << " func " << fd->memid << " inv=" << fd->invkind << " ret=" << fd->elemdescFunc.tdesc.vt
            << " oVft=" << fd->oVft << " fflags=" << fd->wFuncFlags << " params=" << fd->cParams;
        for (SHORT p = 0; p < fd->cParams; ++p) {
            const ELEMDESC& e = fd->lprgelemdescParam[p];
            out << " [" << e.tdesc.vt;
            if (e.tdesc.vt == VT_PTR)
                out << "->" << e.tdesc.lptdesc->vt;
            out << '/' << e.paramdesc.wParamFlags;
            if (e.paramdesc.pparamdescex)
                out << '=' << e.paramdesc.pparamdescex->varDefaultValue.lVal;
            out << ']';
        }
        for (UINT i = 0; i < count; ++i)
            out << ' ' << Bstr::Attach(names[i]).ToUtf8();
        out << '\n';
        info->ReleaseFuncDesc(fd);
    }
    for (UINT v = 0; v < attr->cVars; ++v) {
        VARDESC* vd = nullptr;
        info->GetVarDesc(v, &vd);
        Bstr vname, vdoc;
        info->GetDocumentation(vd->memid, &vname, &vdoc, nullptr, nullptr);
        out << " const " << vname.ToUtf8() << '=' << vd->lpvarValue->lVal << " '" << vdoc.ToUtf8() << "'\n";
        info->ReleaseVarDesc(vd);
    }
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
        HREFTYPE ref = 0;
        INT flags = 0;
        info->GetRefTypeOfImplType(i, &ref);
        info->GetImplTypeFlags(i, &flags);
        ComPtr<ITypeInfo> implemented;
        info->GetRefTypeInfo(ref, &implemented);
        out << " impl " << qx::com::Utf16ToUtf8(Name(implemented.Get(), MEMBERID_NIL)) << " flags=" << flags
            << '\n';
    }
    info->ReleaseTypeAttr(attr);
    return out.str();
}

std::string Describe(ITypeLib* lib) {
    TLIBATTR* la = nullptr;
    lib->GetLibAttr(&la);
    OLECHAR guid[39];
    StringFromGUID2(la->guid, guid, 39);
    Bstr name, doc;
    lib->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
    std::ostringstream out;
    out << Bstr(guid).ToUtf8() << ' ' << la->wMajorVerNum << '.' << la->wMinorVerNum << ' ' << name.ToUtf8()
        << " '" << doc.ToUtf8() << "'\n";
    lib->ReleaseTLibAttr(la);
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        lib->GetTypeInfo(i, &info);
        out << Describe(info.Get());
    }
    return out.str();
}

TEST(TypeLib, RoundTripKeepsEverything) {
    ComPtr<ITypeLib> direct;
    ASSERT_EQ(qx::com::CreateTypeLib(kTallyLibrary, &direct), S_OK);
    ComPtr<ITypeLib> loaded = Loaded();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Describe(loaded.Get()), Describe(direct.Get()));
    EXPECT_EQ(loaded->GetTypeInfoCount(), 5u); // three interfaces, one coclass, one enum
}

TEST(TypeLib, AttributesFunctionsNamesAndDocumentation) {
    ComPtr<ITypeLib> lib = Loaded();
    TLIBATTR* la = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&la), S_OK);
    EXPECT_TRUE(IsEqualGUID(la->guid, LIBID_TALLYLib));
    EXPECT_EQ(la->wMajorVerNum, 1);
    lib->ReleaseTLibAttr(la);
    Bstr libName, libDoc;
    lib->GetDocumentation(-1, &libName, &libDoc, nullptr, nullptr);
    EXPECT_EQ(libName, u"TALLYLib");
    EXPECT_EQ(libDoc, u"Tally 1.0 Type Library");

    ComPtr<ITypeInfo> tally;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(IID_ITally, &tally), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(tally->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_EQ(attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE),
              TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE);
    EXPECT_EQ(attr->cFuncs, std::size(kTallyMembers));
    tally->ReleaseTypeAttr(attr);

    // Add: two parameters, the retval is the result type, vtable slot after IDispatch's seven and the
    // four property accessors before it.
    FUNCDESC* fd = nullptr;
    ASSERT_EQ(tally->GetFuncDesc(4, &fd), S_OK);
    EXPECT_EQ(fd->memid, 2);
    EXPECT_EQ(fd->invkind, INVOKE_FUNC);
    EXPECT_EQ(fd->cParams, 2);
    EXPECT_EQ(fd->elemdescFunc.tdesc.vt, VT_I4);
    EXPECT_EQ(fd->oVft, static_cast<SHORT>(11 * sizeof(void*)));
    tally->ReleaseFuncDesc(fd);
    BSTR names[4];
    UINT count = 0;
    ASSERT_EQ(tally->GetNames(2, names, 4, &count), S_OK);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(Bstr::Attach(names[0]), u"Add");
    EXPECT_EQ(Bstr::Attach(names[1]), u"a");
    EXPECT_EQ(Bstr::Attach(names[2]), u"b");
    Bstr doc;
    tally->GetDocumentation(2, nullptr, &doc, nullptr, nullptr);
    EXPECT_EQ(doc, u"Sum of two numbers");
    EXPECT_EQ(tally->GetNames(999, names, 4, &count), TYPE_E_ELEMENTNOTFOUND);

    // Swap: an [in, out] BSTR* and an [out] long*.
    ASSERT_EQ(tally->GetFuncDesc(6, &fd), S_OK);
    EXPECT_EQ(fd->elemdescFunc.tdesc.vt, VT_VOID);
    ASSERT_EQ(fd->cParams, 2);
    EXPECT_EQ(fd->lprgelemdescParam[0].tdesc.vt, VT_PTR);
    EXPECT_EQ(fd->lprgelemdescParam[0].tdesc.lptdesc->vt, VT_BSTR);
    EXPECT_EQ(fd->lprgelemdescParam[0].paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOUT);
    tally->ReleaseFuncDesc(fd);
    EXPECT_EQ(tally->GetFuncDesc(100, &fd), TYPE_E_ELEMENTNOTFOUND);

    // SetMode's parameter is the library's enum.
    ASSERT_EQ(tally->GetFuncDesc(17, &fd), S_OK);
    EXPECT_EQ(fd->memid, 12);
    ASSERT_EQ(fd->lprgelemdescParam[0].tdesc.vt, VT_USERDEFINED);
    ComPtr<ITypeInfo> mode;
    ASSERT_EQ(tally->GetRefTypeInfo(fd->lprgelemdescParam[0].tdesc.hreftype, &mode), S_OK);
    tally->ReleaseFuncDesc(fd);
    Bstr modeName;
    mode->GetDocumentation(MEMBERID_NIL, &modeName, nullptr, nullptr, nullptr);
    EXPECT_EQ(modeName, u"TALLY_MODE");
}

TEST(TypeLib, EnumParametersOutsideALibraryAreNumbers) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(qx::com::CreateDispTypeInfo(kDisp_ITally, &info), S_OK);
    FUNCDESC* fd = nullptr;
    ASSERT_EQ(info->GetFuncDesc(17, &fd), S_OK);
    EXPECT_EQ(fd->lprgelemdescParam[0].tdesc.vt, VT_I4);
    info->ReleaseFuncDesc(fd);
}

TEST(TypeLib, CoclassFindsItsDefaultSourceInterface) {
    ComPtr<ITypeLib> lib = Loaded();
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_Tally, &coclass), S_OK);
    TYPEATTR* attr;
    coclass->GetTypeAttr(&attr);
    UINT impls = attr->cImplTypes;
    EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FCANCREATE);
    coclass->ReleaseTypeAttr(attr);
    bool found = false;
    for (UINT i = 0; i < impls; ++i) {
        INT flags = 0;
        coclass->GetImplTypeFlags(i, &flags);
        if (flags != (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE))
            continue;
        HREFTYPE ref;
        ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &ref), S_OK);
        ComPtr<ITypeInfo> source;
        ASSERT_EQ(coclass->GetRefTypeInfo(ref, &source), S_OK);
        TYPEATTR* sa;
        source->GetTypeAttr(&sa);
        EXPECT_TRUE(IsEqualGUID(sa->guid, DIID__DTallyEvents));
        EXPECT_EQ(sa->wTypeFlags & TYPEFLAG_FDUAL, 0);
        source->ReleaseTypeAttr(sa);
        found = true;
    }
    EXPECT_TRUE(found);
    HREFTYPE ref;
    EXPECT_EQ(coclass->GetRefTypeOfImplType(3, &ref), TYPE_E_ELEMENTNOTFOUND);
    ComPtr<ITypeLib> containing;
    UINT index = 99;
    ASSERT_EQ(coclass->GetContainingTypeLib(&containing, &index), S_OK);
    EXPECT_EQ(index, 3u);
}

TEST(TypeLib, EnumsAndNameSearch) {
    ComPtr<ITypeLib> lib = Loaded();
    TYPEKIND kind;
    ASSERT_EQ(lib->GetTypeInfoType(4, &kind), S_OK);
    EXPECT_EQ(kind, TKIND_ENUM);
    ComPtr<ITypeInfo> e;
    lib->GetTypeInfo(4, &e);
    VARDESC* vd;
    ASSERT_EQ(e->GetVarDesc(2, &vd), S_OK);
    EXPECT_EQ(vd->varkind, VAR_CONST);
    EXPECT_EQ(vd->lpvarValue->lVal, TALLY_SQUARE);
    e->ReleaseVarDesc(vd);
    OLECHAR buffer[] = u"tally_double";
    BOOL isName = FALSE;
    ASSERT_EQ(lib->IsName(buffer, 0, &isName), S_OK);
    EXPECT_TRUE(isName);
    EXPECT_EQ(std::u16string_view(buffer), u"TALLY_DOUBLE");
    OLECHAR member[] = u"onping";
    ITypeInfo* infos[4];
    MEMBERID ids[4];
    USHORT found = 4;
    ASSERT_EQ(lib->FindName(member, 0, infos, ids, &found), S_OK);
    EXPECT_EQ(found, 2); // both event interfaces
    for (USHORT i = 0; i < found; ++i) {
        EXPECT_EQ(ids[i], 1);
        infos[i]->Release();
    }
    ComPtr<ITypeInfo> none;
    EXPECT_EQ(lib->GetTypeInfoOfGuid(IID_IStream, &none), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(lib->GetTypeInfo(5, &none), TYPE_E_ELEMENTNOTFOUND);
}

TEST(TypeLib, TheBuildWritesTheSameBytes) {
    std::ifstream in(QX_TALLY_TLB, std::ios::binary);
    ASSERT_TRUE(in) << QX_TALLY_TLB;
    std::vector<BYTE> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(file, Written());
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadTypeLib(qx::com::Utf8ToUtf16(QX_TALLY_TLB).c_str(), &lib), S_OK);
    EXPECT_EQ(lib->GetTypeInfoCount(), 5u);
    EXPECT_EQ(LoadTypeLib(u"/nonexistent/file.tlb", &lib), TYPE_E_CANTLOADLIBRARY);
}

TEST(TypeLib, DamagedDataIsRejected) {
    std::vector<BYTE> bytes = Written();
    ComPtr<ITypeLib> lib;
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        HRESULT hr = qx::com::LoadTypeLibFromMemory(bytes.data(), n, &lib);
        EXPECT_TRUE(hr == TYPE_E_INVDATAREAD || hr == TYPE_E_UNSUPFORMAT) << n;
        EXPECT_FALSE(lib);
    }
    std::vector<BYTE> longer = bytes;
    longer.push_back(0);
    EXPECT_EQ(qx::com::LoadTypeLibFromMemory(longer.data(), longer.size(), &lib), TYPE_E_INVDATAREAD);
    std::vector<BYTE> wrongMagic = bytes;
    wrongMagic[0] = 'X';
    EXPECT_EQ(qx::com::LoadTypeLibFromMemory(wrongMagic.data(), wrongMagic.size(), &lib), TYPE_E_UNSUPFORMAT);
}

TEST(TypeLib, AnEnumParameterMustNameAnEnumOfTheLibrary) {
    qx::com::LibraryDesc bad = kTallyLibrary;
    bad.enumCount = 0;
    std::vector<BYTE> bytes;
    EXPECT_EQ(qx::com::WriteTypeLibrary(bad, bytes), E_INVALIDARG);
}

TEST(TypeLib, ACoclassMustNameInterfacesOfTheLibrary) {
    static constexpr qx::com::ImplTypeDesc impls[] = {{&IID_IStream, IMPLTYPEFLAG_FDEFAULT}};
    static constexpr qx::com::CoclassDesc classes[] = {{&CLSID_Tally, u"Bad", impls, std::size(impls)}};
    qx::com::LibraryDesc bad = kTallyLibrary;
    bad.coclasses = classes;
    std::vector<BYTE> bytes;
    EXPECT_EQ(qx::com::WriteTypeLibrary(bad, bytes), E_INVALIDARG);
}

} // namespace
