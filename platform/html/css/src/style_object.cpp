// element.style, element.runtimeStyle and a rule's style: the members of IHTMLStyle, IHTMLStyle2
// and IHTMLRuleStyle over a StyleStore, most of them one line of the shared bodies.
#include "qx/html/css/style_objects.h"

#include "identities.h"
#include "style_access.h"
#include "style_members.h"
#include "text.h"

#include <qx/com/object.h>
#include <qx/com/union_dispatch.h>

namespace qx::html::css {
namespace {

using namespace detail;

#define QX_TEXT_MEMBER(name)                                                                                 \
    STDMETHODIMP get_##name(BSTR* p) override {                                                              \
        return GetText(*store_, Prop::name, p);                                                              \
    }                                                                                                        \
    STDMETHODIMP put_##name(BSTR v) override {                                                               \
        return PutText(*store_, Prop::name, v);                                                              \
    }
#define QX_VALUE_MEMBER(name)                                                                                \
    STDMETHODIMP get_##name(VARIANT* p) override {                                                           \
        return GetValue(*store_, Prop::name, p);                                                             \
    }                                                                                                        \
    STDMETHODIMP put_##name(VARIANT v) override {                                                            \
        return PutValue(*store_, Prop::name, v);                                                             \
    }
#define QX_DECORATION_MEMBER(name, word)                                                                     \
    STDMETHODIMP get_textDecoration##name(VARIANT_BOOL* p) override {                                        \
        return GetDecoration(*store_, word, p);                                                              \
    }                                                                                                        \
    STDMETHODIMP put_textDecoration##name(VARIANT_BOOL v) override {                                         \
        return PutDecoration(*store_, word, v);                                                              \
    }
#define QX_PIXEL_MEMBER(name, prop)                                                                          \
    STDMETHODIMP get_pixel##name(LONG* p) override {                                                         \
        return GetPixel(*store_, Prop::prop, p);                                                             \
    }                                                                                                        \
    STDMETHODIMP put_pixel##name(LONG v) override {                                                          \
        return PutPixel(*store_, Prop::prop, v);                                                             \
    }                                                                                                        \
    STDMETHODIMP get_pos##name(FLOAT* p) override {                                                          \
        return GetPos(*store_, Prop::prop, p);                                                               \
    }                                                                                                        \
    STDMETHODIMP put_pos##name(FLOAT v) override {                                                           \
        return PutPos(*store_, Prop::prop, v);                                                               \
    }

// The members IHTMLStyle and IHTMLRuleStyle share.
#define QX_SHARED_STYLE_MEMBERS                                                                              \
    QX_STYLE_TEXT_PROPS(QX_TEXT_MEMBER)                                                                      \
    QX_STYLE_VALUE_PROPS(QX_VALUE_MEMBER)                                                                    \
    QX_DECORATION_MEMBER(None, u"none")                                                                      \
    QX_DECORATION_MEMBER(Underline, u"underline")                                                            \
    QX_DECORATION_MEMBER(Overline, u"overline")                                                              \
    QX_DECORATION_MEMBER(LineThrough, u"line-through")                                                       \
    QX_DECORATION_MEMBER(Blink, u"blink")                                                                    \
    STDMETHODIMP get_position(BSTR* p) override {                                                            \
        return GetText(*store_, Prop::position, p);                                                          \
    }                                                                                                        \
    STDMETHODIMP get_cssText(BSTR* p) override {                                                             \
        return GetCssText(*store_, p);                                                                       \
    }                                                                                                        \
    STDMETHODIMP put_cssText(BSTR v) override {                                                              \
        return PutCssText(*store_, v);                                                                       \
    }                                                                                                        \
    STDMETHODIMP setAttribute(BSTR name, VARIANT value, LONG) override {                                     \
        return SetAttribute(*store_, name, value);                                                           \
    }                                                                                                        \
    STDMETHODIMP getAttribute(BSTR name, LONG, VARIANT* p) override {                                        \
        return GetAttribute(*store_, name, p);                                                               \
    }                                                                                                        \
    STDMETHODIMP removeAttribute(BSTR name, LONG, VARIANT_BOOL* p) override {                                \
        return RemoveAttribute(*store_, name, p);                                                            \
    }

// What a style object keeps: its store, and the names that reach any property through it.
template <typename... Itfs>
class StyleObject : public com::ObjectRoot, public com::UnionDispatchImpl<Itfs...> {
public:
    // `key` in `identities` finds this object again while it lives (none for a rule's style, which
    // its rule object keeps).
    void Bind(std::unique_ptr<StyleStore> store, Identities* identities, const void* key) {
        store_ = std::move(store);
        names_ = std::make_unique<StyleNames>(store_.get());
        identities_ = identities;
        key_ = key;
        if (identities_)
            identities_->Add(key_, static_cast<IDispatch*>(static_cast<IDispatchEx*>(this)));
    }
    void FinalRelease() {
        if (identities_)
            identities_->Remove(key_, static_cast<IDispatch*>(static_cast<IDispatchEx*>(this)));
        store_.reset(); // lets the element go
    }

protected:
    com::DynamicNames* FallbackNames() override { return names_.get(); }

