// Calling Convert through IDispatch by member name, as page script does.
#pragma once

#include <gtest/gtest.h>
#include <qx/com/dispatch.h>
#include <qx/com/variant.h>

#include "convert.h"
#include "quorle_test_env.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace quorle_test {

using qx::com::Variant;

// Calls a member by name, arguments in natural order.
inline HRESULT Call(IDispatch* target, const char16_t* name, WORD flags, std::initializer_list<Variant> args,
                    VARIANT* result = nullptr) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    std::vector<VARIANT> values(args.begin(), args.end());
    return qx::com::InvokeByDispid(target, id, flags, values.data(), static_cast<UINT>(values.size()),
                                   result);
}

inline bool CallBool(IDispatch* target, const char16_t* name, std::initializer_list<Variant> args = {}) {
    Variant result;
    EXPECT_EQ(Call(target, name, DISPATCH_METHOD, args, &result), S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    return result.boolVal == VARIANT_TRUE;
}

inline std::u16string GetText(IDispatch* target, const char16_t* name) {
    Variant result;
    EXPECT_EQ(Call(target, name, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    return result.vt == VT_BSTR && result.bstrVal
               ? std::u16string(result.bstrVal, SysStringLen(result.bstrVal))
               : std::u16string();
}

inline void Put(IDispatch* target, const char16_t* name, Variant value) {
    ASSERT_EQ(Call(target, name, DISPATCH_PROPERTYPUT, {value}), S_OK);
}

inline std::u16string Wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// A Convert object, called through IDispatch, that converts on the caller's thread.
class SyncConvertTest : public QuorleTest {
protected:
    void SetUp() override {
        QuorleTest::SetUp();
        ASSERT_EQ(qx::com::CreateObject<CConvert>(object_), S_OK);
        disp_ = qx::com::ComPtr<IDispatch>(static_cast<IConvert*>(object_.Get()));
        Put(disp_.Get(), u"sync", Variant(true));
    }
    void TearDown() override {
        disp_ = nullptr;
        object_ = nullptr;
        QuorleTest::TearDown();
    }
    qx::com::ObjectPtr<CConvert> object_;
    qx::com::ComPtr<IDispatch> disp_;
};

} // namespace quorle_test
