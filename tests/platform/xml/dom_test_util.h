// Calling the parser's objects by name through IDispatch, as script does.
#pragma once

#include "msxml.h"
#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"
#include "qx/xml/xml_dom.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace xmltest {

using qx::com::ComPtr;
using qx::com::Variant;

inline HRESULT CallByName(IDispatch* target, const char16_t* name, WORD flags, std::vector<Variant> args,
                          Variant* result) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    EXCEPINFO info{};
    UINT argErr = 0;
    hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info, &argErr);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

inline Variant Get(IDispatch* target, const char16_t* name, std::vector<Variant> args = {}) {
    Variant result;
    HRESULT hr = CallByName(target, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(args), &result);
    EXPECT_TRUE(SUCCEEDED(hr)) << "get failed: " << std::hex << hr;
    return result;
}

inline Variant Call(IDispatch* target, const char16_t* name, std::vector<Variant> args = {},
                    HRESULT* hrOut = nullptr) {
    Variant result;
    HRESULT hr = CallByName(target, name, DISPATCH_METHOD, std::move(args), &result);
    if (hrOut)
        *hrOut = hr;
    else
        EXPECT_TRUE(SUCCEEDED(hr)) << "call failed: " << std::hex << hr;
    return result;
}

inline HRESULT Put(IDispatch* target, const char16_t* name, Variant value) {
    Variant ignored;
    return CallByName(target, name, DISPATCH_PROPERTYPUT, {std::move(value)}, &ignored);
}

inline std::u16string Text(const VARIANT& v) {
    if (v.vt != VT_BSTR)
        return u"<not a string>";
    return std::u16string(v.bstrVal ? v.bstrVal : u"", v.bstrVal ? SysStringLen(v.bstrVal) : 0);
}

inline std::string Narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

inline IDispatch* Obj(const VARIANT& v) {
    return v.vt == VT_DISPATCH ? v.pdispVal : nullptr;
}

inline ComPtr<IDispatch> NewDocument() {
    ComPtr<IDispatch> doc;
    EXPECT_EQ(qx::xml::CreateDOMDocument(nullptr, IID_IDispatch, reinterpret_cast<void**>(&doc)), S_OK);
    EXPECT_EQ(Put(doc.Get(), u"async", Variant(false)), S_OK);
    return doc;
}

inline bool LoadXml(IDispatch* doc, const std::u16string& text) {
    Variant ok = Call(doc, u"loadXML", {Variant(std::u16string_view(text))});
    return ok.vt == VT_BOOL && ok.boolVal == VARIANT_TRUE;
}

} // namespace xmltest
