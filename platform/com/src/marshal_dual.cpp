// Dual interfaces on proxies: a vtable built from the interface's declaration whose member slots
// turn each call into an Invoke that runs on the object's thread.
#include "marshal_proxy.h"

#include "oleauto.h"
#include "winerror.h"

#include <cstring>
#include <map>
#include <vector>

namespace qx::com {

namespace {
std::mutex& TypeLock() {
    static auto* lock = new std::mutex;
    return *lock;
}
// By declaration: every module that declares an interface has its own declaration, and the
// vtable built from one points into that module's code.
std::map<const DispInterface*, std::vector<void*>>& VtablesLocked() {
    static auto* tables = new std::map<const DispInterface*, std::vector<void*>>;
    return *tables;
}
std::map<const DispInterface*, const std::type_info*>& TypesLocked() {
    static auto* types = new std::map<const DispInterface*, const std::type_info*>;
    return *types;
}
} // namespace

bool RegisterDispInterfaceType(const DispInterface& decl, const std::type_info& type) {
    std::lock_guard guard(TypeLock());
    TypesLocked()[&decl] = &type;
    return true;
}

void detail::ForgetDualVtable(const DispInterface& decl) {
    std::lock_guard guard(TypeLock());
    VtablesLocked().erase(&decl);
    TypesLocked().erase(&decl);
}

} // namespace qx::com