    std::unique_ptr<StyleStore> store_;
    std::unique_ptr<StyleNames> names_;
    Identities* identities_ = nullptr;
    const void* key_ = nullptr;
};

// An inline or runtime style. IHTMLStyle2 comes first in the union: its `position` can be put,
// IHTMLStyle's only read.
class CStyle : public StyleObject<IHTMLStyle2, IHTMLStyle> {
public:
    QX_BEGIN_INTERFACES(CStyle)
    QX_INTERFACE_ENTRY(IHTMLStyle)
    QX_INTERFACE_ENTRY(IHTMLStyle2)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    QX_SHARED_STYLE_MEMBERS
    QX_PIXEL_MEMBER(Top, top)
    QX_PIXEL_MEMBER(Left, left)
    QX_PIXEL_MEMBER(Width, width)
    QX_PIXEL_MEMBER(Height, height)
    QX_PIXEL_MEMBER(Bottom, bottom)
    QX_PIXEL_MEMBER(Right, right)
    STDMETHODIMP toString(BSTR* p) override { return ReturnText(u"[object]", p); }

    // IHTMLStyle2
    QX_STYLE2_TEXT_PROPS(QX_TEXT_MEMBER)
    QX_STYLE2_VALUE_PROPS(QX_VALUE_MEMBER)
    STDMETHODIMP put_position(BSTR v) override { return PutText(*store_, Prop::position, v); }
    // Expressions are kept by property and given back; the browser does not evaluate them.
    STDMETHODIMP setExpression(BSTR property, BSTR expression, BSTR) override {
        if (!property || !*property)
            return E_INVALIDARG;
        expressions_.Set(property, expression);
        return S_OK;
    }
    STDMETHODIMP getExpression(BSTR property, VARIANT* p) override {
        if (!p)
            return E_POINTER;
        VariantInit(p);
        if (const std::u16string* e = expressions_.Find(property)) {
            V_VT(p) = VT_BSTR;
            return ReturnText(*e, &V_BSTR(p));
        }
        return S_OK;
    }
    STDMETHODIMP removeExpression(BSTR property, VARIANT_BOOL* p) override {
        if (!p)
            return E_POINTER;
        *p = expressions_.Remove(property) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

private:
    struct Expressions {
        std::vector<std::pair<std::u16string, std::u16string>> items;
        static std::u16string_view View(BSTR b) { return b ? std::u16string_view(b, SysStringLen(b)) : u""; }
        void Set(BSTR property, BSTR expression) {
            for (auto& [k, v] : items)
                if (EqualsNoCase(k, View(property))) {
                    v = View(expression);
                    return;
                }
            items.emplace_back(View(property), View(expression));
        }
        const std::u16string* Find(BSTR property) const {
            for (auto& [k, v] : items)
                if (EqualsNoCase(k, View(property)))
                    return &v;
            return nullptr;
        }
        bool Remove(BSTR property) {
            return std::erase_if(items,
                                 [&](const auto& kv) { return EqualsNoCase(kv.first, View(property)); }) > 0;
        }
    };

    Expressions expressions_;
};

class CRuleStyle : public StyleObject<IHTMLRuleStyle> {
public:
    QX_BEGIN_INTERFACES(CRuleStyle)
    QX_INTERFACE_ENTRY(IHTMLRuleStyle)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    QX_SHARED_STYLE_MEMBERS
};

// The element's live style object of this kind, or a new one over the store `make` gives.
template <typename T, typename MakeStore>
HRESULT MakeStyle(MakeStore make, Identities* identities, const void* key, IDispatch** out) {
    if (!out)
        return E_POINTER;
    if (identities && (*out = identities->Find(key)))
        return S_OK;
    *out = nullptr;
    com::ObjectPtr<T> object;
    HRESULT hr = com::CreateObject<T>(object);
    if (FAILED(hr))
        return hr;
    object->Bind(make(), identities, key);
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

} // namespace

HRESULT CreateInlineStyle(StyleOwner& element, IDispatch** style) {
    return MakeStyle<CStyle>([&] { return MakeInlineStore(element); }, &IdentitiesOf(ObjectKind::InlineStyle),
                             &element, style);
}

HRESULT CreateRuntimeStyle(StyleOwner& element, IDispatch** style) {
    return MakeStyle<CStyle>([&] { return MakeRuntimeStore(element); },
                             &IdentitiesOf(ObjectKind::RuntimeStyle), &element, style);
}

namespace detail {
HRESULT CreateRuleStyle(std::shared_ptr<DeclarationBlock> block, IDispatch** style) {
    return MakeStyle<CRuleStyle>([&] { return MakeRuleStore(std::move(block)); }, nullptr, nullptr, style);
}
} // namespace detail

} // namespace qx::html::css
