#include "qx/win32/dialog_units.h"
#include "winuser_dialog.h"

#include <cmath>

namespace qx::win32 {
namespace {

// MulDiv(a, b, c): a * b / c rounded half away from zero.
int Scale(int a, int b, int c) {
    long long product = static_cast<long long>(a) * b;
    long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

} // namespace

DialogBaseUnits BaseUnitsForFont(WORD pointSize) {
    WORD points = pointSize == 0 ? kSystemFontPoints : pointSize;
    int px = static_cast<int>(std::lround(points * 4.0 / 3.0));
    return DialogBaseUnits{(px + 1) / 2, px + 3};
}

int DialogUnitsToPixelsX(int units, const DialogBaseUnits& base) {
    return Scale(units, base.cx, 4);
}

int DialogUnitsToPixelsY(int units, const DialogBaseUnits& base) {
    return Scale(units, base.cy, 8);
}

} // namespace qx::win32

LONG GetDialogBaseUnits() {
    auto base = qx::win32::BaseUnitsForFont(qx::win32::kSystemFontPoints);
    return static_cast<LONG>(static_cast<DWORD>(base.cx) | (static_cast<DWORD>(base.cy) << 16));
}
