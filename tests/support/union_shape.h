// An object of three dual interfaces behind one union dispatch, for the dispatch and bridge tests:
//   IShape    Name (1, get/put), Area (2), Sides (3), Scale(factor) (4), _Secret (6, hidden)
//   IColored  Color (10, get/put), Name (11: taken by IShape's), Paint(color) (12)
//   ILabelled Label (20), Tally (2: DISPID taken by IShape's Area), Far (the first dynamic DISPID),
//             Shadow(name, value) (21) gives the object a behaviour member that shadows, Unshadow (22)
// with its expandos as the fallback names and a behaviour as the shadowing ones.
#pragma once

#include <objbase.h>
#include <qx/com/bstr.h>
#include <qx/com/object.h>
#include <qx/com/union_dispatch.h>
#include <qx/com/variant.h>

#include <string>
#include <utility>
#include <vector>

QX_DECLARE_INTERFACE(IShape, "{2F7B5C10-8E3A-4C21-9B64-3A1D0E5F7C81}");
QX_DECLARE_INTERFACE(IColored, "{2F7B5C11-8E3A-4C21-9B64-3A1D0E5F7C81}");
QX_DECLARE_INTERFACE(ILabelled, "{2F7B5C12-8E3A-4C21-9B64-3A1D0E5F7C81}");

struct IShape : IDispatch {
    STDMETHOD(get_Name)(BSTR* pVal) PURE;
    STDMETHOD(put_Name)(BSTR newVal) PURE;
    STDMETHOD(get_Area)(LONG* pVal) PURE;
    STDMETHOD(get_Sides)(LONG* pVal) PURE;
    STDMETHOD(Scale)(LONG factor, LONG* pVal) PURE;
    STDMETHOD(get__Secret)(LONG* pVal) PURE;

protected:
    ~IShape() = default;
};

struct IColored : IDispatch {
    STDMETHOD(get_Color)(BSTR* pVal) PURE;
    STDMETHOD(put_Color)(BSTR newVal) PURE;
    STDMETHOD(get_ColorName)(BSTR* pVal) PURE; // declared as "Name"
    STDMETHOD(Paint)(BSTR color) PURE;

protected:
    ~IColored() = default;
};

struct ILabelled : IDispatch {
    STDMETHOD(get_Label)(BSTR* pVal) PURE;
    STDMETHOD(get_Tally)(LONG* pVal) PURE;
    STDMETHOD(get_Far)(LONG* pVal) PURE;
    STDMETHOD(Shadow)(BSTR name, VARIANT value) PURE;
    STDMETHOD(Unshadow)() PURE;

protected:
    ~ILabelled() = default;
};

inline constexpr qx::com::DispParam kShapeScaleParams[] = {
    {u"factor", VT_I4, PARAMFLAG_FIN},
    {u"pVal", VT_I4, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispMember kShapeMembers[] = {
    qx::com::DispPropGet<&IShape::get_Name>(u"Name", 1),
    qx::com::DispPropPut<&IShape::put_Name>(u"Name", 1),
    qx::com::DispPropGet<&IShape::get_Area>(u"Area", 2),
    qx::com::DispPropGet<&IShape::get_Sides>(u"Sides", 3),
    qx::com::DispMethod<&IShape::Scale>(u"Scale", 4, kShapeScaleParams),
    qx::com::DispPropGet<&IShape::get__Secret>(u"_Secret", 6, nullptr, FUNCFLAG_FHIDDEN),
};
QX_DISPATCH_INTERFACE(IShape, u"IShape", kShapeMembers, u"A shape");

inline constexpr qx::com::DispParam kColoredPaintParams[] = {{u"color", VT_BSTR, PARAMFLAG_FIN}};
inline constexpr qx::com::DispMember kColoredMembers[] = {
    qx::com::DispPropGet<&IColored::get_Color>(u"Color", 10),
    qx::com::DispPropPut<&IColored::put_Color>(u"Color", 10),
    qx::com::DispPropGet<&IColored::get_ColorName>(u"Name", 11),
    qx::com::DispMethod<&IColored::Paint>(u"Paint", 12, kColoredPaintParams),
};
QX_DISPATCH_INTERFACE(IColored, u"IColored", kColoredMembers, nullptr);

inline constexpr qx::com::DispParam kLabelledShadowParams[] = {
    {u"name", VT_BSTR, PARAMFLAG_FIN},
    {u"value", VT_VARIANT, PARAMFLAG_FIN},
};
inline constexpr qx::com::DispMember kLabelledMembers[] = {
    qx::com::DispPropGet<&ILabelled::get_Label>(u"Label", 20),
    qx::com::DispPropGet<&ILabelled::get_Tally>(u"Tally", 2),
    qx::com::DispPropGet<&ILabelled::get_Far>(u"Far", qx::com::kDynamicDispidFirst),
    qx::com::DispMethod<&ILabelled::Shadow>(u"Shadow", 21, kLabelledShadowParams),
    qx::com::DispMethod<&ILabelled::Unshadow>(u"Unshadow", 22),
};
QX_DISPATCH_INTERFACE(ILabelled, u"ILabelled", kLabelledMembers, nullptr);

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
