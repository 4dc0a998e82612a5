// What tests and the UI driver read of the drawing: a window's overlay plane, how often the
// window was invalidated, how often a dead device context was used, and the font list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "wintypes.h"

namespace qx::win32 {

// A copy of a window's overlay plane, one byte per pixel row by row: 1 where drawing left ink,
// 0 where the plane is clear.
class OverlayImage {
public:
    OverlayImage() = default;
    OverlayImage(int width, int height, std::vector<std::uint8_t> pixels);
    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<std::uint8_t>& pixels() const { return pixels_; }
    bool at(int x, int y) const;
    bool isClear() const;
    // The plane as a plain (P1) PBM image: "P1", the size, then one line of 0 and 1 separated by
    // spaces per row, 1 for ink.
    std::string ToPbm() const;
    bool WritePbm(const std::string& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> pixels_;
};

// The plane of a window as it is now; 0 x 0 for a handle that is no live window.
OverlayImage ReadOverlay(HWND hwnd);
// How often the window's update region grew (InvalidateRect and friends).
int InvalidationCount(HWND hwnd);
// How often a call was given a device context that was released or never existed.
int DeadDcUseCount();

// The font families EnumFontFamilies lists (tests); nullopt goes back to fontconfig's (or, when
// it does not answer, the fixed list).
void SetFontFamiliesForTesting(std::optional<std::vector<std::string>> families);

} // namespace qx::win32
