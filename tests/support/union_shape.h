// An object of three dual interfaces (union_shape_interfaces.qxidl) behind one union dispatch, for
// the dispatch and bridge tests, with its expandos as the fallback names and a behaviour as the
// shadowing ones: ILabelled's Shadow(name, value) gives it a behaviour member that shadows.
#pragma once

#include <objbase.h>
#include <qx/com/bstr.h>
#include <qx/com/object.h>
#include <qx/com/union_dispatch.h>
#include <qx/com/variant.h>

#include "union_shape_interfaces.h"

#include <string>
#include <utility>
#include <vector>

namespace qx::test {

// A behaviour's members: values by name that shadow the element's, which cannot be deleted.
class TestBehaviour final : public com::DynamicNames {
public:
    void Set(std::u16string name, const VARIANT& value) {
        for (auto& [n, v] : members_)
            if (n == name) {
                v = value;
                return;
            }
        members_.emplace_back(std::move(name), com::Variant(value));
    }

    bool FindName(std::u16string_view name, bool caseSensitive, std::u16string* spelled) override {
        auto fold = [](std::u16string_view text) {
            std::u16string folded(text);
            for (char16_t& c : folded)
                if (c >= u'A' && c <= u'Z')
                    c = static_cast<char16_t>(c + 32);
            return folded;
        };
        for (auto& [n, v] : members_) {
            if (caseSensitive ? n == name : fold(n) == fold(name)) {
                *spelled = n;
                return true;
            }
        }
        return false;
    }
    HRESULT EnsureName(std::u16string_view) override { return DISP_E_UNKNOWNNAME; }
    HRESULT InvokeName(std::u16string_view name, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO*, IServiceProvider*) override {
        for (auto& [n, v] : members_) {
            if (n != name)
                continue;
            if (flags & DISPATCH_PROPERTYPUT) {
                v = params->rgvarg[0];
                return S_OK;
            }
            if (!(flags & DISPATCH_PROPERTYGET))
                return DISP_E_MEMBERNOTFOUND;
            return result ? VariantCopy(result, &v) : S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT DeleteName(std::u16string_view) override { return S_FALSE; }
    DWORD NameProperties(std::u16string_view) override {
        return fdexPropCanGet | fdexPropCanPut | fdexPropCannotPutRef | fdexPropCannotCall;
    }
    void ListNames(std::vector<std::u16string>& names) override {
        for (auto& [n, v] : members_)
            names.push_back(n);
    }

private:
    std::vector<std::pair<std::u16string, com::Variant>> members_;
};

class CShape : public com::ObjectRoot, public com::UnionDispatchImpl<IShape, IColored, ILabelled> {
public:
    QX_BEGIN_INTERFACES(CShape)
    QX_INTERFACE_ENTRY(IShape)
    QX_INTERFACE_ENTRY(IColored)
    QX_INTERFACE_ENTRY(ILabelled)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    // IShape
    STDMETHODIMP get_Name(BSTR* pVal) override { return Text(name_, pVal); }
    STDMETHODIMP put_Name(BSTR newVal) override {
        name_ = com::Bstr(newVal).View();
        return S_OK;
    }
    STDMETHODIMP get_Area(LONG* pVal) override { return Number(12, pVal); }
    STDMETHODIMP get_Sides(LONG* pVal) override { return Number(4, pVal); }
    STDMETHODIMP Scale(LONG factor, LONG* pVal) override { return Number(12 * factor, pVal); }
    STDMETHODIMP get__Secret(LONG* pVal) override { return Number(7, pVal); }
    // IColored: its Name is only reached through its vtable.
    STDMETHODIMP get_Color(BSTR* pVal) override { return Text(color_, pVal); }
    STDMETHODIMP put_Color(BSTR newVal) override {
        color_ = com::Bstr(newVal).View();
        return S_OK;
    }
    STDMETHODIMP get_ColorName(BSTR* pVal) override { return Text(u"colored " + color_, pVal); }
    STDMETHODIMP Paint(BSTR color) override { return put_Color(color); }
    // ILabelled
    STDMETHODIMP get_Label(BSTR* pVal) override { return Text(name_ + u" in " + color_, pVal); }
    STDMETHODIMP get_Tally(LONG* pVal) override { return Number(99, pVal); }
    STDMETHODIMP get_Far(LONG* pVal) override { return Number(-1, pVal); }
    STDMETHODIMP Shadow(BSTR name, VARIANT value) override {
        behaviour_.Set(std::u16string(com::Bstr(name).View()), value);
        attached_ = true;
        return S_OK;
    }
    STDMETHODIMP Unshadow() override {
        attached_ = false;
        return S_OK;
    }

protected:
    com::DynamicNames* ShadowingNames() override { return attached_ ? &behaviour_ : nullptr; }

private:
    static HRESULT Text(const std::u16string& text, BSTR* out) {
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    static HRESULT Number(LONG n, LONG* out) {
        *out = n;
        return S_OK;
    }

    std::u16string name_ = u"square";
    std::u16string color_ = u"blue";
    TestBehaviour behaviour_;
    bool attached_ = false;
};

} // namespace qx::test
