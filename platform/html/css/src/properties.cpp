#include "qx/html/css/properties.h"

#include "text.h"

#include <array>

namespace qx::html::css {
namespace {

constexpr PropertyInfo kProperties[] = {
#define QX_CSS_INFO(script, css, kind, inherits, keywords)                                                   \
    {Prop::script, u"" #script, u"" css, ValueKind::kind, inherits, u"" keywords},
    QX_CSS_PROPERTIES(QX_CSS_INFO)
#undef QX_CSS_INFO
};
static_assert(std::size(kProperties) == static_cast<std::size_t>(Prop::kCount));

} // namespace

const PropertyInfo& Info(Prop p) {
    return kProperties[static_cast<std::size_t>(p)];
}

const PropertyInfo* FindProperty(std::u16string_view name) {
    for (const PropertyInfo& info : kProperties)
        if (detail::EqualsNoCase(info.cssName, name) || detail::EqualsNoCase(info.scriptName, name))
            return &info;
    return nullptr;
}

namespace {

constexpr Prop kBorderAll[] = {Prop::borderTopColor,    Prop::borderTopWidth,    Prop::borderTopStyle,
                               Prop::borderRightColor,  Prop::borderRightWidth,  Prop::borderRightStyle,
                               Prop::borderBottomColor, Prop::borderBottomWidth, Prop::borderBottomStyle,
                               Prop::borderLeftColor,   Prop::borderLeftWidth,   Prop::borderLeftStyle};
constexpr Prop kBackgroundAll[] = {Prop::backgroundColor,     Prop::backgroundImage,
                                   Prop::backgroundRepeat,    Prop::backgroundAttachment,
                                   Prop::backgroundPositionX, Prop::backgroundPositionY};
constexpr Prop kFontAll[] = {Prop::fontStyle, Prop::fontVariant, Prop::fontWeight,
                             Prop::fontSize,  Prop::lineHeight,  Prop::fontFamily};
constexpr Prop kListStyleAll[] = {Prop::listStyleType, Prop::listStylePosition, Prop::listStyleImage};

} // namespace

std::span<const Prop> Longhands(Prop p) {
    switch (p) {
    case Prop::margin:
        return kMarginSides;
    case Prop::padding:
        return kPaddingSides;
    case Prop::borderColor:
        return kBorderColors;
    case Prop::borderWidth:
        return kBorderWidths;
    case Prop::borderStyle:
        return kBorderStyles;
    case Prop::border:
        return kBorderAll;
    case Prop::borderTop:
        return std::span<const Prop>(kBorderAll).subspan(0, 3);
    case Prop::borderRight:
        return std::span<const Prop>(kBorderAll).subspan(3, 3);
    case Prop::borderBottom:
        return std::span<const Prop>(kBorderAll).subspan(6, 3);
    case Prop::borderLeft:
        return std::span<const Prop>(kBorderAll).subspan(9, 3);
    case Prop::background:
        return kBackgroundAll;
    case Prop::backgroundPosition:
        return std::span<const Prop>(kBackgroundAll).subspan(4, 2);
    case Prop::font:
        return kFontAll;
    case Prop::listStyle:
        return kListStyleAll;
    default:
        return {};
    }
}

bool BorderPart(Prop p, int* side, int* part) {
    for (int i = 0; i < 12; ++i) {
        if (kBorderAll[i] == p) {
            *side = i / 3;
            *part = i % 3;
            return true;
        }
    }
    return false;
}

} // namespace qx::html::css
