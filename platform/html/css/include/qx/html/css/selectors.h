// Selectors of style rules: type (`P`), universal (`*`), class (`.FIELD`), id (`#title`), the
// pseudo-classes of links (`A:link`, `A:visited`, `A:hover`, `A:active`), and descendant
// combinations of those (`TABLE TD.cell`). A selector list with commas makes one selector each.
// Child, sibling and attribute selectors are not read: a rule that uses one is dropped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::html::css {

class StyleOwner;

struct CompoundSelector {
    std::u16string tag; // upper case; empty for any element
    std::u16string id;
    std::vector<std::u16string> classes;
    std::vector<std::u16string> pseudoClasses; // lower case
};

class Selector {
public:
    static constexpr std::size_t kMaxParts = 32;
    // One selector (no commas); nothing for text that is none.
    static std::optional<Selector> Parse(std::u16string_view text);
    // Each selector of a comma-separated list; nothing when any of them is no selector.
    static std::optional<std::vector<Selector>> ParseList(std::u16string_view text);

    // Ids count 100, classes and pseudo-classes 10, tag names 1.
    int Specificity() const;
    // The text as the browser writes it: tag names in upper case ("TABLE TD.cell").
    std::u16string Text() const;
    // Ids and classes match in any case, as in the old browser's default mode. Dynamic
    // pseudo-classes (hover, active, visited) never match a static element; `:link` matches an A
    // with an href.
    bool Matches(const StyleOwner& element) const;

    const std::vector<CompoundSelector>& Parts() const { return parts_; }

private:
    std::vector<CompoundSelector> parts_; // leftmost first, joined by descendant combinators
};

} // namespace qx::html::css
