// Calls a Kestrum object the way page script does: the member's DISPID by name, then Invoke.
#pragma once

#include <oleauto.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/object.h>
#include <qx/com/variant.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrum_test {

template <typename Class>
qx::com::ComPtr<IDispatch> MakeObject() {
    qx::com::ComPtr<IDispatch> object;
    EXPECT_EQ(qx::com::CreateInstance<Class>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object)),
              S_OK);
    return object;
}

struct CallResult {
    HRESULT hr = E_FAIL;
    qx::com::Variant value;
};

// Arguments in natural order; flags DISPATCH_METHOD or DISPATCH_PROPERTYGET.
inline CallResult CallByName(IDispatch* object, const char16_t* name, std::vector<qx::com::Variant> args = {},
                             WORD flags = DISPATCH_METHOD) {
    CallResult result;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    result.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(result.hr))
        return result;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(*it);
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    result.hr =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result.value, nullptr, nullptr);
    return result;
}

inline std::u16string TextOf(const qx::com::Variant& value) {
    if (value.vt != VT_BSTR)
        return u"<not a text>";
    return std::u16string(value.bstrVal ? value.bstrVal : u"", SysStringLen(value.bstrVal));
}

inline LONG NumberOf(const qx::com::Variant& value) {
    qx::com::Variant number;
    if (FAILED(VariantChangeType(&number, &value, 0, VT_I4)))
        return -99999;
    return number.lVal;
}

} // namespace kestrum_test
