// Names an object answers besides the members of its interfaces: a behaviour's members, content
// attributes, expandos that script adds. A union dispatch (qx/com/union_dispatch.h) asks its
// providers by name; it hands each name a DISPID of the dynamic range the first time a provider
// answers for it and keeps that DISPID for the name for the object's life (also across a delete
// and a re-creation), so a provider deals in names only.
#pragma once

#include "dispex.h"
#include "qx/com/variant.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qx::com {

class DynamicNames {
public:
    // Whether the provider has a member of this name now (in any case unless caseSensitive);
    // *spelled gets the name as the provider spells it, which is what the other calls are given.
    virtual bool FindName(std::u16string_view name, bool caseSensitive, std::u16string* spelled) = 0;
    // fdexNameEnsure: makes a member of this name. S_OK when made; DISP_E_UNKNOWNNAME from a provider
    // that makes none.
    virtual HRESULT EnsureName(std::u16string_view name) = 0;
    // The member's Invoke, with IDispatchEx::InvokeEx's flags, arguments and results. A name the
    // provider no longer has gives DISP_E_MEMBERNOTFOUND.
    virtual HRESULT InvokeName(std::u16string_view name, LCID lcid, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* excepInfo, IServiceProvider* caller) = 0;
    // S_OK when the member is gone (or was never there), S_FALSE when it cannot be deleted.
    virtual HRESULT DeleteName(std::u16string_view name) = 0;
    // The member's fdexProp* flags.
    virtual DWORD NameProperties(std::u16string_view name) = 0;
    // The provider's names now, in the order enumeration should give them.
    virtual void ListNames(std::vector<std::u16string>& names) = 0;

protected:
    ~DynamicNames() = default;
};

// Expandos: values that callers add by name (fdexNameEnsure, then a put). A get gives the value, a
// put or putref replaces it, a call of one that holds an object calls the object's DISPID_VALUE
// (with the call's DISPATCH_METHOD and DISPATCH_PROPERTYGET flags and its arguments).
// Names keep their first spelling; delete drops the value and the name until it is made again.
class ExpandoNames final : public DynamicNames {
public:
    ExpandoNames();
    ~ExpandoNames();
    ExpandoNames(const ExpandoNames&) = delete;
    ExpandoNames& operator=(const ExpandoNames&) = delete;

    bool FindName(std::u16string_view name, bool caseSensitive, std::u16string* spelled) override;
    HRESULT EnsureName(std::u16string_view name) override;
    HRESULT InvokeName(std::u16string_view name, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* excepInfo, IServiceProvider* caller) override;
    HRESULT DeleteName(std::u16string_view name) override;
    DWORD NameProperties(std::u16string_view name) override;
    void ListNames(std::vector<std::u16string>& names) override;

private:
    struct Store;
    std::unique_ptr<Store> store_; // made with the first name
};

} // namespace qx::com
