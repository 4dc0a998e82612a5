// ITypeLib and ITypeInfo over a type model.
//
// Interfaces are described as dispinterfaces (TKIND_DISPATCH; a dual one carries TYPEFLAG_FDUAL and
// each function's vtable offset in oVft): functions are FUNC_DISPATCH, the [out, retval] parameter
// is the function's result type (VT_VOID when there is none) and not one of its parameters, [out]
// parameters are VT_PTR to their type. A dispinterface lists no implemented types. Enum constants
// are VAR_CONST VT_I4 values; a parameter declared as one of the library's enums is VT_USERDEFINED
// with the enum's index as its HREFTYPE.
#include "dispatch_tables.h"
#include "name_compare.h"
#include "objbase.h"
#include "qx/com/bstr.h"
#include "qx/com/dispatch.h"
#include "qx/com/object.h"
#include "type_model.h"

#include <cstring>

namespace qx::com::detail {

namespace {

HRESULT CopyText(const std::u16string& text, BSTR* out) {
    if (!out)
        return S_OK;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::size_t RoundUp(std::size_t n) {
    return (n + 15) & ~static_cast<std::size_t>(15);
}

class TypeLibObject : public ObjectRoot, public ITypeLib {
public:
    explicit TypeLibObject(std::shared_ptr<const LibraryModel> model) : model_(std::move(model)) {}

    QX_BEGIN_INTERFACES(TypeLibObject)
    QX_INTERFACE_ENTRY(ITypeLib)
    QX_END_INTERFACES()

    const std::shared_ptr<const LibraryModel>& Model() const { return model_; }

    STDMETHODIMP_(UINT) GetTypeInfoCount() override { return static_cast<UINT>(model_->types.size()); }

    STDMETHODIMP GetTypeInfo(UINT index, ITypeInfo** ppTInfo) override;

    STDMETHODIMP GetTypeInfoType(UINT index, TYPEKIND* pTKind) override {
        if (!pTKind)
            return E_INVALIDARG;
        if (index >= model_->types.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *pTKind = model_->types[index].kind;
        return S_OK;
    }

    STDMETHODIMP GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppTinfo) override {
        if (!ppTinfo)
            return E_INVALIDARG;
        *ppTinfo = nullptr;
        for (UINT i = 0; i < model_->types.size(); ++i)
            if (IsEqualGUID(model_->types[i].guid, guid) && !IsEqualGUID(guid, GUID_NULL))
                return GetTypeInfo(i, ppTinfo);
        return TYPE_E_ELEMENTNOTFOUND;
    }

    STDMETHODIMP GetLibAttr(TLIBATTR** ppTLibAttr) override {
        if (!ppTLibAttr)
            return E_INVALIDARG;
        auto* attr = static_cast<TLIBATTR*>(CoTaskMemAlloc(sizeof(TLIBATTR)));
        if (!attr)
            return E_OUTOFMEMORY;
        std::memset(attr, 0, sizeof *attr);
        attr->guid = model_->libid;
        attr->lcid = model_->lcid;
        attr->syskind = SYS_WIN32; // the components are 32-bit Windows servers by design
        attr->wMajorVerNum = model_->major;
        attr->wMinorVerNum = model_->minor;
        attr->wLibFlags = model_->libFlags;
        *ppTLibAttr = attr;
        return S_OK;
    }

    STDMETHODIMP GetTypeComp(ITypeComp** ppTComp) override {
        if (ppTComp)
            *ppTComp = nullptr;
        return E_NOTIMPL;
    }

    STDMETHODIMP GetDocumentation(INT index, BSTR* pBstrName, BSTR* pBstrDocString, DWORD* pdwHelpContext,
                                  BSTR* pBstrHelpFile) override {
        const std::u16string* name;
        const std::u16string* help;
        if (index == -1) {
            name = &model_->name;
            help = &model_->help;
        } else if (index >= 0 && static_cast<std::size_t>(index) < model_->types.size()) {
            name = &model_->types[static_cast<std::size_t>(index)].name;
            help = &model_->types[static_cast<std::size_t>(index)].help;
        } else {
            return TYPE_E_ELEMENTNOTFOUND;
        }
        if (pdwHelpContext)
            *pdwHelpContext = 0;
        HRESULT hr = CopyText(*name, pBstrName);
        if (SUCCEEDED(hr))
            hr = CopyText(*help, pBstrDocString);
        if (SUCCEEDED(hr))
            hr = CopyText(model_->helpFile, pBstrHelpFile);
        return hr;
    }

    // Type names and member names, in any case; the buffer gets the name as declared.
    STDMETHODIMP IsName(LPOLESTR szNameBuf, ULONG, BOOL* pfName) override {
        if (!szNameBuf || !pfName)
            return E_INVALIDARG;
        *pfName = FALSE;
        std::u16string_view wanted(szNameBuf);
        auto match = [&](const std::u16string& name) {
            if (!NamesEqual(name, wanted))
                return false;
            std::memcpy(szNameBuf, name.data(), name.size() * sizeof(OLECHAR));
            *pfName = TRUE;
            return true;
        };
        for (const TypeModel& t : model_->types) {
            if (match(t.name))
                return S_OK;
            for (const FuncModel& f : t.funcs)
                if (match(f.name))
                    return S_OK;
            for (const VarModel& v : t.vars)
                if (match(v.name))
                    return S_OK;
        }
        return S_OK;
    }

    STDMETHODIMP FindName(LPOLESTR szNameBuf, ULONG, ITypeInfo** ppTInfo, MEMBERID* rgMemId,
                          USHORT* pcFound) override {
        if (!szNameBuf || !ppTInfo || !rgMemId || !pcFound)
            return E_INVALIDARG;
        std::u16string_view wanted(szNameBuf);
        USHORT found = 0;
        for (UINT i = 0; i < model_->types.size() && found < *pcFound; ++i) {
            const TypeModel& t = model_->types[i];
            MEMBERID id = MEMBERID_NIL;
            bool hit = NamesEqual(t.name, wanted);
            for (const FuncModel& f : t.funcs)
                if (!hit && NamesEqual(f.name, wanted)) {
                    hit = true;
                    id = f.id;
                }
            for (const VarModel& v : t.vars)
                if (!hit && NamesEqual(v.name, wanted)) {
                    hit = true;
                    id = v.id;
                }
            if (!hit)
                continue;
            HRESULT hr = GetTypeInfo(i, &ppTInfo[found]);
            if (FAILED(hr)) {
                for (USHORT k = 0; k < found; ++k)
                    ppTInfo[k]->Release();
                return hr;
            }
            rgMemId[found] = id;
            ++found;
        }
        *pcFound = found;
        return S_OK;
    }

    STDMETHODIMP_(void) ReleaseTLibAttr(TLIBATTR* pTLibAttr) override { CoTaskMemFree(pTLibAttr); }

private:
    std::shared_ptr<const LibraryModel> model_;
};

class TypeInfoObject : public ObjectRoot, public ITypeInfo {
public:
    TypeInfoObject(ComPtr<ITypeLib> lib, std::shared_ptr<const LibraryModel> model, UINT index)
        : lib_(std::move(lib)), model_(std::move(model)), index_(index) {}

    QX_BEGIN_INTERFACES(TypeInfoObject)
    QX_INTERFACE_ENTRY(ITypeInfo)
    QX_END_INTERFACES()

    STDMETHODIMP GetTypeAttr(TYPEATTR** ppTypeAttr) override {
        if (!ppTypeAttr)
            return E_INVALIDARG;
        auto* attr = static_cast<TYPEATTR*>(CoTaskMemAlloc(sizeof(TYPEATTR)));
        if (!attr)
            return E_OUTOFMEMORY;
        std::memset(attr, 0, sizeof *attr);
        const TypeModel& t = Type();
        attr->guid = t.guid;
        attr->lcid = model_->lcid;
        attr->memidConstructor = MEMBERID_NIL;
        attr->memidDestructor = MEMBERID_NIL;
        attr->typekind = t.kind;
        attr->cFuncs = static_cast<WORD>(t.funcs.size());
        attr->cVars = static_cast<WORD>(t.vars.size());
        attr->cImplTypes = static_cast<WORD>(t.impls.size());
        attr->cbSizeVft =
            static_cast<WORD>(t.kind == TKIND_DISPATCH
                                  ? ((t.typeFlags & TYPEFLAG_FDUAL) ? 7 + t.funcs.size() : 7) * sizeof(void*)
                                  : 0);
        attr->cbAlignment = alignof(void*);
        attr->cbSizeInstance = t.kind == TKIND_ENUM ? sizeof(LONG) : sizeof(void*);
        attr->wTypeFlags = t.typeFlags;
        attr->wMajorVerNum = model_->major;
        attr->wMinorVerNum = model_->minor;
        attr->tdescAlias.vt = VT_EMPTY;
        *ppTypeAttr = attr;
        return S_OK;
    }

    STDMETHODIMP GetTypeComp(ITypeComp** ppTComp) override {
        if (ppTComp)
            *ppTComp = nullptr;
        return E_NOTIMPL;
    }

    // One block: FUNCDESC, then an ELEMDESC, a TYPEDESC and a PARAMDESCEX per parameter.
    STDMETHODIMP GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) override {
        if (!ppFuncDesc)
            return E_INVALIDARG;
        *ppFuncDesc = nullptr;
        const TypeModel& t = Type();
        if (index >= t.funcs.size())
            return TYPE_E_ELEMENTNOTFOUND;
        const FuncModel& f = t.funcs[index];
        std::size_t n = f.ArgumentCount();
        std::size_t elemOffset = RoundUp(sizeof(FUNCDESC));
        std::size_t typeOffset = elemOffset + RoundUp(n * sizeof(ELEMDESC));
        std::size_t exOffset = typeOffset + RoundUp((n + 1) * sizeof(TYPEDESC));
        std::size_t total = exOffset + n * sizeof(PARAMDESCEX);
        auto* block = static_cast<BYTE*>(CoTaskMemAlloc(total));
        if (!block)
            return E_OUTOFMEMORY;
        std::memset(block, 0, total);
        auto* fd = reinterpret_cast<FUNCDESC*>(block);
        auto* elems = reinterpret_cast<ELEMDESC*>(block + elemOffset);
        auto* types = reinterpret_cast<TYPEDESC*>(block + typeOffset);
        auto* exs = reinterpret_cast<PARAMDESCEX*>(block + exOffset);
        fd->memid = f.id;
        fd->funckind = FUNC_DISPATCH;
        fd->invkind = static_cast<INVOKEKIND>(f.invkind);
        fd->callconv = CC_STDCALL;
        fd->cParams = static_cast<SHORT>(n);
        fd->cParamsOpt = 0;
        fd->oVft = f.oVft;
        fd->wFuncFlags = f.funcFlags;
        fd->lprgelemdescParam = n ? elems : nullptr;
        const ParamModel* r = f.Retval();
        fd->elemdescFunc.tdesc.vt = r ? r->vt : static_cast<VARTYPE>(VT_VOID);
        if (r && r->userType >= 0) { // a property of one of the library's enums
            fd->elemdescFunc.tdesc.vt = VT_USERDEFINED;
            fd->elemdescFunc.tdesc.hreftype = static_cast<HREFTYPE>(r->userType);
        }
        fd->elemdescFunc.paramdesc.wParamFlags = PARAMFLAG_NONE;
        for (std::size_t i = 0; i < n; ++i) {
            const ParamModel& p = f.params[i];
            ELEMDESC& e = elems[i];
            TYPEDESC value{};
            value.vt = p.vt;
            if (p.userType >= 0) {
                value.vt = VT_USERDEFINED;
                value.hreftype = static_cast<HREFTYPE>(p.userType);
            }
            if (p.flags & PARAMFLAG_FOUT) {
                types[i] = value;
                e.tdesc.vt = VT_PTR;
                e.tdesc.lptdesc = &types[i];
            } else {
                e.tdesc = value;
            }
            e.paramdesc.wParamFlags = p.flags;
            if (p.flags & PARAMFLAG_FHASDEFAULT) {
                PARAMDESCEX& ex = exs[i];
                ex.cBytes = sizeof(PARAMDESCEX);
                VariantInit(&ex.varDefaultValue);
                if (p.vt == VT_BSTR) {
                    ex.varDefaultValue.vt = VT_BSTR;
                    ex.varDefaultValue.bstrVal =
                        SysAllocStringLen(p.defaultText.data(), static_cast<UINT>(p.defaultText.size()));
                } else {
                    ex.varDefaultValue.vt = VT_I4;
                    ex.varDefaultValue.lVal = p.defaultNumber;
                }
                e.paramdesc.pparamdescex = &ex;
            }
        }
        *ppFuncDesc = fd;
        return S_OK;
    }

    STDMETHODIMP GetVarDesc(UINT index, VARDESC** ppVarDesc) override {
        if (!ppVarDesc)
            return E_INVALIDARG;
        *ppVarDesc = nullptr;
        const TypeModel& t = Type();
        if (index >= t.vars.size())
            return TYPE_E_ELEMENTNOTFOUND;
        std::size_t valueOffset = RoundUp(sizeof(VARDESC));
        auto* block = static_cast<BYTE*>(CoTaskMemAlloc(valueOffset + sizeof(VARIANT)));
        if (!block)
            return E_OUTOFMEMORY;
        std::memset(block, 0, valueOffset + sizeof(VARIANT));
        auto* vd = reinterpret_cast<VARDESC*>(block);
        auto* value = reinterpret_cast<VARIANT*>(block + valueOffset);
        VariantInit(value);
        value->vt = VT_I4;
        value->lVal = t.vars[index].value;
        vd->memid = t.vars[index].id;
        vd->lpvarValue = value;
        vd->elemdescVar.tdesc.vt = VT_I4;
        vd->varkind = VAR_CONST;
        *ppVarDesc = vd;
        return S_OK;
    }

    // The function's name and then its parameters' (the [out, retval] one is not listed).
    STDMETHODIMP GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames, UINT* pcNames) override {
        if (!rgBstrNames || !pcNames)
            return E_INVALIDARG;
        *pcNames = 0;
        const TypeModel& t = Type();
        std::vector<const std::u16string*> names;
        for (const FuncModel& f : t.funcs)
            if (f.id == memid) {
                names.push_back(&f.name);
                for (std::size_t i = 0; i < f.ArgumentCount(); ++i)
                    names.push_back(&f.params[i].name);
                break;
            }
        if (names.empty())
            for (const VarModel& v : t.vars)
                if (v.id == memid) {
                    names.push_back(&v.name);
                    break;
                }
        if (names.empty())
            return TYPE_E_ELEMENTNOTFOUND;
        UINT count = 0;
        for (; count < names.size() && count < cMaxNames; ++count) {
            HRESULT hr = CopyText(*names[count], &rgBstrNames[count]);
            if (FAILED(hr)) {
                for (UINT k = 0; k < count; ++k)
                    SysFreeString(rgBstrNames[k]);
                return hr;
            }
        }
        *pcNames = count;
        return S_OK;
    }

