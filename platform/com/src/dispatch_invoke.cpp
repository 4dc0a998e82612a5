// Invoke over a dispatch declaration.
//
// Arguments arrive in reverse order, named ones first. Each [in] argument is converted to its
// parameter's type with VariantChangeType (a VARIANT parameter takes the argument as it is, an
// object parameter also takes VT_EMPTY/VT_NULL as a null pointer). A missing optional VARIANT is
// passed as VT_ERROR/DISP_E_PARAMNOTFOUND; a missing parameter with a default gets the default.
// An [out] argument must be VT_BYREF of the parameter's type (the member writes there directly)
// or VT_BYREF|VT_VARIANT (the member writes into storage of its own type, copied out after the
// call). [out, retval] storage is initialised before the call. A failing member gives
// DISP_E_EXCEPTION with an EXCEPINFO from the error information it set (when the caller passed
// an EXCEPINFO), else its own HRESULT.
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/dispatch.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace qx::com {

namespace {

bool IsMissing(const VARIANT& v) {
    return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

// The default value of a parameter, in its own type.
HRESULT DefaultValue(const DispParam& p, VARIANT& out) {
    VariantInit(&out);
    if (p.vt == VT_BSTR) {
        out.vt = VT_BSTR;
        out.bstrVal = SysAllocString(p.defaultText ? p.defaultText : u"");
        return out.bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    VARIANT number;
    VariantInit(&number);
    number.vt = VT_I4;
    number.lVal = p.defaultNumber;
    if (p.vt == VT_VARIANT) {
        out = number;
        return S_OK;
    }
    return VariantChangeType(&out, &number, 0, p.vt);
}

// Zeroed storage of the parameter's type, for [out] parameters.
void EmptyOfType(VARTYPE vt, VARIANT& out) {
    VariantInit(&out);
    if (vt != VT_VARIANT)
        out.vt = vt;
}

// Clears what the caller's by-reference storage holds before an [out]-only call.
void ClearReferenced(VARIANT& ref) {
    VARTYPE vt = ref.vt & ~VT_BYREF;
    if (!ref.byref)
        return;
    switch (vt) {
    case VT_BSTR:
        SysFreeString(*ref.pbstrVal);
        *ref.pbstrVal = nullptr;
        break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        if (*ref.ppunkVal)
            (*ref.ppunkVal)->Release();
        *ref.ppunkVal = nullptr;
        break;
    case VT_VARIANT:
        VariantClear(ref.pvarVal);
        break;
    default:
        break;
    }
}

HRESULT ConvertIn(const VARIANT& src, VARTYPE vt, VARIANT& out) {
    VariantInit(&out);
    VARTYPE plain = src.vt & ~VT_BYREF;
    if ((vt == VT_DISPATCH || vt == VT_UNKNOWN) && (plain == VT_EMPTY || plain == VT_NULL)) {
        out.vt = vt;
        out.punkVal = nullptr;
        return S_OK;
    }
    if ((src.vt & VT_BYREF) && plain == VT_VARIANT && src.pvarVal) {
        VARTYPE inner = src.pvarVal->vt & ~VT_BYREF;
        if ((vt == VT_DISPATCH || vt == VT_UNKNOWN) && (inner == VT_EMPTY || inner == VT_NULL)) {
            out.vt = vt;
            out.punkVal = nullptr;
            return S_OK;
        }
    }
    return VariantChangeType(&out, &src, 0, vt);
}

void FillException(HRESULT hr, EXCEPINFO* excep) {
    std::memset(excep, 0, sizeof *excep);
    excep->scode = hr;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        info->GetSource(&excep->bstrSource);
        info->GetDescription(&excep->bstrDescription);
        info->GetHelpFile(&excep->bstrHelpFile);
        info->GetHelpContext(&excep->dwHelpContext);
    }
}

// n values, on the stack for the usual few parameters.
template <typename T>
class Slots {
public:
    Slots(std::size_t n, T fill) : data_(n <= kInline ? inline_ : (heap_ = std::make_unique<T[]>(n)).get()) {
        std::fill_n(data_, n, fill);
    }
    Slots(const Slots&) = delete;
    Slots& operator=(const Slots&) = delete;
    T& operator[](std::size_t i) { return data_[i]; }
    T* data() { return data_; }

private:
    static constexpr std::size_t kInline = 8;
    T inline_[kInline];
    std::unique_ptr<T[]> heap_;
    T* data_;
};

VARIANT EmptyVariant() {
    VARIANT v;
    VariantInit(&v);
    return v;
}

struct Storage {
    explicit Storage(UINT n) : count(n), values(n, EmptyVariant()), args(n, nullptr) {}
    ~Storage() {
        for (UINT i = 0; i < count; ++i)
            VariantClear(&values[i]);
    }
    UINT count;
    Slots<VARIANT> values;
    Slots<VARIANT*> args;
    std::vector<std::pair<UINT, VARIANT*>> writeBacks; // storage index -> caller's VARIANT
};

} // namespace

HRESULT DispInvoke(const DispInterface& decl, void* itf, DISPID id, REFIID riid, WORD flags,
                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (!params || (params->cArgs && !params->rgvarg) || params->cNamedArgs > params->cArgs ||
        (params->cNamedArgs && !params->rgdispidNamedArgs))
        return E_INVALIDARG;
    const DispMember* m = DispSelectMember(decl, id, flags);
    if (!m)
        return DISP_E_MEMBERNOTFOUND;
    return DispInvokeMember(*m, itf, params, result, excepInfo, argErr);
}

HRESULT DispInvokeMember(const DispMember& member, void* itf, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* excepInfo, UINT* argErr) {
    const DispMember* m = &member;
    if (!m->thunk || !itf)
        return DISP_E_MEMBERNOTFOUND;
    if (!params || (params->cArgs && !params->rgvarg) || params->cNamedArgs > params->cArgs ||
        (params->cNamedArgs && !params->rgdispidNamedArgs))
        return E_INVALIDARG;
    bool put = (m->kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) != 0;
    if (put && (params->cNamedArgs == 0 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
        return DISP_E_PARAMNOTFOUND;

    const UINT n = m->ArgumentCount();
    if (params->cArgs > n)
        return DISP_E_BADPARAMCOUNT;
    // Which rgvarg entry feeds each parameter (-1: not given).
    Slots<long> source(n, -1);
    for (UINT k = 0; k < params->cNamedArgs; ++k) {
        DISPID named = params->rgdispidNamedArgs[k];
        long pos = (put && named == DISPID_PROPERTYPUT) ? static_cast<long>(n) - 1 : named;
        if (pos < 0 || pos >= static_cast<long>(n) || source[static_cast<std::size_t>(pos)] != -1) {
            if (argErr)
                *argErr = k;
            return DISP_E_PARAMNOTFOUND;
        }
        source[static_cast<std::size_t>(pos)] = static_cast<long>(k);
    }
    const UINT positional = params->cArgs - params->cNamedArgs;
    for (UINT i = 0; i < positional; ++i) {
        long index = static_cast<long>(params->cArgs - 1 - i);
        if (source[i] != -1) {
            if (argErr)
                *argErr = static_cast<UINT>(index);
            return DISP_E_PARAMNOTFOUND;
        }
        source[i] = index;
    }

    Storage storage(m->paramCount);
    for (UINT pos = 0; pos < n; ++pos) {
        const DispParam& p = m->params[pos];
        VARIANT* src = source[pos] >= 0 ? &params->rgvarg[source[pos]] : nullptr;
        UINT srcIndex = source[pos] >= 0 ? static_cast<UINT>(source[pos]) : 0;
        if (src && p.vt != VT_VARIANT && IsMissing(*src))
            src = nullptr;
        VARIANT& store = storage.values[pos];
        if (!src) {
            if (p.flags & PARAMFLAG_FHASDEFAULT) {
                HRESULT hr = DefaultValue(p, store);
                if (FAILED(hr))
                    return hr;
            } else if (p.flags & PARAMFLAG_FOPT) {
                if (p.vt == VT_VARIANT) {
                    store.vt = VT_ERROR;
                    store.scode = DISP_E_PARAMNOTFOUND;
                } else {
                    EmptyOfType(p.vt, store);
                }
            } else {
                return params->cNamedArgs ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
            }
            storage.args[pos] = &store;
            continue;
        }
        if (p.flags & PARAMFLAG_FOUT) {
            bool inToo = (p.flags & PARAMFLAG_FIN) != 0;
            if (src->vt == (VT_BYREF | p.vt) && src->byref) {
                if (!inToo)
                    ClearReferenced(*src);
                // A VARIANT parameter gets the caller's VARIANT itself; others its typed storage.
                storage.args[pos] = p.vt == VT_VARIANT ? src->pvarVal : src;
            } else if (src->vt == (VT_BYREF | VT_VARIANT) && src->pvarVal) {
                if (inToo) {
                    HRESULT hr = ConvertIn(*src, p.vt, store);
                    if (FAILED(hr)) {
                        if (argErr)
                            *argErr = srcIndex;
                        return hr;
                    }
                } else {
                    EmptyOfType(p.vt, store);
                }
                storage.args[pos] = &store;
                storage.writeBacks.emplace_back(pos, src->pvarVal);
            } else {
                if (argErr)
                    *argErr = srcIndex;
                return DISP_E_TYPEMISMATCH;
            }
            continue;
        }
        if (p.vt == VT_VARIANT) {
            storage.args[pos] = src;
            continue;
        }
        HRESULT hr = ConvertIn(*src, p.vt, store);
        if (FAILED(hr)) {
            if (argErr)
                *argErr = srcIndex;
            return hr;
        }
        storage.args[pos] = &store;
    }
    if (const DispParam* r = m->Retval()) {
        EmptyOfType(r->vt, storage.values[n]);
        storage.args[n] = &storage.values[n];
    }

    // Only what the member itself reports may reach the caller as its exception.
    SetErrorInfo(0, nullptr);
    HRESULT hr = m->thunk(itf, storage.args.data());
    if (FAILED(hr)) {
        if (!excepInfo)
            return hr;
        FillException(hr, excepInfo);
        return DISP_E_EXCEPTION;
    }
    for (auto& [pos, target] : storage.writeBacks) {
        VariantClear(target);
        *target = storage.values[pos];
        VariantInit(&storage.values[pos]);
    }
    if (m->Retval() && result) {
        VariantClear(result);
        *result = storage.values[n];
        VariantInit(&storage.values[n]);
    }
    return hr;
}

HRESULT InvokeByDispid(IDispatch* target, DISPID id, WORD flags, const VARIANT* args, UINT count,
                       VARIANT* result, EXCEPINFO* excepInfo) {
    if (!target)
        return E_POINTER;
    if (count && !args)
        return E_INVALIDARG;
    std::vector<VARIANT> reversed(count);
    for (UINT i = 0; i < count; ++i)
        reversed[i] = args[count - 1 - i];
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS dp{reversed.data(), nullptr, count, 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        dp.rgdispidNamedArgs = &putId;
        dp.cNamedArgs = 1;
    }
    UINT argErr = 0;
    return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, result, excepInfo, &argErr);
}

} // namespace qx::com

HRESULT DispGetParam(DISPPARAMS* pdispparams, UINT position, VARTYPE vtTarg, VARIANT* pvarResult,
                     UINT* puArgErr) {
    if (!pdispparams || !pvarResult)
        return E_INVALIDARG;
    if (pdispparams->cArgs && !pdispparams->rgvarg)
        return E_INVALIDARG;
    UINT index = 0;
    bool found = false;
    for (UINT k = 0; k < pdispparams->cNamedArgs && pdispparams->rgdispidNamedArgs; ++k)
        if (pdispparams->rgdispidNamedArgs[k] == static_cast<DISPID>(position)) {
            index = k;
            found = true;
            break;
        }
    UINT positional = pdispparams->cArgs - pdispparams->cNamedArgs;
    if (!found && position < positional) {
        index = pdispparams->cArgs - 1 - position;
        found = true;
    }
    if (!found)
        return DISP_E_PARAMNOTFOUND;
    VariantInit(pvarResult);
    HRESULT hr = VariantChangeType(pvarResult, &pdispparams->rgvarg[index], 0, vtTarg);
    if (FAILED(hr) && puArgErr)
        *puArgErr = index;
    return hr;
}
