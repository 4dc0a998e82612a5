// element.currentStyle: IHTMLCurrentStyle over the cascade, read live on every call.
#include "qx/html/css/cascade.h"
#include "qx/html/css/style_objects.h"
#include "qx/html/css/values.h"

#include "identities.h"
#include "style_access.h"
#include "style_members.h"
#include "text.h"

#include <qx/com/object.h>
#include <qx/com/union_dispatch.h>
#include <qx/com/variant.h>

namespace qx::html::css {
namespace {

using namespace detail;

HRESULT CurrentAsVariant(std::u16string_view text, Prop p, VARIANT* out) {
    if (!out)
        return E_POINTER;
    VariantInit(out);
    if (Info(p).kind == ValueKind::Number && ParseLength(text)) {
        V_VT(out) = VT_I4;
        V_I4(out) = static_cast<LONG>(PosValue(text));
        return S_OK;
    }
    V_VT(out) = VT_BSTR;
    return ReturnText(text, &V_BSTR(out));
}

// Known properties by name, for the names IHTMLCurrentStyle does not declare (`fontVariant` of a
// rule, `style.font`): read only.
class CurrentNames final : public com::DynamicNames {
public:
    explicit CurrentNames(StyleOwner& element) : element_(element) {}
    bool FindName(std::u16string_view name, bool caseSensitive, std::u16string* spelled) override {
        const PropertyInfo* property = FindProperty(name);
        if (!property || (caseSensitive && name != property->scriptName && name != property->cssName))
            return false;
        *spelled = property->scriptName;
        return true;
    }
    HRESULT EnsureName(std::u16string_view) override { return DISP_E_UNKNOWNNAME; }
    HRESULT InvokeName(std::u16string_view name, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                       IServiceProvider*) override {
        const PropertyInfo* property = FindProperty(name);
        if (!property || !(flags & DISPATCH_PROPERTYGET) || (flags & DISPATCH_PROPERTYPUT))
            return DISP_E_MEMBERNOTFOUND;
        com::Variant value;
        HRESULT hr = CurrentAsVariant(CurrentValue(element_, property->id), property->id, &value);
        if (FAILED(hr))
            return hr;
        return result ? VariantCopy(result, &value) : S_OK;
    }
    HRESULT DeleteName(std::u16string_view) override { return S_FALSE; }
    DWORD NameProperties(std::u16string_view) override {
        return fdexPropCanGet | fdexPropCannotPut | fdexPropCannotPutRef | fdexPropCannotCall;
    }
    void ListNames(std::vector<std::u16string>&) override {}

private:
    StyleOwner& element_;
};

// The four parts of "rect(top right bottom left)" (commas allowed); "auto" without one.
std::u16string ClipPart(std::u16string_view clip, std::size_t index) {
    clip = Trim(clip);
    if (clip.size() < 6 || !EqualsNoCase(clip.substr(0, 5), u"rect(") || clip.back() != u')')
        return u"auto";
    std::u16string inner(clip.substr(5, clip.size() - 6));
    for (char16_t& c : inner)
        if (c == u',')
            c = u' ';
    std::vector<std::u16string_view> parts = SplitWords(inner);
    return index < parts.size() ? std::u16string(parts[index]) : u"auto";
}

#define QX_CURRENT_TEXT(name)                                                                                \
    STDMETHODIMP get_##name(BSTR* p) override {                                                              \
        return ReturnText(CurrentValue(*element_, Prop::name), p);                                           \
    }
#define QX_CURRENT_VALUE(name)                                                                               \
    STDMETHODIMP get_##name(VARIANT* p) override {                                                           \
        return CurrentAsVariant(CurrentValue(*element_, Prop::name), Prop::name, p);                         \
    }
#define QX_CURRENT_CLIP(name, index)                                                                         \
    STDMETHODIMP get_clip##name(VARIANT* p) override {                                                       \
        return CurrentAsVariant(ClipPart(CurrentValue(*element_, Prop::clip), index), Prop::clip, p);        \
    }

class CCurrentStyle : public com::ObjectRoot, public com::UnionDispatchImpl<IHTMLCurrentStyle> {
public:
    QX_BEGIN_INTERFACES(CCurrentStyle)
    QX_INTERFACE_ENTRY(IHTMLCurrentStyle)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    void Bind(StyleOwner& element) {
        element.AddOwnerRef();
        element_ = &element;
        names_ = std::make_unique<CurrentNames>(element);
        IdentitiesOf(ObjectKind::CurrentStyle)
            .Add(element_, static_cast<IDispatch*>(static_cast<IDispatchEx*>(this)));
    }
    void FinalRelease() {
        if (!element_)
            return;
        IdentitiesOf(ObjectKind::CurrentStyle)
            .Remove(element_, static_cast<IDispatch*>(static_cast<IDispatchEx*>(this)));
        element_->ReleaseOwnerRef();
    }

    QX_CURRENT_TEXT_PROPS(QX_CURRENT_TEXT)
    QX_CURRENT_VALUE_PROPS(QX_CURRENT_VALUE)
    QX_CURRENT_CLIP(Top, 0)
    QX_CURRENT_CLIP(Right, 1)
    QX_CURRENT_CLIP(Bottom, 2)
    QX_CURRENT_CLIP(Left, 3)
    STDMETHODIMP get_position(BSTR* p) override {
        return ReturnText(CurrentValue(*element_, Prop::position), p);
    }
    // The direction blocks flow in: the element's writing direction.
    STDMETHODIMP get_blockDirection(BSTR* p) override {
        return ReturnText(CurrentValue(*element_, Prop::direction), p);
    }
    STDMETHODIMP getAttribute(BSTR name, LONG, VARIANT* p) override {
        if (!p)
            return E_POINTER;
        VariantInit(p);
        const PropertyInfo* property =
            FindProperty(name ? std::u16string_view(name, SysStringLen(name)) : std::u16string_view());
        if (!property) {
            V_VT(p) = VT_NULL;
            return S_OK;
        }
        return CurrentAsVariant(CurrentValue(*element_, property->id), property->id, p);
    }

protected:
    com::DynamicNames* FallbackNames() override { return names_.get(); }

private:
    StyleOwner* element_ = nullptr;
    std::unique_ptr<CurrentNames> names_;
};

} // namespace

HRESULT CreateCurrentStyle(StyleOwner& element, IDispatch** style) {
    if (!style)
        return E_POINTER;
    if ((*style = IdentitiesOf(ObjectKind::CurrentStyle).Find(&element)))
        return S_OK;
    com::ObjectPtr<CCurrentStyle> object;
    HRESULT hr = com::CreateObject<CCurrentStyle>(object);
    if (FAILED(hr))
        return hr;
    object->Bind(element);
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(style));
}

} // namespace qx::html::css
