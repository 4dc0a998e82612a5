// The overlay plane of a window: a client-size grid of ink bits kept as the window's attachment.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "wintypes.h"

namespace qx::win32 {

struct OverlayPlane {
    std::mutex lock;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;
    int invalidations = 0;

    // Follows the client size: what lies inside both sizes is kept, new pixels are clear.
    void Resize(int newWidth, int newHeight);
    void Clear();
};

// The plane of a live window, made on first use; null when the handle is no live window. With
// `sized` its pixels follow the current client size; without, a plane only counting
// invalidations keeps no pixels yet.
std::shared_ptr<OverlayPlane> PlaneOf(HWND hwnd, bool sized = true);

// Installs the window system's paint observer that counts invalidations and clears a plane
// when its window is painted; done once.
void EnsurePaintObserver();

} // namespace qx::win32
