// The pixel size an image's own header gives: GIF, PNG and JPEG, read from the first bytes of the
// file only. Anything else, or a header cut short, gives nothing.
#pragma once

#include <optional>
#include <string_view>

namespace qx::html::layout {

struct ImageSize {
    int width = 0;
    int height = 0;
};

std::optional<ImageSize> ReadImageHeader(std::string_view bytes);

} // namespace qx::html::layout
