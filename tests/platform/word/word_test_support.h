// Driving the word processor stand-in as its users do: by name through IDispatch.
#pragma once

#include "component_test_support.h"
#include "objbase.h"
#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"

#include <initializer_list>
#include <vector>

namespace wordtest {

constexpr GUID kApplicationIid = MakeGuid("{00020970-0000-0000-C000-000000000046}");

// Calls a member by name; arguments in their written order. A property put passes its value as
// the last argument.
inline HRESULT Call(IDispatch* object, const char16_t* name, WORD kind, std::vector<qx::com::Variant> args,
                    VARIANT* result = nullptr) {
    if (!object)
        return E_POINTER;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (kind == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    qx::com::Variant ignored;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result ? result : &ignored,
                          nullptr, nullptr);
}

inline qx::com::ComPtr<IDispatch> Object(IDispatch* object, const char16_t* name,
                                         WORD kind = DISPATCH_PROPERTYGET,
                                         std::vector<qx::com::Variant> args = {}) {
    qx::com::Variant result;
    if (FAILED(Call(object, name, kind, std::move(args), &result)) || result.vt != VT_DISPATCH)
        return nullptr;
    return qx::com::ComPtr<IDispatch>(result.pdispVal);
}

inline LONG Number(IDispatch* object, const char16_t* name) {
    qx::com::Variant result;
    if (FAILED(Call(object, name, DISPATCH_PROPERTYGET, {}, &result)) || result.vt != VT_I4)
        return -1;
    return result.lVal;
}

inline std::u16string Text(IDispatch* object, const char16_t* name) {
    qx::com::Variant result;
    if (FAILED(Call(object, name, DISPATCH_PROPERTYGET, {}, &result)) || result.vt != VT_BSTR)
        return u"<failed>";
    return std::u16string(result.bstrVal ? result.bstrVal : u"", SysStringLen(result.bstrVal));
}

inline qx::com::ComPtr<IDispatch> Item(IDispatch* collection, LONG index) {
    return Object(collection, u"Item", DISPATCH_METHOD, {qx::com::Variant(index)});
}

} // namespace wordtest
