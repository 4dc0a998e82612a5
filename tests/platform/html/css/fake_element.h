// An element of a small tree for the style tests: what the DOM gives the styles, kept in maps.
#pragma once

#include "qx/html/css/style_objects.h"
#include "qx/html/css/style_owner.h"
#include "qx/html/css/style_sheet.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace csstest {

using qx::html::css::DeclarationBlock;
using qx::html::css::StyleSheet;

// UTF-8 of UTF-16 text, so that failures print readably.
inline std::string U8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

struct FakeDocument : qx::html::css::StyleSheetSource {
    std::vector<std::shared_ptr<StyleSheet>> sheets;
    int refs = 0;
    void AddSourceRef() override { ++refs; }
    void ReleaseSourceRef() override { --refs; }
    void StyleSheets(std::vector<std::shared_ptr<StyleSheet>>& out) override { out = sheets; }
    std::shared_ptr<StyleSheet> AddSheet(std::u16string_view text) {
        auto sheet = std::make_shared<StyleSheet>();
        sheet->SetCssText(text);
        sheets.push_back(sheet);
        return sheet;
    }
};

class FakeElement : public qx::html::css::StyleOwner {
public:
    FakeElement(FakeDocument& document, std::u16string tag, FakeElement* parent = nullptr)
        : document_(document), tag_(std::move(tag)), parent_(parent) {}

    void AddOwnerRef() override { ++refs; }
    void ReleaseOwnerRef() override { --refs; }
    std::u16string TagName() const override { return tag_; }
    std::optional<std::u16string> Attribute(std::u16string_view name) const override {
        auto it = attributes.find(std::u16string(name));
        if (it == attributes.end())
            return std::nullopt;
        return it->second;
    }
    StyleOwner* ParentElement() const override { return parent_; }
    void SetStyleAttribute(std::u16string_view text) override {
        ++styleWrites;
        attributes[u"style"] = std::u16string(text);
    }
    DeclarationBlock& RuntimeStyle() override { return runtime; }
    void DocumentStyleSheets(std::vector<std::shared_ptr<StyleSheet>>& sheets) const override {
        sheets = document_.sheets;
    }

    std::map<std::u16string, std::u16string> attributes; // names in lower case
    DeclarationBlock runtime;
    int refs = 0;
    int styleWrites = 0;

private:
    FakeDocument& document_;
    std::u16string tag_;
    FakeElement* parent_;
};

} // namespace csstest
