// The fixed text metrics the headless controls lay out with (the same ones the page layout
// uses): no installed font is consulted, so every rectangle a control reports is deterministic.
#pragma once

#include <string_view>

#include "wintypes.h"

namespace qx::win32::commctrl {

// Pixel size of a font of `points` at 96 dots per inch: round(pt x 4 / 3).
int FontPixels(int points);
// Width of a text: characters below U+1100 advance ceil(px / 2), the others (Hangul, CJK,
// full-width) advance px.
int TextWidth(std::u16string_view text, int pixels);
// Height of one line of text: px + 3.
int LineHeight(int pixels);

// The controls' default font, the dialog font of the components ("굴림" 9 pt).
inline constexpr int kDefaultPoints = 9;

} // namespace qx::win32::commctrl