    STDMETHODIMP GetRefTypeOfImplType(UINT index, HREFTYPE* pRefType) override {
        if (!pRefType)
            return E_INVALIDARG;
        const TypeModel& t = Type();
        if (index >= t.impls.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *pRefType = t.impls[index].typeIndex;
        return S_OK;
    }

    STDMETHODIMP GetImplTypeFlags(UINT index, INT* pImplTypeFlags) override {
        if (!pImplTypeFlags)
            return E_INVALIDARG;
        const TypeModel& t = Type();
        if (index >= t.impls.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *pImplTypeFlags = t.impls[index].flags;
        return S_OK;
    }

    STDMETHODIMP GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) override {
        if (cNames == 0)
            return S_OK;
        if (!rgszNames || !pMemId)
            return E_INVALIDARG;
        for (UINT i = 0; i < cNames; ++i)
            pMemId[i] = MEMBERID_NIL;
        std::u16string_view wanted = TextOf(rgszNames[0]);
        const TypeModel& t = Type();
        const FuncModel* func = nullptr;
        for (const FuncModel& f : t.funcs)
            if (NamesEqual(f.name, wanted)) {
                func = &f;
                break;
            }
        if (!func) {
            for (const VarModel& v : t.vars)
                if (NamesEqual(v.name, wanted)) {
                    pMemId[0] = v.id;
                    return cNames == 1 ? S_OK : DISP_E_UNKNOWNNAME;
                }
            return DISP_E_UNKNOWNNAME;
        }
        pMemId[0] = func->id;
        HRESULT hr = S_OK;
        for (UINT n = 1; n < cNames; ++n) {
            std::u16string_view param = TextOf(rgszNames[n]);
            for (const FuncModel& f : t.funcs) {
                if (f.id != func->id || pMemId[n] != MEMBERID_NIL)
                    continue;
                for (std::size_t i = 0; i < f.ArgumentCount(); ++i)
                    if (NamesEqual(f.params[i].name, param)) {
                        pMemId[n] = static_cast<MEMBERID>(i);
                        break;
                    }
            }
            if (pMemId[n] == MEMBERID_NIL)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }

    // The instance of a dispinterface or dual interface is an IDispatch: the call goes to its Invoke.
    STDMETHODIMP Invoke(PVOID pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override {
        if (!pvInstance)
            return E_INVALIDARG;
        if (Type().kind != TKIND_DISPATCH)
            return TYPE_E_WRONGTYPEKIND;
        return static_cast<IDispatch*>(pvInstance)
            ->Invoke(memid, IID_NULL, LOCALE_USER_DEFAULT, wFlags, pDispParams, pVarResult, pExcepInfo,
                     puArgErr);
    }

    STDMETHODIMP GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString,
                                  DWORD* pdwHelpContext, BSTR* pBstrHelpFile) override {
        const TypeModel& t = Type();
        const std::u16string* name = nullptr;
        const std::u16string* help = nullptr;
        if (memid == MEMBERID_NIL) {
            name = &t.name;
            help = &t.help;
        } else {
            for (const FuncModel& f : t.funcs)
                if (f.id == memid) {
                    name = &f.name;
                    help = &f.help;
                    break;
                }
            if (!name)
                for (const VarModel& v : t.vars)
                    if (v.id == memid) {
                        name = &v.name;
                        help = &v.help;
                        break;
                    }
        }
        if (!name)
            return TYPE_E_ELEMENTNOTFOUND;
        if (pdwHelpContext)
            *pdwHelpContext = 0;
        HRESULT hr = CopyText(*name, pBstrName);
        if (SUCCEEDED(hr))
            hr = CopyText(*help, pBstrDocString);
        if (SUCCEEDED(hr))
            hr = CopyText(model_->helpFile, pBstrHelpFile);
        return hr;
    }

    STDMETHODIMP GetDllEntry(MEMBERID, INVOKEKIND, BSTR* pBstrDllName, BSTR* pBstrName,
                             WORD* pwOrdinal) override {
        if (pBstrDllName)
            *pBstrDllName = nullptr;
        if (pBstrName)
            *pBstrName = nullptr;
        if (pwOrdinal)
            *pwOrdinal = 0;
        return TYPE_E_WRONGTYPEKIND; // only module types have entry points
    }

    STDMETHODIMP GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo** ppTInfo) override {
        if (!ppTInfo)
            return E_INVALIDARG;
        *ppTInfo = nullptr;
        if (hRefType >= model_->types.size())
            return TYPE_E_ELEMENTNOTFOUND;
        return CreateTypeInfoObject(model_, hRefType, ppTInfo, lib_);
    }

    STDMETHODIMP AddressOfMember(MEMBERID, INVOKEKIND, PVOID* ppv) override {
        if (ppv)
            *ppv = nullptr;
        return TYPE_E_WRONGTYPEKIND;
    }

    // Creating objects belongs to activation, which a type description does not do here.
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, PVOID* ppvObj) override {
        if (ppvObj)
            *ppvObj = nullptr;
        return Type().kind == TKIND_COCLASS ? E_NOTIMPL : TYPE_E_WRONGTYPEKIND;
    }

