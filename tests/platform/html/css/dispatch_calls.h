// Calling the style objects by name through IDispatch, as page script does.
#pragma once

#include "fake_element.h"

#include <dispex.h>
#include <oleauto.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace csstest::calls {

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

// Invokes a name the way script does: GetDispID (made on a put), then InvokeEx.
inline HRESULT Invoke(IDispatch* target, const char16_t* name, WORD flags, std::vector<Variant> args,
                      Variant* result) {
    ComPtr<IDispatchEx> ex;
    HRESULT hr = target->QueryInterface(IID_IDispatchEx, reinterpret_cast<void**>(&ex));
    DISPID id = DISPID_UNKNOWN;
    if (SUCCEEDED(hr)) {
        Bstr n(name);
        hr = ex->GetDispID(
            n.Get(), fdexNameCaseInsensitive | (flags & DISPATCH_PROPERTYPUT ? fdexNameEnsure : 0), &id);
    } else {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    }
    if (FAILED(hr))
        return hr;
    std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

inline Variant Get(IDispatch* target, const char16_t* name) {
    Variant result;
    EXPECT_EQ(Invoke(target, name, DISPATCH_PROPERTYGET, {}, &result), S_OK) << U8(name);
    return result;
}

inline HRESULT Put(IDispatch* target, const char16_t* name, Variant value) {
    return Invoke(target, name, DISPATCH_PROPERTYPUT, {std::move(value)}, nullptr);
}

inline Variant Call(IDispatch* target, const char16_t* name, std::vector<Variant> args) {
    Variant result;
    EXPECT_EQ(Invoke(target, name, DISPATCH_METHOD, std::move(args), &result), S_OK) << U8(name);
    return result;
}

// The value as text: a BSTR as it is, numbers and booleans through VariantChangeType, null "<null>".
inline std::string Text(const Variant& v) {
    if (V_VT(&v) == VT_NULL)
        return "<null>";
    if (V_VT(&v) == VT_DISPATCH)
        return "<object>";
    Variant text;
    if (FAILED(VariantChangeType(&text, &v, VARIANT_ALPHABOOL, VT_BSTR)))
        return "<?>";
    return U8(std::u16string_view(V_BSTR(&text), SysStringLen(V_BSTR(&text))));
}

inline ComPtr<IDispatch> Object(const Variant& v) {
    ComPtr<IDispatch> object;
    if (V_VT(&v) == VT_DISPATCH && V_DISPATCH(&v))
        object = V_DISPATCH(&v);
    return object;
}

} // namespace csstest::calls
