#include "overlay_plane.h"

#include <algorithm>
#include <fstream>
#include <mutex>

#include "qx/win32/overlay.h"
#include "qx/win32/window_internals.h"

namespace qx::win32 {
namespace {

constexpr const char* kPlaneKey = "qx.gdi.overlay";

class PlaneKeeper : public PaintObserver {
public:
    void WindowInvalidated(HWND hwnd, const RECT&, bool) override {
        if (auto plane = PlaneOf(hwnd, false)) {
            std::lock_guard guard(plane->lock);
            ++plane->invalidations;
        }
    }
    void WindowPainted(HWND hwnd) override {
        if (auto plane = GetWindowAttachmentAs<OverlayPlane>(hwnd, kPlaneKey)) {
            std::lock_guard guard(plane->lock);
            plane->Clear();
        }
    }
};

// Installed as the library loads, so that invalidations are counted from the start.
const bool g_observerInstalled = (EnsurePaintObserver(), true);

} // namespace

void OverlayPlane::Resize(int newWidth, int newHeight) {
    newWidth = std::max(newWidth, 0);
    newHeight = std::max(newHeight, 0);
    if (newWidth == width && newHeight == height) {
        return;
    }
    std::vector<std::uint8_t> resized(static_cast<std::size_t>(newWidth) * newHeight, 0);
    for (int y = 0; y < std::min(height, newHeight); ++y) {
        std::copy_n(bits.begin() + static_cast<std::ptrdiff_t>(y) * width, std::min(width, newWidth),
                    resized.begin() + static_cast<std::ptrdiff_t>(y) * newWidth);
    }
    bits = std::move(resized);
    width = newWidth;
    height = newHeight;
}

void OverlayPlane::Clear() {
    std::fill(bits.begin(), bits.end(), 0);
}

void EnsurePaintObserver() {
    static std::once_flag once;
    std::call_once(once, [] {
        static PlaneKeeper keeper;
        SetPaintObserver(&keeper);
    });
}

std::shared_ptr<OverlayPlane> PlaneOf(HWND hwnd, bool sized) {
    EnsurePaintObserver();
    SIZE size{};
    if (!GetWindowClientSize(hwnd, &size)) {
        return nullptr;
    }
    std::shared_ptr<OverlayPlane> plane;
    {
        // One plane per window even when two threads ask for it first at once.
        static std::mutex creation;
        std::lock_guard guard(creation);
        plane = GetWindowAttachmentAs<OverlayPlane>(hwnd, kPlaneKey);
        if (!plane) {
            plane = std::make_shared<OverlayPlane>();
            if (!SetWindowAttachment(hwnd, kPlaneKey, plane)) {
                return nullptr;
            }
        }
    }
    if (sized) {
        std::lock_guard guard(plane->lock);
        plane->Resize(size.cx, size.cy);
    }
    return plane;
}

OverlayImage::OverlayImage(int width, int height, std::vector<std::uint8_t> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {}

bool OverlayImage::at(int x, int y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_ &&
           pixels_[static_cast<std::size_t>(y) * width_ + x] != 0;
}

bool OverlayImage::isClear() const {
    return std::all_of(pixels_.begin(), pixels_.end(), [](std::uint8_t bit) { return bit == 0; });
}

std::string OverlayImage::ToPbm() const {
    std::string out = "P1\n" + std::to_string(width_) + " " + std::to_string(height_) + "\n";
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (x > 0) {
                out += ' ';
            }
            out += at(x, y) ? '1' : '0';
        }
        out += '\n';
    }
    return out;
}

bool OverlayImage::WritePbm(const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    out << ToPbm();
    return static_cast<bool>(out.flush());
}

OverlayImage ReadOverlay(HWND hwnd) {
    auto plane = PlaneOf(hwnd);
    if (!plane) {
        return {};
    }
    std::lock_guard guard(plane->lock);
    return OverlayImage(plane->width, plane->height, plane->bits);
}

int InvalidationCount(HWND hwnd) {
    auto plane = PlaneOf(hwnd, false);
    if (!plane) {
        return 0;
    }
    std::lock_guard guard(plane->lock);
    return plane->invalidations;
}

} // namespace qx::win32
