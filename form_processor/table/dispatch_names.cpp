#include "dispatch_names.h"

#include <qx/com/dispatch.h>
#include <qx/com/variant.h>

#include <vector>

namespace {

HRESULT FindName(IDispatch* target, const OLECHAR* name, DISPID* id, LCID locale = LOCALE_USER_DEFAULT) {
    if (!target || !name)
        return E_POINTER;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    return target->GetIDsOfNames(IID_NULL, names, 1, locale, id);
}

} // namespace

HRESULT GetPropertyByName(IDispatch* target, const OLECHAR* name, VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantClear(value);
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = FindName(target, name, &id);
    if (FAILED(hr))
        return hr;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr,
                          nullptr);
}

HRESULT PutPropertyByName(IDispatch* target, const OLECHAR* name, const VARIANT& value) {
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = FindName(target, name, &id);
    if (FAILED(hr))
        return hr;
    qx::com::Variant argument(value);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                          nullptr);
}

HRESULT CallMethodByName(IDispatch* target, const OLECHAR* name, const VARIANT* args, UINT count,
                         VARIANT* result, LCID locale) {
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = FindName(target, name, &id, locale);
    if (FAILED(hr))
        return hr;
    // Automation takes the arguments last first.
    std::vector<qx::com::Variant> reversed;
    reversed.reserve(count);
    for (UINT i = count; i > 0; --i)
        reversed.emplace_back(args[i - 1]);
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, count, 0};
    return target->Invoke(id, IID_NULL, locale, DISPATCH_METHOD, &params, result, nullptr, nullptr);
}

HRESULT GetObjectByName(IDispatch* target, const OLECHAR* name, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    qx::com::Variant value;
    HRESULT hr = GetPropertyByName(target, name, &value);
    if (FAILED(hr))
        return hr;
    if (value.vt != VT_DISPATCH || !value.pdispVal)
        return E_NOINTERFACE;
    *object = value.pdispVal;
    (*object)->AddRef();
    return S_OK;
}

const VARIANT& Dereferenced(const VARIANT& value) {
    if (value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal)
        return *value.pvarVal;
    return value;
}

void ForEachElement(IHTMLDocument2* document, const std::function<void(IDispatch*)>& visit) {
    qx::com::ComPtr<IDispatch> allDispatch;
    if (!document || FAILED(document->get_all(&allDispatch)))
        return;
    auto all = qx::com::ComPtr<IHTMLElementCollection>::QueryFrom(allDispatch.Get());
    LONG count = 0;
    if (!all || FAILED(all->get_length(&count)))
        return;
    for (LONG i = 0; i < count; ++i) {
        qx::com::ComPtr<IDispatch> item;
        if (SUCCEEDED(all->item(qx::com::Variant(i), qx::com::Variant::Missing(), &item)) && item)
            visit(item.Get());
    }
}
