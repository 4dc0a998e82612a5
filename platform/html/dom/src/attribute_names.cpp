#include "attribute_names.h"
#include "dom_objects.h"

#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/variant.h"

namespace qx::html::dom {

HRESULT AttributeText(const VARIANT& value, std::u16string* text) {
    const VARIANT* v = &ValueOf(value);
    switch (v->vt) {
    case VT_EMPTY:
    case VT_NULL:
        text->clear();
        return S_OK;
    case VT_BOOL:
        *text = v->boolVal ? u"true" : u"false";
        return S_OK;
    default: {
        com::Variant converted;
        const HRESULT hr = VariantChangeType(&converted, v, 0, VT_BSTR);
        if (FAILED(hr))
            return hr;
        *text = com::Bstr(converted.bstrVal).View();
        return S_OK;
    }
    }
}

bool AttributeNames::FindName(std::u16string_view name, bool caseSensitive, std::u16string* spelled) {
    if (objects_.FindName(name, caseSensitive, spelled))
        return true;
    for (const Attribute& a : element_->attributes) {
        if (caseSensitive ? a.name == name : EqualsNoCase(a.name, name)) {
            *spelled = a.name;
            return true;
        }
    }
    return false;
}

HRESULT AttributeNames::EnsureName(std::u16string_view name) {
    if (!element_->FindAttribute(name))
        element_->SetAttribute(name, u"");
    return S_OK;
}

HRESULT AttributeNames::InvokeName(std::u16string_view name, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excepInfo, IServiceProvider* caller) {
    std::u16string spelled;
    if (objects_.FindName(name, true, &spelled))
        return objects_.InvokeName(name, lcid, flags, params, result, excepInfo, caller);
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (!params || params->cArgs < 1)
            return DISP_E_BADPARAMCOUNT;
        const VARIANT& value = params->rgvarg[0];
        if (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) {
            // An object stays an object: it moves from the attributes to the expandos.
            element_->RemoveAttribute(name);
            objects_.EnsureName(name);
            return objects_.InvokeName(name, lcid, flags, params, result, excepInfo, caller);
        }
        std::u16string text;
        const HRESULT hr = AttributeText(value, &text);
        if (FAILED(hr))
            return hr;
        element_->SetAttribute(name, text);
        return S_OK;
    }
    const Attribute* a = element_->FindAttribute(name);
    if (!a)
        return DISP_E_MEMBERNOTFOUND;
    if (!(flags & DISPATCH_PROPERTYGET))
        return DISP_E_MEMBERNOTFOUND;
    if (result) {
        VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = com::Bstr(a->value).Detach();
    }
    return S_OK;
}

HRESULT AttributeNames::DeleteName(std::u16string_view name) {
    element_->RemoveAttribute(name);
    return objects_.DeleteName(name);
}

DWORD AttributeNames::NameProperties(std::u16string_view) {
    return fdexPropCanGet | fdexPropCanPut | fdexPropCannotPutRef | fdexPropCannotCall;
}

void AttributeNames::ListNames(std::vector<std::u16string>& names) {
    for (const Attribute& a : element_->attributes)
        names.push_back(a.name);
    objects_.ListNames(names);
}

} // namespace qx::html::dom
