// A property bag over an OBJECT element's PARAMs, and the ambient properties a site answers.
#include "qx/com/control/control_host.h"

#include "../../src/name_compare.h"

#include "qx/com/bstr.h"
#include "qx/com/object.h"

#include <oleauto.h>

namespace qx::com::control {
namespace {

class CParamPropertyBag : public ObjectRoot, public IPropertyBag {
public:
    QX_BEGIN_INTERFACES(CParamPropertyBag)
    QX_INTERFACE_ENTRY(IPropertyBag)
    QX_END_INTERFACES()

    std::vector<std::pair<std::u16string, std::u16string>> params;

    STDMETHODIMP Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog*) override {
        if (!pszPropName || !pVar)
            return E_POINTER;
        const auto* found = Find(pszPropName);
        if (!found)
            return E_INVALIDARG;
        const VARTYPE wanted = pVar->vt;
        Variant text;
        text.vt = VT_BSTR;
        text.bstrVal = Bstr(found->second).Detach();
        VariantClear(pVar);
        if (wanted == VT_EMPTY || wanted == VT_BSTR)
            return VariantCopy(pVar, &text);
        return VariantChangeType(pVar, &text, 0, wanted);
    }
    STDMETHODIMP Write(LPCOLESTR pszPropName, VARIANT* pVar) override {
        if (!pszPropName || !pVar)
            return E_POINTER;
        Variant text;
        const HRESULT hr = VariantChangeType(&text, pVar, 0, VT_BSTR);
        if (FAILED(hr))
            return hr;
        const std::u16string value(text.bstrVal ? text.bstrVal : u"", SysStringLen(text.bstrVal));
        if (auto* found = Find(pszPropName))
            found->second = value;
        else
            params.emplace_back(pszPropName, value);
        return S_OK;
    }

private:
    std::pair<std::u16string, std::u16string>* Find(std::u16string_view name) {
        for (auto& p : params)
            if (detail::NamesEqual(p.first, name))
                return &p;
        return nullptr;
    }
};

Variant Bool(bool value) {
    Variant v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Long(LONG value) {
    Variant v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

} // namespace

HRESULT CreateParamPropertyBag(std::vector<std::pair<std::u16string, std::u16string>> params,
                               IPropertyBag** bag) {
    if (!bag)
        return E_POINTER;
    *bag = nullptr;
    ObjectPtr<CParamPropertyBag> made;
    const HRESULT hr = CreateObject(made);
    if (FAILED(hr))
        return hr;
    made->params = std::move(params);
    *bag = made.Detach();
    return S_OK;
}

std::map<DISPID, Variant> DefaultAmbientProperties() {
    return {
        {DISPID_AMBIENT_USERMODE, Bool(true)},           {DISPID_AMBIENT_UIDEAD, Bool(false)},
        {DISPID_AMBIENT_SHOWHATCHING, Bool(false)},      {DISPID_AMBIENT_SHOWGRABHANDLES, Bool(false)},
        {DISPID_AMBIENT_DISPLAYASDEFAULT, Bool(false)},  {DISPID_AMBIENT_MESSAGEREFLECT, Bool(false)},
        {DISPID_AMBIENT_SUPPORTSMNEMONICS, Bool(false)}, {DISPID_AMBIENT_AUTOCLIP, Bool(true)},
        {DISPID_AMBIENT_BACKCOLOR, Long(0xFFFFFF)},      {DISPID_AMBIENT_FORECOLOR, Long(0)},
        {DISPID_AMBIENT_LOCALEID, Long(0x0412)},         {DISPID_AMBIENT_CODEPAGE, Long(949)},
    };
}

} // namespace qx::com::control
