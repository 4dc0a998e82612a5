// What the style objects share: where a style object's declarations live (an element's style
// attribute, its runtime style, a rule), the members' bodies by property, and the names that reach
// any property by its script name (`style.Design_Time_Lock`).
#pragma once

#include "qx/html/css/declarations.h"
#include "qx/html/css/style_owner.h"

#include <oaidl.h>
#include <qx/com/dynamic_names.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qx::html::css::detail {

class StyleStore {
public:
    virtual ~StyleStore() = default;
    // The declarations as they stand now.
    virtual DeclarationBlock& Block() = 0;
    // Called after every change.
    virtual void Commit() {}
    // What a percentage width counts from, for pixelWidth; nothing for a rule.
    virtual std::optional<double> PercentWidthBase() { return std::nullopt; }
};

// The element's style attribute: read again when its text changed, written back after a change.
std::unique_ptr<StyleStore> MakeInlineStore(StyleOwner& element);
std::unique_ptr<StyleStore> MakeRuntimeStore(StyleOwner& element);
std::unique_ptr<StyleStore> MakeRuleStore(std::shared_ptr<DeclarationBlock> block);

HRESULT GetText(StyleStore& store, Prop p, BSTR* out);
HRESULT PutText(StyleStore& store, Prop p, BSTR value);
HRESULT GetValue(StyleStore& store, Prop p, VARIANT* out);
HRESULT PutValue(StyleStore& store, Prop p, const VARIANT& value);
// textDecorationNone / Underline / ...: whether the word is in text-decoration.
HRESULT GetDecoration(StyleStore& store, std::u16string_view word, VARIANT_BOOL* out);
HRESULT PutDecoration(StyleStore& store, std::u16string_view word, VARIANT_BOOL on);
HRESULT GetPixel(StyleStore& store, Prop p, LONG* out);
HRESULT PutPixel(StyleStore& store, Prop p, LONG value);
HRESULT GetPos(StyleStore& store, Prop p, FLOAT* out);
HRESULT PutPos(StyleStore& store, Prop p, FLOAT value);
HRESULT GetCssText(StyleStore& store, BSTR* out);
HRESULT PutCssText(StyleStore& store, BSTR text);
HRESULT SetAttribute(StyleStore& store, BSTR name, const VARIANT& value);
HRESULT GetAttribute(StyleStore& store, BSTR name, VARIANT* out);
HRESULT RemoveAttribute(StyleStore& store, BSTR name, VARIANT_BOOL* out);

HRESULT ReturnText(std::u16string_view text, BSTR* out);
// A VARIANT put as the text a property gets: numbers as lengths in pixels (whole numbers for
// z-index), colours from 0xRRGGBB numbers, null and empty as "".
HRESULT ValueText(const VARIANT& value, const PropertyInfo* property, std::u16string& text);

// Script names of properties: known properties by script or CSS name, unknown ones as they are
// declared, and new ones made by a put.
class StyleNames final : public com::DynamicNames {
public:
    explicit StyleNames(StyleStore* store, bool readOnly = false) : store_(store), readOnly_(readOnly) {}
    bool FindName(std::u16string_view name, bool caseSensitive, std::u16string* spelled) override;
    HRESULT EnsureName(std::u16string_view name) override;
    HRESULT InvokeName(std::u16string_view name, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* excepInfo, IServiceProvider* caller) override;
    HRESULT DeleteName(std::u16string_view name) override;
    DWORD NameProperties(std::u16string_view name) override;
    void ListNames(std::vector<std::u16string>& names) override;

private:
    StyleStore* store_;
    bool readOnly_;
    std::vector<std::u16string> ensured_; // made by fdexNameEnsure, not yet given a value
};

} // namespace qx::html::css::detail
