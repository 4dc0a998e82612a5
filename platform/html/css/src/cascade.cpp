#include "qx/html/css/cascade.h"

#include "qx/html/css/colors.h"
#include "qx/html/css/style_owner.h"
#include "qx/html/css/style_sheet.h"
#include "text.h"

#include <array>
#include <optional>

namespace qx::html::css {
namespace {

constexpr int kMaxInheritDepth = 1024;

// The declared value of a longhand for the element, or nothing. Ranks: sheet 1, inline 2, runtime
// 3; an important declaration adds 3.
std::optional<std::u16string> Declared(StyleOwner& element, Prop p) {
    const Declaration* best = nullptr;
    int bestRank = 0, bestSpecificity = -1;
    auto consider = [&](const Declaration* d, int rank, int specificity) {
        if (!d)
            return;
        rank += d->important ? 3 : 0;
        if (rank > bestRank || (rank == bestRank && specificity >= bestSpecificity)) {
            best = d;
            bestRank = rank;
            bestSpecificity = specificity;
        }
    };
    std::vector<std::shared_ptr<StyleSheet>> sheets;
    element.DocumentStyleSheets(sheets);
    for (const auto& sheet : sheets) {
        if (!sheet || sheet->disabled)
            continue;
        for (const auto& rule : sheet->Rules()) {
            const Declaration* d = rule->style->Find(p);
            if (d && rule->selector.Matches(element))
                consider(d, 1, rule->selector.Specificity());
        }
    }
    DeclarationBlock inlineStyle;
    if (auto text = element.Attribute(u"style"))
        inlineStyle.Parse(*text);
    consider(inlineStyle.Find(p), 2, 0);
    consider(element.RuntimeStyle().Find(p), 3, 0);
    if (!best)
        return std::nullopt;
    return best->value;
}

std::u16string Specified(StyleOwner& element, Prop p, int depth) {
    std::optional<std::u16string> value = Declared(element, p);
    if (!value) {
        std::u16string_view byTag = TagDefault(element.TagName(), p);
        if (!byTag.empty())
            value = std::u16string(byTag);
    }
    bool inherit = value ? *value == u"inherit" : Info(p).inherits;
    if (!value || inherit) {
        StyleOwner* parent = element.ParentElement();
        if (inherit && parent && depth < kMaxInheritDepth)
            return Specified(*parent, p, depth + 1);
        return std::u16string(InitialValue(p));
    }
    return *value;
}

std::u16string Computed(StyleOwner& element, Prop p) {
    std::u16string value = Specified(element, p, 0);
    switch (Info(p).kind) {
    case ValueKind::Color:
        if (auto normal = NormalizeColor(value))
            return *normal;
        return value;
    default:
        break;
    }
    if (p == Prop::fontWeight) {
        if (value == u"normal")
            return u"400";
        if (value == u"bold")
            return u"700";
    }
    return value;
}

std::u16string CompressedSides(StyleOwner& element, std::span<const Prop> sides) {
    std::array<std::u16string, 4> v;
    for (std::size_t i = 0; i < 4; ++i)
        v[i] = CurrentValue(element, sides[i]);
    if (v[1] == v[3]) {
        if (v[0] == v[2])
            return v[0] == v[1] ? v[0] : v[0] + u" " + v[1];
        return v[0] + u" " + v[1] + u" " + v[2];
    }
    return v[0] + u" " + v[1] + u" " + v[2] + u" " + v[3];
}

} // namespace

std::u16string CurrentValue(StyleOwner& element, Prop p) {
    // A border colour nobody sets is the element's text colour.
    int side = 0, part = 0;
    if (BorderPart(p, &side, &part) && part == 0 && !Declared(element, p))
        return Computed(element, Prop::color);
    switch (p) {
    case Prop::margin:
    case Prop::padding:
    case Prop::borderColor:
    case Prop::borderWidth:
    case Prop::borderStyle:
        return CompressedSides(element, Longhands(p));
    default:
        break;
    }
    if (Info(p).kind == ValueKind::Shorthand) {
        std::u16string out;
        for (Prop l : Longhands(p)) {
            if (!out.empty())
                out += u' ';
            out += CurrentValue(element, l);
        }
        return out;
    }
    return Computed(element, p);
}

} // namespace qx::html::css
