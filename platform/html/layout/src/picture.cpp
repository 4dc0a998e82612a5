// The box picture: a black-on-white outline of every box of the page, as a binary PBM.
#include "box_model.h"

#include <algorithm>

namespace qx::html::layout {
namespace {

class Bitmap {
public:
    Bitmap(int width, int height)
        : width_(width), height_(height), stride_((width + 7) / 8),
          bits_(static_cast<std::size_t>(stride_) * height, 0) {}

    // The edges of a rectangle, cut to the bitmap.
    void Outline(const Rect& r) {
        if (r.width <= 0 || r.height <= 0)
            return;
        for (int x = r.left; x < r.Right(); ++x) {
            Set(x, r.top);
            Set(x, r.Bottom() - 1);
        }
        for (int y = r.top; y < r.Bottom(); ++y) {
            Set(r.left, y);
            Set(r.Right() - 1, y);
        }
    }

    std::string Pbm() const {
        std::string out = "P4\n" + std::to_string(width_) + " " + std::to_string(height_) + "\n";
        out.append(bits_.begin(), bits_.end());
        return out;
    }

private:
    void Set(int x, int y) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return;
        bits_[static_cast<std::size_t>(y) * stride_ + x / 8] |= static_cast<char>(0x80 >> (x % 8));
    }

    int width_, height_, stride_;
    std::string bits_;
};

} // namespace

std::string PageLayout::Picture() {
    const Model& m = Current();
    Bitmap bitmap(std::clamp(m.scrollWidth, 1, kPictureSide), std::clamp(m.scrollHeight, 1, kPictureSide));
    for (const Box& b : m.boxes) {
        if (b.node == m.html)
            continue;
        if (b.display == Display::Inline)
            std::for_each(b.fragments.begin(), b.fragments.end(), [&](const Rect& f) { bitmap.Outline(f); });
        else
            bitmap.Outline(b.border);
    }
    return bitmap.Pbm();
}

} // namespace qx::html::layout