    STDMETHODIMP GetMops(MEMBERID, BSTR* pBstrMops) override {
        if (!pBstrMops)
            return E_INVALIDARG;
        *pBstrMops = nullptr;
        return S_OK;
    }

    STDMETHODIMP GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) override {
        if (ppTLib)
            lib_.CopyTo(ppTLib);
        if (pIndex)
            *pIndex = index_;
        return S_OK;
    }

    STDMETHODIMP_(void) ReleaseTypeAttr(TYPEATTR* pTypeAttr) override { CoTaskMemFree(pTypeAttr); }

    STDMETHODIMP_(void) ReleaseFuncDesc(FUNCDESC* pFuncDesc) override {
        if (!pFuncDesc)
            return;
        for (SHORT i = 0; i < pFuncDesc->cParams; ++i) {
            PARAMDESC& pd = pFuncDesc->lprgelemdescParam[i].paramdesc;
            if (pd.pparamdescex)
                VariantClear(&pd.pparamdescex->varDefaultValue);
        }
        CoTaskMemFree(pFuncDesc);
    }

    STDMETHODIMP_(void) ReleaseVarDesc(VARDESC* pVarDesc) override {
        if (!pVarDesc)
            return;
        VariantClear(pVarDesc->lpvarValue);
        CoTaskMemFree(pVarDesc);
    }