namespace qx::com::detail {
namespace {

using Front = DualFront;

HRESULT STDMETHODCALLTYPE FrontQueryInterface(Front* self, REFIID riid, void** ppv) {
    return self->facet->QueryInterface(riid, ppv);
}
ULONG STDMETHODCALLTYPE FrontAddRef(Front* self) {
    return self->facet->AddRef();
}
ULONG STDMETHODCALLTYPE FrontRelease(Front* self) {
    return self->facet->Release();
}
HRESULT STDMETHODCALLTYPE FrontGetTypeInfoCount(Front* self, UINT* n) {
    return self->facet->GetTypeInfoCount(n);
}
HRESULT STDMETHODCALLTYPE FrontGetTypeInfo(Front* self, UINT i, LCID lcid, ITypeInfo** out) {
    return self->facet->GetTypeInfo(i, lcid, out);
}
HRESULT STDMETHODCALLTYPE FrontGetIDsOfNames(Front* self, REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                             DISPID* ids) {
    return self->facet->GetIDsOfNames(riid, names, count, lcid, ids);
}
HRESULT STDMETHODCALLTYPE FrontInvoke(Front* self, DISPID id, REFIID riid, LCID lcid, WORD flags,
                                      DISPPARAMS* dp, VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    return self->facet->Invoke(id, riid, lcid, flags, dp, result, excep, argErr);
}

template <typename F>
void* Slot(F f) {
    return reinterpret_cast<void*>(f);
}

// Reads a value of type vt from a parameter's storage of `size` bytes.
void ReadValue(VARIANT& v, VARTYPE vt, const void* from, unsigned size) {
    VariantInit(&v);
    v.vt = vt;
    if (vt == VT_DECIMAL) {
        std::memcpy(&v.decVal, from, sizeof(DECIMAL));
        v.vt = VT_DECIMAL;
    } else if (vt == VT_BOOL && size == 1) {
        v.boolVal = *static_cast<const bool*>(from) ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        std::memcpy(&v.llVal, from, size < sizeof v.llVal ? size : sizeof v.llVal);
    }
}

void WriteValue(const VARIANT& v, void* to, unsigned size) {
    if (v.vt == VT_DECIMAL)
        std::memcpy(to, &v.decVal, sizeof(DECIMAL));
    else if (v.vt == VT_BOOL && size == 1)
        *static_cast<bool*>(to) = v.boolVal != 0;
    else
        std::memcpy(to, &v.llVal, size < sizeof v.llVal ? size : sizeof v.llVal);
}

} // namespace

const void* const* DualVtable(const DispInterface& decl) {
    std::lock_guard guard(TypeLock());
    auto& tables = VtablesLocked();
    auto it = tables.find(&decl);
    if (it != tables.end())
        return const_cast<const void* const*>(it->second.data() + 2);
    auto type = TypesLocked().find(&decl);
    if (type == TypesLocked().end())
        return nullptr;
    for (UINT i = 0; i < decl.memberCount; ++i)
        if (!decl.members[i].proxySlot)
            return nullptr;
    // Offset to the top and type information first, as the compiler lays out its own vtables.
    std::vector<void*> table{nullptr,
                             const_cast<std::type_info*>(type->second),
                             Slot(&FrontQueryInterface),
                             Slot(&FrontAddRef),
                             Slot(&FrontRelease),
                             Slot(&FrontGetTypeInfoCount),
                             Slot(&FrontGetTypeInfo),
                             Slot(&FrontGetIDsOfNames),
                             Slot(&FrontInvoke)};
    for (UINT i = 0; i < decl.memberCount; ++i)
        table.push_back(decl.members[i].proxySlot());
    auto& stored = tables[&decl] = std::move(table);
    return const_cast<const void* const*>(stored.data() + 2);
}

HRESULT ForwardProxyCall(void* self, void* (*slot)(), void* const* args, const ProxyArgShape* shapes,
                         unsigned count) {
    auto* front = static_cast<Front*>(self);
    const DispInterface& decl = *front->decl;
    const DispMember* m = nullptr;
    for (UINT i = 0; i < decl.memberCount && !m; ++i)
        if (decl.members[i].proxySlot == slot)
            m = &decl.members[i];
    if (!m || m->paramCount != count)
        return E_UNEXPECTED;
    const DispParam* retval = m->Retval();
    const UINT n = m->ArgumentCount();
    // Out-only values are collected here and moved to the caller's storage after the call.
    std::vector<VARIANT> rgvarg(n);
    std::vector<VARIANT> outs(n);
    for (UINT i = 0; i < n; ++i) {
        const DispParam& p = m->params[i];
        VARIANT& arg = rgvarg[n - 1 - i];
        VariantInit(&arg);
        VariantInit(&outs[i]);
        if (p.flags & PARAMFLAG_FOUT) {
            void* target = *static_cast<void**>(args[i]);
            if (!target)
                return E_POINTER;
            arg.vt = VT_BYREF | p.vt;
            if (p.flags & PARAMFLAG_FIN) {
                arg.byref = target;
            } else if (p.vt == VT_VARIANT) {
                arg.pvarVal = &outs[i];
            } else {
                outs[i].vt = p.vt;
                arg.byref = p.vt == VT_DECIMAL ? static_cast<void*>(&outs[i].decVal) : &outs[i].llVal;
            }
        } else if (p.vt == VT_VARIANT) {
            const VARIANT* v = shapes[i].pointer ? *static_cast<VARIANT* const*>(args[i])
                                                 : static_cast<const VARIANT*>(args[i]);
            if (v)
                arg = *v; // the caller keeps it; the crossing copies it
        } else {
            ReadValue(arg, p.vt, args[i], shapes[i].size);
        }
    }
    WORD flags = DISPATCH_METHOD;
    if (m->kind & INVOKE_PROPERTYGET)
        flags = DISPATCH_PROPERTYGET;
    else if (m->kind & INVOKE_PROPERTYPUT)
        flags = DISPATCH_PROPERTYPUT;
    else if (m->kind & INVOKE_PROPERTYPUTREF)
        flags = DISPATCH_PROPERTYPUTREF;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS dp{rgvarg.data(), nullptr, n, 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        dp.rgdispidNamedArgs = &put;
        dp.cNamedArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    UINT argErr = 0;
    HRESULT hr = front->facet->Invoke(m->dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp,
                                      retval ? &result : nullptr, &excep, &argErr);
    if (hr == DISP_E_EXCEPTION) {
        hr = excep.scode ? excep.scode : E_FAIL;
        ICreateErrorInfo* create = nullptr;
        if (SUCCEEDED(CreateErrorInfo(&create)) && create) {
            create->SetGUID(*decl.iid);
            create->SetSource(excep.bstrSource);
            create->SetDescription(excep.bstrDescription);
            IErrorInfo* info = nullptr;
            if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
                SetErrorInfo(0, info);
                info->Release();
            }
            create->Release();
        }
    }
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    for (UINT i = 0; i < n; ++i) {
        const DispParam& p = m->params[i];
        if (!(p.flags & PARAMFLAG_FOUT) || (p.flags & PARAMFLAG_FIN))
            continue;
        void* target = *static_cast<void**>(args[i]);
        if (SUCCEEDED(hr)) {
            if (p.vt == VT_VARIANT)
                *static_cast<VARIANT*>(target) = outs[i];
            else
                WriteValue(outs[i], target, shapes[i].pointeeSize);
        } else {
            VariantClear(&outs[i]);
        }
    }
    if (retval) {
        void* target = *static_cast<void**>(args[n]);
        if (SUCCEEDED(hr) && target) {
            if (retval->vt == VT_VARIANT) {
                *static_cast<VARIANT*>(target) = result;
                VariantInit(&result);
            } else {
                VARIANT typed;
                VariantInit(&typed);
                HRESULT converted = VariantChangeType(&typed, &result, 0, retval->vt);
                if (SUCCEEDED(converted))
                    WriteValue(typed, target, shapes[n].pointeeSize);
                else
                    hr = converted;
            }
        }
        VariantClear(&result);
    }
    return hr;
}

} // namespace qx::com::detail
