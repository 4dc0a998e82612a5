// The style properties the browser knows: each one's script name (`backgroundColor`), CSS name
// (`background-color`), the kind of value it takes, and whether it inherits. Shorthands expand into
// their longhands; everything else is stored as one declaration.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace qx::html::css {

enum class ValueKind : std::uint8_t {
    Text,      // kept as written (font-family, url(), filter)
    Keyword,   // lower-cased
    Length,    // a length, a percentage or one of the property's keywords; a bare number is pixels
    Number,    // a whole number or the property's keywords (z-index)
    Color,     // a colour keyword, #rgb, #rrggbb or rgb()
    Shorthand, // expands into longhands
};

#define QX_CSS_BORDER_STYLES "none hidden dotted dashed solid double groove ridge inset outset"

// X(scriptName, cssName, kind, inherits, keywords): the keywords a length or number accepts besides
// its numbers, the only ones a keyword property with a list accepts.
#define QX_CSS_PROPERTIES(X)                                                                                 \
    X(fontFamily, "font-family", Text, true, "")                                                             \
    X(fontStyle, "font-style", Keyword, true, "")                                                            \
    X(fontVariant, "font-variant", Keyword, true, "")                                                        \
    X(fontWeight, "font-weight", Keyword, true, "")                                                          \
    X(fontSize, "font-size", Length, true,                                                                   \
      "xx-small x-small small medium large x-large xx-large larger smaller")                                 \
    X(font, "font", Shorthand, true, "")                                                                     \
    X(color, "color", Color, true, "")                                                                       \
    X(background, "background", Shorthand, false, "")                                                        \
    X(backgroundColor, "background-color", Color, false, "")                                                 \
    X(backgroundImage, "background-image", Text, false, "")                                                  \
    X(backgroundRepeat, "background-repeat", Keyword, false, "")                                             \
    X(backgroundAttachment, "background-attachment", Keyword, false, "")                                     \
    X(backgroundPosition, "background-position", Shorthand, false, "")                                       \
    X(backgroundPositionX, "background-position-x", Length, false, "left center right")                      \
    X(backgroundPositionY, "background-position-y", Length, false, "top center bottom")                      \
    X(wordSpacing, "word-spacing", Length, true, "normal")                                                   \
    X(letterSpacing, "letter-spacing", Length, true, "normal")                                               \
    X(textDecoration, "text-decoration", Keyword, false, "")                                                 \
    X(verticalAlign, "vertical-align", Length, false,                                                        \
      "baseline sub super top text-top middle bottom text-bottom")                                           \
    X(textTransform, "text-transform", Keyword, true, "")                                                    \
    X(textAlign, "text-align", Keyword, true, "")                                                            \
    X(textIndent, "text-indent", Length, true, "")                                                           \
    X(lineHeight, "line-height", Length, true, "normal")                                                     \
    X(marginTop, "margin-top", Length, false, "auto")                                                        \
    X(marginRight, "margin-right", Length, false, "auto")                                                    \
    X(marginBottom, "margin-bottom", Length, false, "auto")                                                  \
    X(marginLeft, "margin-left", Length, false, "auto")                                                      \
    X(margin, "margin", Shorthand, false, "")                                                                \
    X(paddingTop, "padding-top", Length, false, "")                                                          \
    X(paddingRight, "padding-right", Length, false, "")                                                      \
    X(paddingBottom, "padding-bottom", Length, false, "")                                                    \
    X(paddingLeft, "padding-left", Length, false, "")                                                        \
    X(padding, "padding", Shorthand, false, "")                                                              \
    X(border, "border", Shorthand, false, "")                                                                \
    X(borderTop, "border-top", Shorthand, false, "")                                                         \
    X(borderRight, "border-right", Shorthand, false, "")                                                     \
    X(borderBottom, "border-bottom", Shorthand, false, "")                                                   \
    X(borderLeft, "border-left", Shorthand, false, "")                                                       \
    X(borderColor, "border-color", Shorthand, false, "")                                                     \
    X(borderTopColor, "border-top-color", Color, false, "")                                                  \
    X(borderRightColor, "border-right-color", Color, false, "")                                              \
    X(borderBottomColor, "border-bottom-color", Color, false, "")                                            \
    X(borderLeftColor, "border-left-color", Color, false, "")                                                \
    X(borderWidth, "border-width", Shorthand, false, "")                                                     \
    X(borderTopWidth, "border-top-width", Length, false, "thin medium thick")                                \
    X(borderRightWidth, "border-right-width", Length, false, "thin medium thick")                            \
    X(borderBottomWidth, "border-bottom-width", Length, false, "thin medium thick")                          \
    X(borderLeftWidth, "border-left-width", Length, false, "thin medium thick")                              \
    X(borderStyle, "border-style", Shorthand, false, "")                                                     \
    X(borderTopStyle, "border-top-style", Keyword, false, QX_CSS_BORDER_STYLES)                              \
    X(borderRightStyle, "border-right-style", Keyword, false, QX_CSS_BORDER_STYLES)                          \
    X(borderBottomStyle, "border-bottom-style", Keyword, false, QX_CSS_BORDER_STYLES)                        \
    X(borderLeftStyle, "border-left-style", Keyword, false, QX_CSS_BORDER_STYLES)                            \
    X(width, "width", Length, false, "auto")                                                                 \
    X(height, "height", Length, false, "auto")                                                               \
    X(styleFloat, "float", Keyword, false, "")                                                               \
    X(clear, "clear", Keyword, false, "")                                                                    \
    X(display, "display", Keyword, false, "")                                                                \
    X(visibility, "visibility", Keyword, true, "")                                                           \
    X(listStyleType, "list-style-type", Keyword, true, "")                                                   \
    X(listStylePosition, "list-style-position", Keyword, true, "")                                           \
    X(listStyleImage, "list-style-image", Text, true, "")                                                    \
    X(listStyle, "list-style", Shorthand, true, "")                                                          \
    X(whiteSpace, "white-space", Keyword, true, "")                                                          \
    X(top, "top", Length, false, "auto")                                                                     \
    X(left, "left", Length, false, "auto")                                                                   \
    X(bottom, "bottom", Length, false, "auto")                                                               \
    X(right, "right", Length, false, "auto")                                                                 \
    X(position, "position", Keyword, false, "")                                                              \
    X(zIndex, "z-index", Number, false, "auto")                                                              \
    X(overflow, "overflow", Keyword, false, "")                                                              \
    X(overflowX, "overflow-x", Keyword, false, "")                                                           \
    X(overflowY, "overflow-y", Keyword, false, "")                                                           \
    X(pageBreakBefore, "page-break-before", Keyword, false, "")                                              \
    X(pageBreakAfter, "page-break-after", Keyword, false, "")                                                \
    X(cursor, "cursor", Keyword, true, "")                                                                   \
    X(clip, "clip", Text, false, "")                                                                         \
    X(filter, "filter", Text, false, "")                                                                     \
    X(tableLayout, "table-layout", Keyword, false, "")                                                       \
    X(borderCollapse, "border-collapse", Keyword, true, "")                                                  \
    X(direction, "direction", Keyword, true, "")                                                             \
    X(behavior, "behavior", Text, false, "")                                                                 \
    X(unicodeBidi, "unicode-bidi", Keyword, false, "")                                                       \
    X(imeMode, "ime-mode", Keyword, false, "")                                                               \
    X(rubyAlign, "ruby-align", Keyword, false, "")                                                           \
    X(rubyPosition, "ruby-position", Keyword, false, "")                                                     \
    X(rubyOverhang, "ruby-overhang", Keyword, false, "")                                                     \
    X(layoutGridChar, "layout-grid-char", Length, true, "none auto")                                         \
    X(layoutGridLine, "layout-grid-line", Length, true, "none auto")                                         \
    X(layoutGridMode, "layout-grid-mode", Keyword, true, "")                                                 \
    X(layoutGridType, "layout-grid-type", Keyword, true, "")                                                 \
    X(layoutGrid, "layout-grid", Text, true, "")                                                             \
    X(wordBreak, "word-break", Keyword, true, "")                                                            \
    X(lineBreak, "line-break", Keyword, true, "")                                                            \
    X(textJustify, "text-justify", Keyword, true, "")                                                        \
    X(textJustifyTrim, "text-justify-trim", Keyword, true, "")                                               \
    X(textKashida, "text-kashida", Length, true, "")                                                         \
    X(textAutospace, "text-autospace", Keyword, true, "")                                                    \
    X(accelerator, "accelerator", Keyword, false, "")

