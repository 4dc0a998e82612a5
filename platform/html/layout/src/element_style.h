// What layout reads of one element: the runtime style over the inline style over the attributes,
// turned into pixels, and the fixed text metrics.
#pragma once

#include "qx/html/css/declarations.h"
#include "qx/html/dom/node_tree.h"

#include <optional>
#include <string>
#include <string_view>

namespace qx::html::layout {

using dom::EqualsNoCase;
using dom::LowerAscii;
using dom::NextInTree;
using dom::UpperAscii;

enum class Display { None, Block, Inline, Replaced, Table, Cell, Row, RowGroup };
enum class Overflow { Visible, Hidden, Auto, Scroll };
enum class Position { Static, Relative, Absolute };

struct ElementStyle {
    Display display = Display::Inline;
    Position position = Position::Static;
    Overflow overflow = Overflow::Visible;
    std::optional<int> width;       // px content width (border-box for table cells and TABLE)
    std::optional<double> widthPct; // a percentage width
    std::optional<int> height;
    std::optional<int> left;
    std::optional<int> top;
    int margin[4] = {}; // top, right, bottom, left
    bool marginSet[4] = {};
    int padding[4] = {}; // same order
    int border[4] = {};
    bool borderNone[4] = {}; // the side's style is none or hidden
    bool noWrap = false;
    bool pre = false;
    bool collapse = false;         // border-collapse: collapse
    bool fixedTable = false;       // table-layout: fixed
    std::u16string vAlign;         // "top", "middle", "bottom", "baseline"
    std::optional<int> fontPixels; // the element's own font size, when it gives one
};

// Reads an element's style; `runtime` may be null.
ElementStyle ReadStyle(const dom::Node& element, const css::DeclarationBlock* runtime);

// A number attribute ("3", " 3px") as an integer; nothing when it does not start with a number.
std::optional<int> NumberAttribute(const dom::Node& element, std::u16string_view name);
// A pixel length of text: "12", "12px", "9pt"; nothing for what is no length or a percentage.
std::optional<int> PixelLength(std::u16string_view text);

// Text metrics: the default font size, a character's advance, the line height.
constexpr int kDefaultFontPixels = 13;
inline int Advance(char32_t c, int fontPx) {
    return c < 0x1100 ? (fontPx + 1) / 2 : fontPx;
}
inline int LineHeight(int fontPx) {
    return fontPx + 3;
}
int TextWidth(std::u16string_view text, int fontPx);

} // namespace qx::html::layout
