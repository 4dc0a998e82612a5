// Collections whose items also read as members by index or by name (`document.all.field1`,
// `rows[0]`, `document.styleSheets[0]`): the names a collection's IDispatchEx answers, shared by the
// DOM's and the styles' collections.
#pragma once

#include "oleauto.h"
#include "qx/com/comptr.h"
#include "qx/com/dynamic_names.h"

#include <string>
#include <string_view>
#include <vector>

namespace qx::html {

// A name that is a whole non-negative number, as an index.
inline bool IndexOfName(std::u16string_view name, LONG* index) {
    if (name.empty() || name.size() > 9)
        return false;
    LONG value = 0;
    for (char16_t c : name) {
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c - u'0');
    }
    *index = value;
    return true;
}

// Names answered by index or by item name on a collection's IDispatchEx, read-only. The owner has
// `bool HasName(name)` and `HRESULT ItemByName(name, IDispatch**)`.
template <typename Owner>
class ItemNames final : public com::DynamicNames {
public:
    explicit ItemNames(Owner* owner) : owner_(owner) {}
    bool FindName(std::u16string_view name, bool, std::u16string* spelled) override {
        if (!owner_->HasName(name))
            return false;
        *spelled = name;
        return true;
    }
    HRESULT EnsureName(std::u16string_view) override { return DISP_E_UNKNOWNNAME; }
    HRESULT InvokeName(std::u16string_view name, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                       IServiceProvider*) override {
        if (!(flags & DISPATCH_PROPERTYGET))
            return DISP_E_MEMBERNOTFOUND;
        com::ComPtr<IDispatch> found;
        const HRESULT hr = owner_->ItemByName(name, &found);
        if (FAILED(hr))
            return hr;
        if (!found)
            return DISP_E_MEMBERNOTFOUND;
        if (result) {
            VariantInit(result);
            result->vt = VT_DISPATCH;
            result->pdispVal = found.Detach();
        }
        return S_OK;
    }
    HRESULT DeleteName(std::u16string_view) override { return S_FALSE; }
    DWORD NameProperties(std::u16string_view) override {
        return fdexPropCanGet | fdexPropCannotPut | fdexPropCannotPutRef | fdexPropCannotCall;
    }
    void ListNames(std::vector<std::u16string>&) override {}

private:
    Owner* owner_;
};

} // namespace qx::html
