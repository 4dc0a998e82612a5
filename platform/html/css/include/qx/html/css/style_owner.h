// What the styles need of an element, implemented by the DOM: the facts a selector reads, the
// `style` attribute a declaration block reads and writes back, the runtime style it keeps, and the
// document's style sheets for the cascade.
#pragma once

#include "qx/html/css/declarations.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::html::css {

class StyleSheet;

class StyleOwner {
public:
    // A style object over the element holds it for its own life.
    virtual void AddOwnerRef() = 0;
    virtual void ReleaseOwnerRef() = 0;

    // The tag name in upper case ("TD").
    virtual std::u16string TagName() const = 0;
    // An attribute's value by name in any case ("id", "class", "style", "href"); nothing when absent.
    virtual std::optional<std::u16string> Attribute(std::u16string_view name) const = 0;
    // The parent element; null at the root or for a detached element. Held by the caller's owner.
    virtual StyleOwner* ParentElement() const = 0;

    // Writes the inline style back as the `style` attribute (the canonical text; "" when empty).
    virtual void SetStyleAttribute(std::u16string_view text) = 0;
    // The element's runtime style: never serialised, above the inline style in the cascade.
    virtual DeclarationBlock& RuntimeStyle() = 0;
    // Called after every change the runtime style object makes (layout reads the runtime style too).
    virtual void RuntimeStyleChanged() {}
    // What a percentage width counts from in layout (pixelWidth of "50%"); nothing without layout.
    virtual std::optional<double> PercentWidthBase() { return std::nullopt; }
    // The style sheets of the element's document, in document order (disabled ones included).
    virtual void DocumentStyleSheets(std::vector<std::shared_ptr<StyleSheet>>& sheets) const = 0;

protected:
    ~StyleOwner() = default;
};

} // namespace qx::html::css
