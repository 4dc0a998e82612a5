#include "raster.h"

#include <algorithm>
#include <cstdlib>

#include "wingdi.h"

namespace qx::win32 {
namespace {

using Wide = std::int64_t;

// Visits [x0, x1] x [y0, y1] clipped to the plane.
void VisitBlock(Wide x0, Wide y0, Wide x1, Wide y1, int width, int height, const PixelVisitor& visit) {
    x0 = std::max<Wide>(x0, 0);
    y0 = std::max<Wide>(y0, 0);
    x1 = std::min<Wide>(x1, width - 1);
    y1 = std::min<Wide>(y1, height - 1);
    for (Wide y = y0; y <= y1; ++y) {
        for (Wide x = x0; x <= x1; ++x) {
            visit(static_cast<int>(x), static_cast<int>(y));
        }
    }
}

} // namespace

bool IsWhite(COLORREF color) {
    return GetRValue(color) + GetGValue(color) + GetBValue(color) >= 384;
}

bool ApplyRop2(int rop2, bool penWhite, bool ink) {
    if (rop2 < R2_BLACK || rop2 > R2_WHITE) {
        return ink;
    }
    // rop2 - 1 is the truth table over (pen, destination) with 1 for white.
    int table = rop2 - 1;
    int index = (penWhite ? 2 : 0) | (ink ? 0 : 1);
    bool white = (table >> index) & 1;
    return !white;
}

void VisitLine(POINT from, POINT to, int width, int height, const PixelVisitor& visit) {
    Wide dx = Wide{to.x} - from.x;
    Wide dy = Wide{to.y} - from.y;
    Wide adx = std::llabs(dx);
    Wide ady = std::llabs(dy);
    Wide steps = std::max(adx, ady);
    if (steps == 0 || width <= 0 || height <= 0) {
        return;
    }
    bool xMajor = adx >= ady;
    Wide majorStart = xMajor ? from.x : from.y;
    Wide minorStart = xMajor ? from.y : from.x;
    Wide majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    Wide minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    Wide minorDelta = xMajor ? ady : adx;
    Wide majorLimit = xMajor ? width : height;
    Wide minorLimit = xMajor ? height : width;
    // Steps whose major coordinate lies on the plane; the rest cannot be seen.
    Wide first = majorSign > 0 ? -majorStart : majorStart - (majorLimit - 1);
    Wide last = majorSign > 0 ? majorLimit - 1 - majorStart : majorStart;
    first = std::max<Wide>(first, 0);
    last = std::min<Wide>(last, steps - 1);
    for (Wide k = first; k <= last; ++k) {
        Wide major = majorStart + majorSign * k;
        // The minor coordinate nearest the true line, halves rounded away from the start.
        Wide minor = minorStart + minorSign * ((2 * k * minorDelta + steps) / (2 * steps));
        if (minor < 0 || minor >= minorLimit) {
            continue;
        }
        visit(static_cast<int>(xMajor ? major : minor), static_cast<int>(xMajor ? minor : major));
    }
}

RECT Normalized(RECT box) {
    if (box.left > box.right) {
        std::swap(box.left, box.right);
    }
    if (box.top > box.bottom) {
        std::swap(box.top, box.bottom);
    }
    return box;
}

void VisitRectangleOutline(const RECT& box, int width, int height, const PixelVisitor& visit) {
    if (box.right <= box.left || box.bottom <= box.top) {
        return;
    }
    Wide left = box.left;
    Wide top = box.top;
    Wide right = Wide{box.right} - 1;
    Wide bottom = Wide{box.bottom} - 1;
    VisitBlock(left, top, right, top, width, height, visit);
    if (bottom > top) {
        VisitBlock(left, bottom, right, bottom, width, height, visit);
    }
    VisitBlock(left, top + 1, left, bottom - 1, width, height, visit);
    if (right > left) {
        VisitBlock(right, top + 1, right, bottom - 1, width, height, visit);
    }
}

void VisitRectangleInside(const RECT& box, bool outlined, int width, int height, const PixelVisitor& visit) {
    Wide inset = outlined ? 1 : 0;
    // The far edges stop short by one either way: under the pen's outline, or where Windows
    // ends a fill without one.
    VisitBlock(Wide{box.left} + inset, Wide{box.top} + inset, Wide{box.right} - 2, Wide{box.bottom} - 2,
               width, height, visit);
}

} // namespace qx::win32
