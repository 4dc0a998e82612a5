// The type-library reader: any bytes either fail to load or give a library whose every type,
// function, variable, name and implemented type can be read.
#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/type_library.h"

#include <cstdint>
#include <cstdlib>

using qx::com::Bstr;
using qx::com::ComPtr;

namespace {

void Walk(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr)))
        std::abort();
    Bstr name, doc, file;
    info->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, &file);
    for (UINT f = 0; f < attr->cFuncs; ++f) {
        FUNCDESC* fd = nullptr;
        if (FAILED(info->GetFuncDesc(f, &fd)))
            std::abort();
        BSTR names[16] = {};
        UINT count = 0;
        if (SUCCEEDED(info->GetNames(fd->memid, names, 16, &count)))
            for (UINT i = 0; i < count; ++i)
                SysFreeString(names[i]);
        Bstr fname;
        info->GetDocumentation(fd->memid, &fname, nullptr, nullptr, nullptr);
        info->ReleaseFuncDesc(fd);
    }
    for (UINT v = 0; v < attr->cVars; ++v) {
        VARDESC* vd = nullptr;
        if (FAILED(info->GetVarDesc(v, &vd)))
            std::abort();
        info->ReleaseVarDesc(vd);
    }
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
        HREFTYPE ref = 0;
        INT flags = 0;
        ComPtr<ITypeInfo> implemented;
        if (FAILED(info->GetRefTypeOfImplType(i, &ref)) || FAILED(info->GetImplTypeFlags(i, &flags)) ||
            FAILED(info->GetRefTypeInfo(ref, &implemented)))
            std::abort();
    }
    if (name.Length()) {
        LPOLESTR names[] = {name.Get()};
        MEMBERID id;
        info->GetIDsOfNames(names, 1, &id);
    }
    info->ReleaseTypeAttr(attr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ComPtr<ITypeLib> lib;
    HRESULT hr = qx::com::LoadTypeLibFromMemory(data, size, &lib);
    if (FAILED(hr)) {
        if (lib || (hr != TYPE_E_INVDATAREAD && hr != TYPE_E_UNSUPFORMAT))
            std::abort();
        return 0;
    }
    TLIBATTR* attr = nullptr;
    if (FAILED(lib->GetLibAttr(&attr)))
        std::abort();
    lib->ReleaseTLibAttr(attr);
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        if (FAILED(lib->GetTypeInfo(i, &info)))
            std::abort();
        Walk(info.Get());
    }
    return 0;
}