    static HRESULT CreateTypeInfoObject(std::shared_ptr<const LibraryModel> model, UINT index,
                                        ITypeInfo** out, ComPtr<ITypeLib> lib) {
        ObjectPtr<TypeInfoObject> info;
        HRESULT hr = CreateObject<TypeInfoObject>(info, std::move(lib), std::move(model), index);
        if (FAILED(hr))
            return hr;
        *out = static_cast<ITypeInfo*>(info.Get());
        (*out)->AddRef();
        return S_OK;
    }

private:
    const TypeModel& Type() const { return model_->types[index_]; }

    ComPtr<ITypeLib> lib_;
    std::shared_ptr<const LibraryModel> model_;
    UINT index_;
};

STDMETHODIMP TypeLibObject::GetTypeInfo(UINT index, ITypeInfo** ppTInfo) {
    if (!ppTInfo)
        return E_INVALIDARG;
    *ppTInfo = nullptr;
    if (index >= model_->types.size())
        return TYPE_E_ELEMENTNOTFOUND;
    return TypeInfoObject::CreateTypeInfoObject(model_, index, ppTInfo, ComPtr<ITypeLib>(this));
}

// An object that a cache keeps for good: the cache's own reference holds no module lock, every
// further one does, so that a holder keeps the code behind the object loaded.
template <typename T>
class SharedObject final : public T {
public:
    template <typename... A>
    explicit SharedObject(A&&... args) : T(std::forward<A>(args)...) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return ObjectRoot::InternalQueryInterface(static_cast<T*>(this), T::InterfaceTable(), riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        const LONG count = ++refs_;
        if (count == 2)
            ModuleLock();
        return static_cast<ULONG>(count);
    }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG count = --refs_;
        if (count == 1)
            ModuleUnlock();
        else if (count == 0)
            delete this;
        return static_cast<ULONG>(count);
    }

