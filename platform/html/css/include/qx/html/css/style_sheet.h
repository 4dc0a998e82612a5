// A style sheet: from a <style> element's text or made empty (the document places it; this is the
// sheet itself). Rules keep their order; a rule with a selector list becomes one rule per selector,
// as the old browser's `rules` collection shows them. `CssText()` writes the sheet in the old
// browser's form: "P {\r\n\tMARGIN-TOP: 0mm; MARGIN-BOTTOM: 0mm\r\n}\r\n".
#pragma once

#include <oaidl.h>

#include "qx/html/css/declarations.h"
#include "qx/html/css/selectors.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qx::html::css {

struct StyleRule {
    Selector selector;
    std::shared_ptr<DeclarationBlock> style; // shared with the rule's style object
};

class StyleSheet : public std::enable_shared_from_this<StyleSheet> {
public:
    // Bounds: text past kMaxTextLength characters is not read, rules past kMaxRules are dropped.
    static constexpr std::size_t kMaxTextLength = 4 * 1024 * 1024;
    static constexpr std::size_t kMaxRules = 16384;
    static constexpr std::size_t kMaxImports = 64;

    // Replaces the rules and imports by those of the text. Rules the browser cannot read are
    // dropped; @import keeps its URL; @media, @page and @font-face blocks are skipped.
    void SetCssText(std::u16string_view text);
    std::u16string CssText() const;

    const std::vector<std::shared_ptr<StyleRule>>& Rules() const { return rules_; }
    // Adds one rule per selector of the list at `index` (past the end or negative: at the end);
    // the first one's index, or -1 when the selector is no selector (nothing is added then).
    long AddRule(std::u16string_view selector, std::u16string_view style, long index);
    // False when the index is out of range.
    bool RemoveRule(long index);

    // Imports: sheets that stand for an @import URL (their content is not loaded).
    const std::vector<std::shared_ptr<StyleSheet>>& Imports() const { return imports_; }
    long AddImport(std::u16string_view url, long index);
    bool RemoveImport(long index);
    std::shared_ptr<StyleSheet> Parent() const { return parent_.lock(); }

    std::u16string title;
    std::u16string href;
    std::u16string media;
    std::u16string id; // the owning element's id, set by the element
    bool disabled = false;

    // Gives the element the sheet comes from (a STYLE or LINK) as a new reference; the element sets
    // it and clears it before it goes away. Empty for a sheet no element owns.
    std::function<HRESULT(IDispatch**)> owningElement;

private:
    void ParseRules(std::u16string_view text);
    std::vector<std::shared_ptr<StyleRule>> rules_;
    std::vector<std::shared_ptr<StyleSheet>> imports_;
    std::weak_ptr<StyleSheet> parent_;
};

} // namespace qx::html::css
