// A declaration block: the text of a style attribute or of a rule's braces, kept as the browser
// keeps it. Shorthands expand into their longhands; properties the browser does not know
// (`Design_Time_Lock`) are kept with their name as written. `Text()` writes the block back in the
// old browser's form: "WIDTH: 100px; HEIGHT: 20px".
#pragma once

#include "qx/html/css/properties.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::html::css {

struct Declaration {
    std::optional<Prop> property; // a longhand (never a shorthand); nothing for an unknown name
    std::u16string name;          // the CSS name of a known property, the written name otherwise
    std::u16string value;
    bool important = false;
};

class DeclarationBlock {
public:
    // Bounds of one block: text past the first kMaxTextLength characters is not read, and
    // declarations past kMaxDeclarations are dropped.
    static constexpr std::size_t kMaxTextLength = 256 * 1024;
    static constexpr std::size_t kMaxDeclarations = 1024;

    // Replaces the block by the declarations of the text. Declarations the browser refuses (a
    // known property with a value it does not take, a name that is no name) are dropped.
    void Parse(std::u16string_view text);
    // The canonical text: declarations in their order, "NAME: value" joined by "; ", known names in
    // upper case, a side's border colour, width and style as one "BORDER-TOP: color width style",
    // four equal-importance margins or paddings as one "MARGIN: ...".
    std::u16string Text() const;

    // A property's value by CSS or script name: a longhand's value, a shorthand put together from
    // its longhands ("" when they do not make one), an unknown property's value; "" when absent.
    std::u16string Get(std::u16string_view name) const;
    std::u16string Get(Prop p) const;
    // Whether the name (known or not) has a value in the block.
    bool Has(std::u16string_view name) const;
    // Sets a property (a shorthand sets its longhands). Empty text removes it. False when a known
    // property refuses the value (the block is unchanged then).
    bool Set(std::u16string_view name, std::u16string_view value, bool important = false);
    bool Set(Prop p, std::u16string_view value, bool important = false);
    // Removes a property (a shorthand's longhands); false when it had no value.
    bool Remove(std::u16string_view name);
    bool Remove(Prop p);

    const std::vector<Declaration>& Items() const { return items_; }
    const Declaration* Find(Prop longhand) const;
    bool Empty() const { return items_.empty(); }
    void Clear() { items_.clear(); }

private:
    Declaration* FindMutable(Prop longhand);
    void Put(Prop longhand, std::u16string value, bool important);
    bool SetShorthand(Prop p, std::u16string_view value, bool important);
    bool SetUnknown(std::u16string_view name, std::u16string_view value, bool important);
    std::u16string GetShorthand(Prop p) const;

    std::vector<Declaration> items_;
};

// The declarations of one "name: value" list, for the style sheet parser too: calls `add` with each
// (name, value, important) in order. Comments are dropped; a value keeps its quotes and parentheses.
template <typename Add>
void ForEachDeclaration(std::u16string_view text, Add&& add);

// The canonical text of a style attribute's text (what saving writes).
std::u16string CanonicalStyleText(std::u16string_view text);

} // namespace qx::html::css

#include "qx/html/css/declaration_scan.h"