private:
    std::atomic<LONG> refs_{1}; // the cache's
};

} // namespace

// A library of one type: the interface itself, with the interface's name.
static std::shared_ptr<LibraryModel> LibraryOfOne(const DispInterface& decl) {
    auto model = std::make_shared<LibraryModel>();
    model->name = decl.name ? decl.name : u"";
    model->types.push_back(ModelOf(decl));
    return model;
}

HRESULT CreateSharedDispTypeInfo(const DispInterface& decl, ITypeInfo** out) {
    *out = nullptr;
    std::shared_ptr<LibraryModel> model = LibraryOfOne(decl);
    auto* lib = new (std::nothrow) SharedObject<TypeLibObject>(model);
    if (!lib)
        return E_OUTOFMEMORY;
    // The library's only reference goes to its type.
    auto* info =
        new (std::nothrow) SharedObject<TypeInfoObject>(ComPtr<ITypeLib>::Attach(lib), std::move(model), 0);
    if (!info) {
        lib->Release();
        return E_OUTOFMEMORY;
    }
    *out = info;
    return S_OK;
}

HRESULT CreateTypeLibObject(std::shared_ptr<const LibraryModel> model, ITypeLib** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    ObjectPtr<TypeLibObject> lib;
    HRESULT hr = CreateObject<TypeLibObject>(lib, std::move(model));
    if (FAILED(hr))
        return hr;
    *out = static_cast<ITypeLib*>(lib.Get());
    (*out)->AddRef();
    return S_OK;
}