enum class Prop : std::uint8_t {
#define QX_CSS_ENUM(script, css, kind, inherits, keywords) script,
    QX_CSS_PROPERTIES(QX_CSS_ENUM)
#undef QX_CSS_ENUM
        kCount
};

struct PropertyInfo {
    Prop id;
    std::u16string_view scriptName;
    std::u16string_view cssName;
    ValueKind kind;
    bool inherits;
    std::u16string_view keywords; // space-separated
};

const PropertyInfo& Info(Prop p);
// By CSS name (`background-color`) or script name (`backgroundColor`), in any case; null for a name
// the browser does not know.
const PropertyInfo* FindProperty(std::u16string_view name);

// A shorthand's longhands (in the order a shorthand puts them); empty for a longhand.
std::span<const Prop> Longhands(Prop p);
// The side (0 top, 1 right, 2 bottom, 3 left) and part (0 colour, 1 width, 2 style) of a border
// longhand; false for other properties.
bool BorderPart(Prop p, int* side, int* part);

// The four sides, in the order a shorthand of four values gives them.
inline constexpr Prop kMarginSides[4] = {Prop::marginTop, Prop::marginRight, Prop::marginBottom,
                                         Prop::marginLeft};
inline constexpr Prop kPaddingSides[4] = {Prop::paddingTop, Prop::paddingRight, Prop::paddingBottom,
                                          Prop::paddingLeft};
inline constexpr Prop kBorderColors[4] = {Prop::borderTopColor, Prop::borderRightColor,
                                          Prop::borderBottomColor, Prop::borderLeftColor};
inline constexpr Prop kBorderWidths[4] = {Prop::borderTopWidth, Prop::borderRightWidth,
                                          Prop::borderBottomWidth, Prop::borderLeftWidth};
inline constexpr Prop kBorderStyles[4] = {Prop::borderTopStyle, Prop::borderRightStyle,
                                          Prop::borderBottomStyle, Prop::borderLeftStyle};
inline constexpr Prop kBorderSides[4] = {Prop::borderTop, Prop::borderRight, Prop::borderBottom,
                                         Prop::borderLeft};

} // namespace qx::html::css
