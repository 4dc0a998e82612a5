#include "qx/html/layout/image_header.h"

#include <cstdint>

namespace qx::html::layout {
namespace {

constexpr int kLargestSide = 65535;

unsigned Byte(std::string_view b, std::size_t i) {
    return static_cast<unsigned char>(b[i]);
}
unsigned Big16(std::string_view b, std::size_t i) {
    return Byte(b, i) << 8 | Byte(b, i + 1);
}
unsigned Little16(std::string_view b, std::size_t i) {
    return Byte(b, i) | Byte(b, i + 1) << 8;
}
std::uint32_t Big32(std::string_view b, std::size_t i) {
    return Big16(b, i) << 16 | Big16(b, i + 2);
}

std::optional<ImageSize> Checked(std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide)
        return std::nullopt;
    return ImageSize{static_cast<int>(width), static_cast<int>(height)};
}

std::optional<ImageSize> Jpeg(std::string_view b) {
    std::size_t at = 2;
    while (at + 4 <= b.size()) {
        if (Byte(b, at) != 0xFF)
            return std::nullopt;
        unsigned marker = Byte(b, at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2; // markers without a length
            continue;
        }
        unsigned length = Big16(b, at + 2);
        if (length < 2)
            return std::nullopt;
        bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > b.size() || length < 7)
                return std::nullopt;
            return Checked(Big16(b, at + 7), Big16(b, at + 5));
        }
        if (marker == 0xD9 || marker == 0xDA) // end of image or scan before any frame header
            return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

} // namespace

std::optional<ImageSize> ReadImageHeader(std::string_view b) {
    if (b.size() >= 10 && (b.substr(0, 6) == "GIF87a" || b.substr(0, 6) == "GIF89a"))
        return Checked(Little16(b, 6), Little16(b, 8));
    if (b.size() >= 24 && b.substr(0, 8) == "\x89PNG\r\n\x1a\n" && b.substr(12, 4) == "IHDR")
        return Checked(Big32(b, 16), Big32(b, 20));
    if (b.size() >= 4 && Byte(b, 0) == 0xFF && Byte(b, 1) == 0xD8)
        return Jpeg(b);
    return std::nullopt;
}

} // namespace qx::html::layout
