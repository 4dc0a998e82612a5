// Style text from a page: the first byte chooses how the rest is read (a style attribute, a style
// sheet, a selector, or a value put to each property), the rest is UTF-8 turned into UTF-16 by
// bytes (each byte one code unit, pairs of bytes above 0xD7 making surrogates). Whatever is read
// must write back text that reads back to the same text, and the cascade over it must answer.
#include "qx/html/css/cascade.h"
#include "qx/html/css/declarations.h"
#include "qx/html/css/style_owner.h"
#include "qx/html/css/style_sheet.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using namespace qx::html::css;

std::u16string Units(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] >= 0xD8 && i + 1 < size) {
            text.push_back(static_cast<char16_t>(data[i] << 8 | data[i + 1]));
            ++i;
        } else {
            text.push_back(data[i]);
        }
    }
    return text;
}

class Element final : public StyleOwner {
public:
    Element(std::u16string tag, std::u16string style, Element* parent,
            const std::vector<std::shared_ptr<StyleSheet>>& sheets)
        : tag_(std::move(tag)), style_(std::move(style)), parent_(parent), sheets_(sheets) {}
    void AddOwnerRef() override {}
    void ReleaseOwnerRef() override {}
    std::u16string TagName() const override { return tag_; }
    std::optional<std::u16string> Attribute(std::u16string_view name) const override {
        if (name == u"style")
            return style_;
        if (name == u"class")
            return std::u16string(u"a FIELD");
        if (name == u"id")
            return std::u16string(u"x");
        return std::nullopt;
    }
    StyleOwner* ParentElement() const override { return parent_; }
    void SetStyleAttribute(std::u16string_view text) override { style_ = text; }
    DeclarationBlock& RuntimeStyle() override { return runtime_; }
    void DocumentStyleSheets(std::vector<std::shared_ptr<StyleSheet>>& sheets) const override {
        sheets = sheets_;
    }

private:
    std::u16string tag_, style_;
    Element* parent_;
    const std::vector<std::shared_ptr<StyleSheet>>& sheets_;
    DeclarationBlock runtime_;
};

void Require(bool condition) {
    if (!condition)
        std::abort();
}

void Cascade(const std::u16string& style, const std::vector<std::shared_ptr<StyleSheet>>& sheets) {
    Element body(u"BODY", u"", nullptr, sheets);
    Element cell(u"TD", style, &body, sheets);
    for (std::size_t p = 0; p < static_cast<std::size_t>(Prop::kCount); ++p)
        CurrentValue(cell, static_cast<Prop>(p));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 16 * 1024) // the cascade over a larger sheet only takes longer
        return 0;
    std::u16string text = Units(data + 1, size - 1);
    std::vector<std::shared_ptr<StyleSheet>> sheets;
    switch (data[0] % 4) {
    case 0: { // a style attribute
        DeclarationBlock block;
        block.Parse(text);
        std::u16string written = block.Text();
        DeclarationBlock again;
        again.Parse(written);
        Require(again.Text() == written);
        Cascade(text, sheets);
        break;
    }
    case 1: { // a style sheet
        auto sheet = std::make_shared<StyleSheet>();
        sheet->SetCssText(text);
        std::u16string written = sheet->CssText();
        StyleSheet again;
        again.SetCssText(written);
        Require(again.CssText() == written);
        sheets.push_back(sheet);
        Cascade(u"", sheets);
        break;
    }
    case 2: { // a selector added as a rule
        auto sheet = std::make_shared<StyleSheet>();
        long index = sheet->AddRule(text, u"color: red", -1);
        Require(index == -1 || index == 0);
        sheets.push_back(sheet);
        Cascade(u"", sheets);
        break;
    }
    default: { // a value put to every property, by both its names
        DeclarationBlock block;
        for (std::size_t p = 0; p < static_cast<std::size_t>(Prop::kCount); ++p) {
            const PropertyInfo& info = Info(static_cast<Prop>(p));
            block.Set(info.scriptName, text);
            block.Get(info.cssName);
        }
        block.Set(text, u"1px");
        std::u16string written = block.Text();
        DeclarationBlock again;
        again.Parse(written);
        Require(again.Text() == written);
        break;
    }
    }
    return 0;
}
