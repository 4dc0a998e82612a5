// Style sheets as script and components see them: IHTMLStyleSheet, its live rules collection,
// IHTMLStyleSheetRule, and the document's live IHTMLStyleSheetsCollection. A sheet and a rule are
// one object each while one is referenced (identity matters to `==`).
#include "qx/html/css/style_objects.h"

#include "identities.h"
#include "style_access.h"
#include "text.h"

#include <oleauto.h>
#include <qx/com/dispatch.h>
#include <qx/com/enumerators.h>
#include <qx/com/object.h>
#include <qx/com/union_dispatch.h>
#include <qx/com/variant.h>
#include <qx/html/item_names.h>

namespace qx::html::css {
namespace detail {
HRESULT CreateRuleStyle(std::shared_ptr<DeclarationBlock> block, IDispatch** style);
} // namespace detail

namespace {

using namespace detail;

std::u16string_view View(BSTR b) {
    return b ? std::u16string_view(b, SysStringLen(b)) : u"";
}

HRESULT ReturnBool(bool value, VARIANT_BOOL* out) {
    if (!out)
        return E_POINTER;
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

class CStyleSheetRule : public com::ObjectRoot, public com::DispatchImpl<IHTMLStyleSheetRule> {
public:
    QX_BEGIN_INTERFACES(CStyleSheetRule)
    QX_INTERFACE_ENTRY(IHTMLStyleSheetRule)
    QX_INTERFACE_ENTRY2(IDispatch, IHTMLStyleSheetRule)
    QX_END_INTERFACES()

    void Bind(std::shared_ptr<StyleRule> rule) {
        rule_ = std::move(rule);
        IdentitiesOf(ObjectKind::Rule).Add(rule_.get(), static_cast<IHTMLStyleSheetRule*>(this));
    }
    void FinalRelease() {
        if (rule_)
            IdentitiesOf(ObjectKind::Rule).Remove(rule_.get(), static_cast<IHTMLStyleSheetRule*>(this));
    }

    STDMETHODIMP get_selectorText(BSTR* p) override { return ReturnText(rule_->selector.Text(), p); }
    STDMETHODIMP put_selectorText(BSTR v) override {
        auto selector = Selector::Parse(View(v));
        if (!selector)
            return E_INVALIDARG;
        rule_->selector = std::move(*selector);
        return S_OK;
    }
    STDMETHODIMP get_style(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        if (!style_) {
            HRESULT hr = CreateRuleStyle(rule_->style, &style_);
            if (FAILED(hr)) {
                *p = nullptr;
                return hr;
            }
        }
        return style_.CopyTo(p);
    }
    STDMETHODIMP get_readOnly(VARIANT_BOOL* p) override { return ReturnBool(false, p); }

private:
    std::shared_ptr<StyleRule> rule_;
    com::ComPtr<IDispatch> style_;
};

HRESULT GetRuleObject(const std::shared_ptr<StyleRule>& rule, IDispatch** out) {
    if ((*out = IdentitiesOf(ObjectKind::Rule).Find(rule.get())))
        return S_OK;
    com::ObjectPtr<CStyleSheetRule> object;
    HRESULT hr = com::CreateObject<CStyleSheetRule>(object);
    if (FAILED(hr))
        return hr;
    object->Bind(rule);
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

// Rules also read as members by index (`rules[0]`).
class CStyleSheetRulesCollection : public com::ObjectRoot,
                                   public com::UnionDispatchImpl<IHTMLStyleSheetRulesCollection> {
public:
    QX_BEGIN_INTERFACES(CStyleSheetRulesCollection)
    QX_INTERFACE_ENTRY(IHTMLStyleSheetRulesCollection)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    bool HasName(std::u16string_view name) {
        LONG at = 0;
        return IndexOfName(name, &at) && static_cast<std::size_t>(at) < sheet_->Rules().size();
    }
    HRESULT ItemByName(std::u16string_view name, IDispatch** out) {
        LONG at = 0;
        return IndexOfName(name, &at) ? item(at, out) : E_INVALIDARG;
    }

    void Bind(std::shared_ptr<StyleSheet> sheet) { sheet_ = std::move(sheet); }

    STDMETHODIMP get_length(LONG* p) override {
        if (!p)
            return E_POINTER;
        *p = static_cast<LONG>(sheet_->Rules().size());
        return S_OK;
    }
    STDMETHODIMP item(LONG index, IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (index < 0 || static_cast<std::size_t>(index) >= sheet_->Rules().size())
            return E_INVALIDARG;
        return GetRuleObject(sheet_->Rules()[static_cast<std::size_t>(index)], p);
    }

protected:
    com::DynamicNames* FallbackNames() override { return &names_; }

private:
    std::shared_ptr<StyleSheet> sheet_;
    ItemNames<CStyleSheetRulesCollection> names_{this};
};

// Sheets also read as members by index and by their element's id (`styleSheets[0]`).
class CStyleSheetsCollection : public com::ObjectRoot,
                               public com::UnionDispatchImpl<IHTMLStyleSheetsCollection> {
public:
    QX_BEGIN_INTERFACES(CStyleSheetsCollection)
    QX_INTERFACE_ENTRY(IHTMLStyleSheetsCollection)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    bool HasName(std::u16string_view name) {
        LONG at = 0;
        if (IndexOfName(name, &at))
            return static_cast<std::size_t>(at) < Sheets().size();
        for (const auto& sheet : Sheets())
            if (sheet && !sheet->id.empty() && EqualsNoCase(sheet->id, name))
                return true;
        return false;
    }
    HRESULT ItemByName(std::u16string_view name, IDispatch** out) {
        *out = nullptr;
        LONG at = 0;
        com::Variant key = IndexOfName(name, &at) ? com::Variant(at) : com::Variant(name);
        com::Variant found;
        const HRESULT hr = item(&key, &found);
        if (SUCCEEDED(hr) && V_VT(&found) == VT_DISPATCH) {
            *out = V_DISPATCH(&found);
            V_VT(&found) = VT_EMPTY;
        }
        return hr;
    }

    // Either a live source (the document) or a fixed list (a sheet's imports).
    void Bind(StyleSheetSource* source, std::shared_ptr<StyleSheet> importsOf) {
        source_ = source;
        if (source_)
            source_->AddSourceRef();
        importsOf_ = std::move(importsOf);
    }
    void FinalRelease() {
        if (source_)
            source_->ReleaseSourceRef();
    }

    STDMETHODIMP get_length(LONG* p) override {
        if (!p)
            return E_POINTER;
        *p = static_cast<LONG>(Sheets().size());
        return S_OK;
    }
    STDMETHODIMP get__newEnum(IUnknown** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        std::vector<com::Variant> items;
        for (const auto& sheet : Sheets()) {
            com::ComPtr<IDispatch> object;
            HRESULT hr = GetStyleSheetObject(sheet, &object);
            if (FAILED(hr))
                return hr;
            items.emplace_back(object.Get());
        }
        IEnumVARIANT* e = nullptr;
        HRESULT hr = com::CreateEnumVariant(std::move(items), &e);
        *p = e;
        return hr;
    }
    // By index, or by the id of the sheet's element (the first sheet with it).
    STDMETHODIMP item(VARIANT* index, VARIANT* p) override {
        if (!p || !index)
            return E_POINTER;
        VariantInit(p);
        std::vector<std::shared_ptr<StyleSheet>> sheets = Sheets();
        const VARIANT* v = index;
        if (V_VT(v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(v))
            v = V_VARIANTREF(v);
        std::shared_ptr<StyleSheet> found;
        if (V_VT(v) == VT_BSTR) {
            for (const auto& sheet : sheets)
                if (sheet && !sheet->id.empty() && EqualsNoCase(sheet->id, View(V_BSTR(v)))) {
                    found = sheet;
                    break;
                }
        } else {
            com::Variant number;
            if (FAILED(VariantChangeType(&number, v, 0, VT_I4)))
                return E_INVALIDARG;
            LONG i = V_I4(&number);
            if (i >= 0 && static_cast<std::size_t>(i) < sheets.size())
                found = sheets[static_cast<std::size_t>(i)];
        }
        if (!found)
            return E_INVALIDARG;
        IDispatch* object = nullptr;
        HRESULT hr = GetStyleSheetObject(found, &object);
        if (FAILED(hr))
            return hr;
        V_VT(p) = VT_DISPATCH;
        V_DISPATCH(p) = object;
        return S_OK;
    }

protected:
    com::DynamicNames* FallbackNames() override { return &names_; }

private:
    std::vector<std::shared_ptr<StyleSheet>> Sheets() {
        std::vector<std::shared_ptr<StyleSheet>> sheets;
        if (source_)
            source_->StyleSheets(sheets);
        else if (importsOf_)
            sheets = importsOf_->Imports();
        return sheets;
    }

    StyleSheetSource* source_ = nullptr;
    std::shared_ptr<StyleSheet> importsOf_;
    ItemNames<CStyleSheetsCollection> names_{this};
};

class CStyleSheet : public com::ObjectRoot, public com::DispatchImpl<IHTMLStyleSheet> {
public:
    QX_BEGIN_INTERFACES(CStyleSheet)
    QX_INTERFACE_ENTRY(IHTMLStyleSheet)
    QX_INTERFACE_ENTRY2(IDispatch, IHTMLStyleSheet)
    QX_END_INTERFACES()

    void Bind(std::shared_ptr<StyleSheet> sheet) {
        sheet_ = std::move(sheet);
        IdentitiesOf(ObjectKind::Sheet).Add(sheet_.get(), static_cast<IHTMLStyleSheet*>(this));
    }
    void FinalRelease() {
        if (sheet_)
            IdentitiesOf(ObjectKind::Sheet).Remove(sheet_.get(), static_cast<IHTMLStyleSheet*>(this));
    }

    STDMETHODIMP get_title(BSTR* p) override { return ReturnText(sheet_->title, p); }
    STDMETHODIMP put_title(BSTR v) override {
        sheet_->title = View(v);
        return S_OK;
    }
    STDMETHODIMP get_parentStyleSheet(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        auto parent = sheet_->Parent();
        return parent ? GetStyleSheetObject(parent, p) : S_OK;
    }
    STDMETHODIMP get_owningElement(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        return sheet_->owningElement ? sheet_->owningElement(p) : S_OK;
    }
    STDMETHODIMP get_disabled(VARIANT_BOOL* p) override { return ReturnBool(sheet_->disabled, p); }
    STDMETHODIMP put_disabled(VARIANT_BOOL v) override {
        sheet_->disabled = v != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_readOnly(VARIANT_BOOL* p) override { return ReturnBool(false, p); }
    STDMETHODIMP get_imports(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        com::ObjectPtr<CStyleSheetsCollection> imports;
        HRESULT hr = com::CreateObject<CStyleSheetsCollection>(imports);
        if (FAILED(hr))
            return hr;
        imports->Bind(nullptr, sheet_);
        return imports->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(p));
    }
    STDMETHODIMP get_href(BSTR* p) override { return ReturnText(sheet_->href, p); }
    STDMETHODIMP put_href(BSTR v) override {
        sheet_->href = View(v);
        return S_OK;
    }
    STDMETHODIMP get_type(BSTR* p) override { return ReturnText(u"text/css", p); }
    STDMETHODIMP get_id(BSTR* p) override { return ReturnText(sheet_->id, p); }
    STDMETHODIMP addImport(BSTR url, LONG index, LONG* p) override {
        if (!p)
            return E_POINTER;
        *p = sheet_->AddImport(View(url), index);
        return *p < 0 ? E_INVALIDARG : S_OK;
    }
    STDMETHODIMP addRule(BSTR selector, BSTR style, LONG index, LONG* p) override {
        if (!p)
            return E_POINTER;
        *p = sheet_->AddRule(View(selector), View(style), index);
        return *p < 0 ? E_INVALIDARG : S_OK;
    }
    STDMETHODIMP removeImport(LONG index) override {
        return sheet_->RemoveImport(index) ? S_OK : E_INVALIDARG;
    }
    STDMETHODIMP removeRule(LONG index) override { return sheet_->RemoveRule(index) ? S_OK : E_INVALIDARG; }
    STDMETHODIMP get_media(BSTR* p) override { return ReturnText(sheet_->media, p); }
    STDMETHODIMP put_media(BSTR v) override {
        sheet_->media = View(v);
        return S_OK;
    }
    STDMETHODIMP get_cssText(BSTR* p) override { return ReturnText(sheet_->CssText(), p); }
    STDMETHODIMP put_cssText(BSTR v) override {
        sheet_->SetCssText(View(v));
        return S_OK;
    }
    STDMETHODIMP get_rules(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        com::ObjectPtr<CStyleSheetRulesCollection> rules;
        HRESULT hr = com::CreateObject<CStyleSheetRulesCollection>(rules);
        if (FAILED(hr))
            return hr;
        rules->Bind(sheet_);
        return rules->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(p));
    }

private:
    std::shared_ptr<StyleSheet> sheet_;
};

} // namespace

namespace detail {
Identities& IdentitiesOf(ObjectKind kind) {
    static Identities tables[static_cast<std::size_t>(ObjectKind::kCount)];
    return tables[static_cast<std::size_t>(kind)];
}
} // namespace detail

HRESULT GetStyleSheetObject(const std::shared_ptr<StyleSheet>& sheet, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!sheet)
        return E_INVALIDARG;
    if ((*object = IdentitiesOf(ObjectKind::Sheet).Find(sheet.get())))
        return S_OK;
    com::ObjectPtr<CStyleSheet> created;
    HRESULT hr = com::CreateObject<CStyleSheet>(created);
    if (FAILED(hr))
        return hr;
    created->Bind(sheet);
    return created->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object));
}

HRESULT CreateStyleSheetsCollection(StyleSheetSource& source, IDispatch** collection) {
    if (!collection)
        return E_POINTER;
    *collection = nullptr;
    com::ObjectPtr<CStyleSheetsCollection> object;
    HRESULT hr = com::CreateObject<CStyleSheetsCollection>(object);
    if (FAILED(hr))
        return hr;
    object->Bind(&source, nullptr);
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(collection));
}

} // namespace qx::html::css
