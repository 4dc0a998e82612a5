// Dialog units. One horizontal unit is a quarter of the dialog font's average character width,
// one vertical unit an eighth of its height, under the fixed text metrics of the layout engine:
// a font of p points is round(p * 4 / 3) px, its average character ceil(px / 2) px wide and
// px + 3 px tall (a line). So "굴림" 9 pt gives 6 x 15, the system font (10 pt) 7 x 16.
#pragma once

#include "wintypes.h"

namespace qx::win32 {

struct DialogBaseUnits {
    int cx = 0; // average character width, px
    int cy = 0; // character height, px
};

inline constexpr WORD kSystemFontPoints = 10;

DialogBaseUnits BaseUnitsForFont(WORD pointSize);

// Dialog units to pixels, rounded as MulDiv rounds.
int DialogUnitsToPixelsX(int units, const DialogBaseUnits& base);
int DialogUnitsToPixelsY(int units, const DialogBaseUnits& base);

} // namespace qx::win32
