#include "style_access.h"

#include "qx/html/css/colors.h"
#include "qx/html/css/values.h"
#include "text.h"

#include <oleauto.h>
#include <qx/com/bstr.h>
#include <qx/com/variant.h>

#include <algorithm>
#include <cmath>

namespace qx::html::css::detail {
namespace {

class InlineStore final : public StyleStore {
public:
    explicit InlineStore(StyleOwner& element) : element_(element) { element_.AddOwnerRef(); }
    ~InlineStore() override { element_.ReleaseOwnerRef(); }
    DeclarationBlock& Block() override {
        std::u16string text = element_.Attribute(u"style").value_or(std::u16string());
        if (!parsed_ || text != seen_) {
            block_.Parse(text);
            seen_ = std::move(text);
            parsed_ = true;
        }
        return block_;
    }
    void Commit() override {
        seen_ = block_.Text();
        element_.SetStyleAttribute(seen_);
    }
    std::optional<double> PercentWidthBase() override { return element_.PercentWidthBase(); }

private:
    StyleOwner& element_;
    DeclarationBlock block_;
    std::u16string seen_;
    bool parsed_ = false;
};

class RuntimeStore final : public StyleStore {
public:
    explicit RuntimeStore(StyleOwner& element) : element_(element) { element_.AddOwnerRef(); }
    ~RuntimeStore() override { element_.ReleaseOwnerRef(); }
    DeclarationBlock& Block() override { return element_.RuntimeStyle(); }
    void Commit() override { element_.RuntimeStyleChanged(); }
    std::optional<double> PercentWidthBase() override { return element_.PercentWidthBase(); }

private:
    StyleOwner& element_;
};

class RuleStore final : public StyleStore {
public:
    explicit RuleStore(std::shared_ptr<DeclarationBlock> block) : block_(std::move(block)) {}
    DeclarationBlock& Block() override { return *block_; }

private:
    std::shared_ptr<DeclarationBlock> block_;
};

std::u16string_view View(BSTR text) {
    return text ? std::u16string_view(text, SysStringLen(text)) : u"";
}

HRESULT Store(StyleStore& store, Prop p, std::u16string_view text) {
    if (!store.Block().Set(p, text))
        return E_INVALIDARG;
    store.Commit();
    return S_OK;
}

} // namespace

std::unique_ptr<StyleStore> MakeInlineStore(StyleOwner& element) {
    return std::make_unique<InlineStore>(element);
}
std::unique_ptr<StyleStore> MakeRuntimeStore(StyleOwner& element) {
    return std::make_unique<RuntimeStore>(element);
}
std::unique_ptr<StyleStore> MakeRuleStore(std::shared_ptr<DeclarationBlock> block) {
    return std::make_unique<RuleStore>(std::move(block));
}

HRESULT ReturnText(std::u16string_view text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ValueText(const VARIANT& value, const PropertyInfo* property, std::u16string& text) {
    const VARIANT* v = &value;
    if (V_VT(v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(v))
        v = V_VARIANTREF(v);
    switch (V_VT(v)) {
    case VT_EMPTY:
    case VT_NULL:
        text.clear();
        return S_OK;
    case VT_BSTR:
        text = View(V_BSTR(v));
        return S_OK;
    default:
        break;
    }
    com::Variant number;
    if (property && property->kind != ValueKind::Text && property->kind != ValueKind::Keyword &&
        SUCCEEDED(VariantChangeType(&number, v, 0, VT_R8))) {
        double n = V_R8(&number);
        if (property->kind == ValueKind::Color)
            text = FormatColor(static_cast<std::uint32_t>(std::fmod(std::fabs(n), 16777216.0)));
        else if (property->kind == ValueKind::Number)
            text = FormatNumber(std::trunc(n));
        else
            text = FormatNumber(n) + (property->id == Prop::lineHeight ? u"" : u"px");
        return S_OK;
    }
    com::Variant asText;
    HRESULT hr = VariantChangeType(&asText, v, 0, VT_BSTR);
    if (FAILED(hr))
        return hr;
    text = View(V_BSTR(&asText));
    return S_OK;
}

HRESULT GetText(StyleStore& store, Prop p, BSTR* out) {
    return ReturnText(store.Block().Get(p), out);
}

HRESULT PutText(StyleStore& store, Prop p, BSTR value) {
    return Store(store, p, View(value));
}

HRESULT GetValue(StyleStore& store, Prop p, VARIANT* out) {
    if (!out)
        return E_POINTER;
    VariantInit(out);
    std::u16string text = store.Block().Get(p);
    if (Info(p).kind == ValueKind::Number && (text.empty() || ParseLength(text))) {
        V_VT(out) = VT_I4;
        V_I4(out) = static_cast<LONG>(PosValue(text));
        return S_OK;
    }
    V_VT(out) = VT_BSTR;
    return ReturnText(text, &V_BSTR(out));
}

HRESULT PutValue(StyleStore& store, Prop p, const VARIANT& value) {
    std::u16string text;
    HRESULT hr = ValueText(value, &Info(p), text);
    if (FAILED(hr))
        return hr;
    return Store(store, p, text);
}

HRESULT GetDecoration(StyleStore& store, std::u16string_view word, VARIANT_BOOL* out) {
    if (!out)
        return E_POINTER;
    *out = InWordList(store.Block().Get(Prop::textDecoration), word) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT PutDecoration(StyleStore& store, std::u16string_view word, VARIANT_BOOL on) {
    std::u16string old = store.Block().Get(Prop::textDecoration);
    std::u16string text;
    if (!(on && word == u"none")) {
        for (std::u16string_view w : SplitWords(old)) {
            if (EqualsNoCase(w, word) || (on && EqualsNoCase(w, u"none")))
                continue;
            text += (text.empty() ? u"" : u" ") + std::u16string(w);
        }
    }
    if (on)
        text += (text.empty() ? u"" : u" ") + std::u16string(word);
    return Store(store, Prop::textDecoration, text);
}

// A percentage width counts from the containing block as layout took it, as the old browser's
// pixelWidth did; other percentages give 0, as layout places nothing by them.
HRESULT GetPixel(StyleStore& store, Prop p, LONG* out) {
    if (!out)
        return E_POINTER;
    const std::u16string value = store.Block().Get(p);
    if (p == Prop::width) {
        const std::optional<Length> length = ParseLength(value);
        const std::optional<double> base =
            length && length->unit == u"%" ? store.PercentWidthBase() : std::nullopt;
        if (base) {
            *out = static_cast<LONG>(std::clamp(std::trunc(length->number * *base / 100), -1e9, 1e9));
            return S_OK;
        }
    }
    *out = static_cast<LONG>(ToPixels(value));
    return S_OK;
}

HRESULT PutPixel(StyleStore& store, Prop p, LONG value) {
    return Store(store, p, FormatNumber(value) + u"px");
}

HRESULT GetPos(StyleStore& store, Prop p, FLOAT* out) {
    if (!out)
        return E_POINTER;
    *out = static_cast<FLOAT>(PosValue(store.Block().Get(p)));
    return S_OK;
}

HRESULT PutPos(StyleStore& store, Prop p, FLOAT value) {
    if (!std::isfinite(value))
        return E_INVALIDARG;
    return Store(store, p, WithPosValue(store.Block().Get(p), value));
}

HRESULT GetCssText(StyleStore& store, BSTR* out) {
    return ReturnText(store.Block().Text(), out);
}

HRESULT PutCssText(StyleStore& store, BSTR text) {
    store.Block().Parse(View(text));
    store.Commit();
    return S_OK;
}

HRESULT SetAttribute(StyleStore& store, BSTR name, const VARIANT& value) {
    std::u16string_view n = Trim(View(name));
    const PropertyInfo* property = FindProperty(n);
    std::u16string text;
    HRESULT hr = ValueText(value, property, text);
    if (FAILED(hr))
        return hr;
    if (!store.Block().Set(n, text))
        return property ? E_INVALIDARG : DISP_E_UNKNOWNNAME;
    store.Commit();
    return S_OK;
}

HRESULT GetAttribute(StyleStore& store, BSTR name, VARIANT* out) {
    if (!out)
        return E_POINTER;
    VariantInit(out);
    std::u16string_view n = Trim(View(name));
    if (const PropertyInfo* property = FindProperty(n))
        return GetValue(store, property->id, out);
    if (!store.Block().Has(n)) {
        V_VT(out) = VT_NULL;
        return S_OK;
    }
    V_VT(out) = VT_BSTR;
    return ReturnText(store.Block().Get(n), &V_BSTR(out));
}

HRESULT RemoveAttribute(StyleStore& store, BSTR name, VARIANT_BOOL* out) {
    if (!out)
        return E_POINTER;
    bool removed = store.Block().Remove(View(name));
    if (removed)
        store.Commit();
    *out = removed ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

bool StyleNames::FindName(std::u16string_view name, bool caseSensitive, std::u16string* spelled) {
    if (const PropertyInfo* property = FindProperty(name)) {
        if (caseSensitive && name != property->scriptName && name != property->cssName)
            return false;
        *spelled = name == property->cssName ? property->cssName : property->scriptName;
        return true;
    }
    for (const Declaration& d : store_->Block().Items()) {
        if (!d.property && (caseSensitive ? d.name == name : EqualsNoCase(d.name, name))) {
            *spelled = d.name;
            return true;
        }
    }
    for (const std::u16string& e : ensured_) {
        if (caseSensitive ? e == name : EqualsNoCase(e, name)) {
            *spelled = e;
            return true;
        }
    }
    return false;
}

HRESULT StyleNames::EnsureName(std::u16string_view name) {
    if (readOnly_ || name.empty() || name.size() > 256)
        return DISP_E_UNKNOWNNAME;
    std::u16string spelled;
    if (!FindName(name, false, &spelled))
        ensured_.emplace_back(name);
    return S_OK;
}

HRESULT StyleNames::InvokeName(std::u16string_view name, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO*, IServiceProvider*) {
    com::Bstr key(name);
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (readOnly_)
            return DISP_E_MEMBERNOTFOUND;
        if (!params || params->cArgs < 1)
            return DISP_E_BADPARAMCOUNT;
        HRESULT hr = SetAttribute(*store_, key.Get(), params->rgvarg[0]);
        if (SUCCEEDED(hr))
            std::erase_if(ensured_, [&](const std::u16string& e) { return EqualsNoCase(e, name); });
        return hr;
    }
    if (!(flags & DISPATCH_PROPERTYGET))
        return DISP_E_MEMBERNOTFOUND;
    com::Variant value;
    HRESULT hr = GetAttribute(*store_, key.Get(), &value);
    if (FAILED(hr))
        return hr;
    if (V_VT(&value) == VT_NULL) { // made by a put that has not come yet
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = SysAllocString(u"");
    }
    return result ? VariantCopy(result, &value) : S_OK;
}

HRESULT StyleNames::DeleteName(std::u16string_view name) {
    if (readOnly_)
        return S_FALSE;
    std::erase_if(ensured_, [&](const std::u16string& e) { return EqualsNoCase(e, name); });
    if (store_->Block().Remove(name))
        store_->Commit();
    return S_OK;
}

DWORD StyleNames::NameProperties(std::u16string_view) {
    return fdexPropCanGet | (readOnly_ ? fdexPropCannotPut : fdexPropCanPut) | fdexPropCannotPutRef |
           fdexPropCannotCall;
}

void StyleNames::ListNames(std::vector<std::u16string>& names) {
    for (const Declaration& d : store_->Block().Items())
        if (!d.property)
            names.push_back(d.name);
}

} // namespace qx::html::css::detail