HRESULT CreateTypeInfoObject(std::shared_ptr<const LibraryModel> model, UINT index, ITypeInfo** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    ComPtr<ITypeLib> lib;
    HRESULT hr = CreateTypeLibObject(model, &lib);
    if (FAILED(hr))
        return hr;
    return lib->GetTypeInfo(index, out);
}

} // namespace qx::com::detail

namespace qx::com {

HRESULT CreateDispTypeInfo(const DispInterface& decl, ITypeInfo** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return detail::CreateTypeInfoObject(detail::LibraryOfOne(decl), 0, out);
}

HRESULT GetClassTypeInfo(const LibraryDesc& library, REFCLSID clsid, ITypeInfo** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    ComPtr<ITypeLib> lib;
    HRESULT hr = CreateTypeLib(library, &lib);
    if (FAILED(hr))
        return hr;
    ComPtr<ITypeInfo> info;
    hr = lib->GetTypeInfoOfGuid(clsid, &info);
    if (FAILED(hr))
        return hr;
    TYPEKIND kind;
    UINT index = 0;
    info->GetContainingTypeLib(nullptr, &index);
    if (FAILED(lib->GetTypeInfoType(index, &kind)) || kind != TKIND_COCLASS)
        return TYPE_E_ELEMENTNOTFOUND;
    *out = info.Detach();
    return S_OK;
}

HRESULT GetDefaultSourceIid(const LibraryDesc& library, REFCLSID clsid, IID* out) {
    if (!out)
        return E_POINTER;
    *out = GUID_NULL;
    for (UINT c = 0; c < library.coclassCount; ++c) {
        const CoclassDesc& cd = library.coclasses[c];
        if (!IsEqualCLSID(*cd.clsid, clsid))
            continue;
        for (UINT k = 0; k < cd.implCount; ++k) {
            constexpr INT kWanted = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
            if ((cd.impls[k].flags & kWanted) == kWanted) {
                *out = *cd.impls[k].iid;
                return S_OK;
            }
        }
        return E_INVALIDARG;
    }
    return E_INVALIDARG;
}

} // namespace qx::com
