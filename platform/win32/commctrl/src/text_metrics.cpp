#include "qx/commctrl/text_metrics.h"

namespace qx::win32::commctrl {

int FontPixels(int points) {
    return (points * 4 + 1) / 3;
}

int TextWidth(std::u16string_view text, int pixels) {
    int narrow = (pixels + 1) / 2;
    int width = 0;
    for (char16_t c : text) {
        // The second half of a surrogate pair adds nothing: the pair is one wide character.
        if (c >= 0xDC00 && c <= 0xDFFF) {
            continue;
        }
        width += c < 0x1100 ? narrow : pixels;
    }
    return width;
}

int LineHeight(int pixels) {
    return pixels + 3;
}

} // namespace qx::win32::commctrl
