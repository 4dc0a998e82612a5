// Rasterising onto an ink plane: raster operations on one-bit pixels, lines and rectangles,
// clipped to the plane. Coordinates are device pixels.
#pragma once

#include <cstdint>
#include <functional>

#include "wintypes.h"

namespace qx::win32 {

// A colour on the one-bit plane: white is the clear background, every darker colour is ink
// (by intensity, (r + g + b) / 3 below 128).
bool IsWhite(COLORREF color);

// The ink bit after the raster operation `rop2` (R2_BLACK .. R2_WHITE) combines a pen or brush
// of colour `white` with the pixel's ink bit. The operations are Windows' own on a
// monochrome surface whose 1 is white.
bool ApplyRop2(int rop2, bool penWhite, bool ink);

using PixelVisitor = std::function<void(int x, int y)>;

// Bresenham from `from` to `to`: the start pixel included, the end pixel excluded. Only the
// pixels inside [0, width) x [0, height) are visited, and the work is bounded by the plane's
// size whatever the coordinates.
void VisitLine(POINT from, POINT to, int width, int height, const PixelVisitor& visit);

// The outline of [left, right - 1] x [top, bottom - 1], each pixel once.
void VisitRectangleOutline(const RECT& box, int width, int height, const PixelVisitor& visit);
// The inside of a rectangle: within the outline, or with no pen the rectangle less its last
// column and row.
void VisitRectangleInside(const RECT& box, bool outlined, int width, int height, const PixelVisitor& visit);

// The rectangle with left <= right and top <= bottom.
RECT Normalized(RECT box);

} // namespace qx::win32
