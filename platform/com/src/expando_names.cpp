// Expandos: named values that callers add to an object.
#include "name_index.h"
#include "qx/com/comptr.h"
#include "qx/com/dynamic_names.h"

namespace qx::com {

struct ExpandoNames::Store {
    struct Value {
        std::u16string name;
        Variant value;
        bool present = true; // false once deleted: the name waits to be made again
    };
    std::vector<Value> values;
    detail::NameIndex index;

    // The first value of the name; with presentOnly, the first that is not deleted.
    Value* Find(std::u16string_view name, bool caseSensitive, bool presentOnly) {
        const long found = index.Find(name, [&](std::uint32_t i) {
            const Value& v = values[i];
            if (presentOnly && !v.present)
                return false;
            return caseSensitive ? v.name == name : detail::NamesEqual(v.name, name);
        });
        return found < 0 ? nullptr : &values[static_cast<std::size_t>(found)];
    }

    // The value of exactly this name, made (or made again) empty when it is not there.
    Value& Ensure(std::u16string_view name) {
        if (Value* v = Find(name, true, false)) {
            if (!v->present) {
                v->present = true;
                v->value.Clear();
            }
            return *v;
        }
        index.Add(name, static_cast<std::uint32_t>(values.size()));
        values.push_back(Value{std::u16string(name), Variant(), true});
        return values.back();
    }
};

ExpandoNames::ExpandoNames() = default;
ExpandoNames::~ExpandoNames() = default;

bool ExpandoNames::FindName(std::u16string_view name, bool caseSensitive, std::u16string* spelled) {
    Store::Value* v = store_ ? store_->Find(name, caseSensitive, true) : nullptr;
    if (v && spelled)
        *spelled = v->name;
    return v != nullptr;
}

HRESULT ExpandoNames::EnsureName(std::u16string_view name) {
    if (!store_)
        store_ = std::make_unique<Store>();
    store_->Ensure(name);
    return S_OK;
}

HRESULT ExpandoNames::InvokeName(std::u16string_view name, LCID lcid, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* excepInfo, IServiceProvider*) {
    if (!params)
        return E_INVALIDARG;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (params->cNamedArgs == 0 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTFOUND;
        if (params->cArgs != 1)
            return DISP_E_BADPARAMCOUNT;
        Variant copy;
        HRESULT hr = VariantCopyInd(&copy, &params->rgvarg[0]);
        if (FAILED(hr))
            return hr;
        if (!store_)
            store_ = std::make_unique<Store>();
        store_->Ensure(name).value = std::move(copy); // a put makes the name again after a delete
        return S_OK;
    }
    Store::Value* v = store_ ? store_->Find(name, true, true) : nullptr;
    if (!v)
        return DISP_E_MEMBERNOTFOUND;
    if ((flags & DISPATCH_METHOD) && v->value.vt == VT_DISPATCH && v->value.pdispVal) {
        // A call of the object's default member; the object may be the call's to drop (a callback
        // that deletes its own expando).
        ComPtr<IDispatch> target(v->value.pdispVal);
        UINT argErr = 0;
        return target->Invoke(DISPID_VALUE, IID_NULL, lcid, flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET),
                              params, result, excepInfo, &argErr);
    }
    if (!(flags & DISPATCH_PROPERTYGET))
        return DISP_E_MEMBERNOTFOUND;
    if (params->cArgs != 0)
        return DISP_E_BADPARAMCOUNT;
    if (!result)
        return S_OK;
    VariantClear(result);
    return VariantCopy(result, &v->value);
}

HRESULT ExpandoNames::DeleteName(std::u16string_view name) {
    if (Store::Value* v = store_ ? store_->Find(name, true, true) : nullptr) {
        v->present = false;
        Variant gone = std::move(v->value); // released after the entry is settled
    }
    return S_OK;
}

DWORD ExpandoNames::NameProperties(std::u16string_view name) {
    Store::Value* v = store_ ? store_->Find(name, true, true) : nullptr;
    if (!v)
        return 0;
    const bool callable = v->value.vt == VT_DISPATCH && v->value.pdispVal;
    return fdexPropCanGet | fdexPropCanPut | fdexPropCanPutRef | fdexPropCannotConstruct |
           fdexPropCannotSourceEvents | (callable ? fdexPropCanCall : fdexPropCannotCall);
}

void ExpandoNames::ListNames(std::vector<std::u16string>& names) {
    if (!store_)
        return;
    for (const Store::Value& v : store_->values)
        if (v.present)
            names.push_back(v.name);
}

} // namespace qx::com
