#include "qx/html/css/colors.h"

#include "text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace qx::html::css {
namespace {

struct NamedColor {
    std::string_view name;
    std::uint32_t rgb;
};

// Sorted by name, for the binary search.
constexpr NamedColor kNamedColors[] = {
    {"aliceblue", 0xf0f8ff},
    {"antiquewhite", 0xfaebd7},
    {"aqua", 0x00ffff},
    {"aquamarine", 0x7fffd4},
    {"azure", 0xf0ffff},
    {"beige", 0xf5f5dc},
    {"bisque", 0xffe4c4},
    {"black", 0x000000},
    {"blanchedalmond", 0xffebcd},
    {"blue", 0x0000ff},
    {"blueviolet", 0x8a2be2},
    {"brown", 0xa52a2a},
    {"burlywood", 0xdeb887},
    {"cadetblue", 0x5f9ea0},
    {"chartreuse", 0x7fff00},
    {"chocolate", 0xd2691e},
    {"coral", 0xff7f50},
    {"cornflowerblue", 0x6495ed},
    {"cornsilk", 0xfff8dc},
    {"crimson", 0xdc143c},
    {"cyan", 0x00ffff},
    {"darkblue", 0x00008b},
    {"darkcyan", 0x008b8b},
    {"darkgoldenrod", 0xb8860b},
    {"darkgray", 0xa9a9a9},
    {"darkgreen", 0x006400},
    {"darkgrey", 0xa9a9a9},
    {"darkkhaki", 0xbdb76b},
    {"darkmagenta", 0x8b008b},
    {"darkolivegreen", 0x556b2f},
    {"darkorange", 0xff8c00},
    {"darkorchid", 0x9932cc},
    {"darkred", 0x8b0000},
    {"darksalmon", 0xe9967a},
    {"darkseagreen", 0x8fbc8f},
    {"darkslateblue", 0x483d8b},
    {"darkslategray", 0x2f4f4f},
    {"darkslategrey", 0x2f4f4f},
    {"darkturquoise", 0x00ced1},
    {"darkviolet", 0x9400d3},
    {"deeppink", 0xff1493},
    {"deepskyblue", 0x00bfff},
    {"dimgray", 0x696969},
    {"dimgrey", 0x696969},
    {"dodgerblue", 0x1e90ff},
    {"firebrick", 0xb22222},
    {"floralwhite", 0xfffaf0},
    {"forestgreen", 0x228b22},
    {"fuchsia", 0xff00ff},
    {"gainsboro", 0xdcdcdc},
    {"ghostwhite", 0xf8f8ff},
    {"gold", 0xffd700},
    {"goldenrod", 0xdaa520},
    {"gray", 0x808080},
    {"green", 0x008000},
    {"greenyellow", 0xadff2f},
    {"grey", 0x808080},
    {"honeydew", 0xf0fff0},
    {"hotpink", 0xff69b4},
    {"indianred", 0xcd5c5c},
    {"indigo", 0x4b0082},
    {"ivory", 0xfffff0},
    {"khaki", 0xf0e68c},
    {"lavender", 0xe6e6fa},
    {"lavenderblush", 0xfff0f5},
    {"lawngreen", 0x7cfc00},
    {"lemonchiffon", 0xfffacd},
    {"lightblue", 0xadd8e6},
    {"lightcoral", 0xf08080},
    {"lightcyan", 0xe0ffff},
    {"lightgoldenrodyellow", 0xfafad2},
    {"lightgray", 0xd3d3d3},
    {"lightgreen", 0x90ee90},
    {"lightgrey", 0xd3d3d3},
    {"lightpink", 0xffb6c1},
    {"lightsalmon", 0xffa07a},
    {"lightseagreen", 0x20b2aa},
    {"lightskyblue", 0x87cefa},
    {"lightslategray", 0x778899},
    {"lightslategrey", 0x778899},
    {"lightsteelblue", 0xb0c4de},
    {"lightyellow", 0xffffe0},
    {"lime", 0x00ff00},
    {"limegreen", 0x32cd32},
    {"linen", 0xfaf0e6},
    {"magenta", 0xff00ff},
    {"maroon", 0x800000},
    {"mediumaquamarine", 0x66cdaa},
    {"mediumblue", 0x0000cd},
    {"mediumorchid", 0xba55d3},
    {"mediumpurple", 0x9370db},
    {"mediumseagreen", 0x3cb371},
    {"mediumslateblue", 0x7b68ee},
    {"mediumspringgreen", 0x00fa9a},
    {"mediumturquoise", 0x48d1cc},
    {"mediumvioletred", 0xc71585},
    {"midnightblue", 0x191970},
    {"mintcream", 0xf5fffa},
    {"mistyrose", 0xffe4e1},
    {"moccasin", 0xffe4b5},
    {"navajowhite", 0xffdead},
    {"navy", 0x000080},
    {"oldlace", 0xfdf5e6},
    {"olive", 0x808000},
    {"olivedrab", 0x6b8e23},
    {"orange", 0xffa500},
    {"orangered", 0xff4500},
    {"orchid", 0xda70d6},
    {"palegoldenrod", 0xeee8aa},
    {"palegreen", 0x98fb98},
    {"paleturquoise", 0xafeeee},
    {"palevioletred", 0xdb7093},
    {"papayawhip", 0xffefd5},
    {"peachpuff", 0xffdab9},
    {"peru", 0xcd853f},
    {"pink", 0xffc0cb},
    {"plum", 0xdda0dd},
    {"powderblue", 0xb0e0e6},
    {"purple", 0x800080},
    {"red", 0xff0000},
    {"rosybrown", 0xbc8f8f},
    {"royalblue", 0x4169e1},
    {"saddlebrown", 0x8b4513},
    {"salmon", 0xfa8072},
    {"sandybrown", 0xf4a460},
    {"seagreen", 0x2e8b57},
    {"seashell", 0xfff5ee},
    {"sienna", 0xa0522d},
    {"silver", 0xc0c0c0},
    {"skyblue", 0x87ceeb},
    {"slateblue", 0x6a5acd},
    {"slategray", 0x708090},
    {"slategrey", 0x708090},
    {"snow", 0xfffafa},
    {"springgreen", 0x00ff7f},
    {"steelblue", 0x4682b4},
    {"tan", 0xd2b48c},
    {"teal", 0x008080},
    {"thistle", 0xd8bfd8},
    {"tomato", 0xff6347},
    {"turquoise", 0x40e0d0},
    {"violet", 0xee82ee},
    {"wheat", 0xf5deb3},
    {"white", 0xffffff},
    {"whitesmoke", 0xf5f5f5},
    {"yellow", 0xffff00},
    {"yellowgreen", 0x9acd32},
};

constexpr std::u16string_view kSystemColors =
    u"activeborder activecaption appworkspace background buttonface buttonhighlight buttonshadow "
    u"buttontext captiontext graytext highlight highlighttext inactiveborder inactivecaption "
    u"inactivecaptiontext infobackground infotext menu menutext scrollbar threeddarkshadow threedface "
    u"threedhighlight threedlightshadow threedshadow window windowframe windowtext";

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    c = detail::Lower(c);
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

std::optional<std::uint32_t> Named(std::u16string_view text) {
    if (text.size() > 24)
        return std::nullopt;
    std::string key;
    for (char16_t c : text) {
        if (c > 0x7f)
            return std::nullopt;
        key.push_back(static_cast<char>(detail::Lower(c)));
    }
    auto it = std::lower_bound(std::begin(kNamedColors), std::end(kNamedColors), key,
                               [](const NamedColor& n, const std::string& k) { return n.name < k; });
    if (it == std::end(kNamedColors) || it->name != key)
        return std::nullopt;
    return it->rgb;
}

std::optional<std::uint32_t> Hex(std::u16string_view digits) {
    if (digits.size() != 3 && digits.size() != 6)
        return std::nullopt;
    std::uint32_t rgb = 0;
    for (char16_t c : digits) {
        int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        rgb = rgb << 4 | static_cast<std::uint32_t>(d);
        if (digits.size() == 3)
            rgb = rgb << 4 | static_cast<std::uint32_t>(d);
    }
    return rgb;
}

// One channel of rgb(): a number (clamped to 0-255) or a percentage.
std::optional<std::uint32_t> Channel(std::u16string_view text) {
    text = detail::Trim(text);
    bool percent = !text.empty() && text.back() == u'%';
    if (percent)
        text.remove_suffix(1);
    if (text.empty() || text.size() > 12)
        return std::nullopt;
    double value = 0;
    double scale = 0;
    bool negative = false, digits = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (i == 0 && (c == u'-' || c == u'+')) {
            negative = c == u'-';
        } else if (detail::IsDigit(c)) {
            digits = true;
            if (scale == 0) {
                value = value * 10 + (c - u'0');
            } else {
                value += (c - u'0') * scale;
                scale /= 10;
            }
        } else if (c == u'.' && scale == 0) {
            scale = 0.1;
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    if (negative)
        value = 0;
    if (percent)
        value = value * 255 / 100;
    return static_cast<std::uint32_t>(std::lround(std::min(value, 255.0)));
}

std::optional<std::uint32_t> Rgb(std::u16string_view text) {
    if (text.size() < 5 || !detail::EqualsNoCase(text.substr(0, 4), u"rgb(") || text.back() != u')')
        return std::nullopt;
    std::u16string_view inner = text.substr(4, text.size() - 5);
    std::uint32_t rgb = 0;
    for (int i = 0; i < 3; ++i) {
        std::size_t comma = inner.find(u',');
        if ((i < 2) == (comma == std::u16string_view::npos))
            return std::nullopt;
        auto channel = Channel(inner.substr(0, comma));
        if (!channel)
            return std::nullopt;
        rgb = rgb << 8 | *channel;
        inner = i < 2 ? inner.substr(comma + 1) : std::u16string_view();
    }
    return rgb;
}

} // namespace

std::optional<std::uint32_t> ParseColor(std::u16string_view text) {
    text = detail::Trim(text);
    if (text.empty())
        return std::nullopt;
    if (text.front() == u'#')
        return Hex(text.substr(1));
    if (auto rgb = Rgb(text))
        return rgb;
    return Named(text);
}

std::u16string FormatColor(std::uint32_t rgb) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string out = u"#";
    for (int shift = 20; shift >= 0; shift -= 4)
        out.push_back(kDigits[(rgb >> shift) & 0xf]);
    return out;
}

std::optional<std::u16string> NormalizeColor(std::u16string_view text) {
    auto rgb = ParseColor(text);
    if (!rgb)
        return std::nullopt;
    return FormatColor(*rgb);
}

bool IsColorValue(std::u16string_view text) {
    text = detail::Trim(text);
    return ParseColor(text) || detail::EqualsNoCase(text, u"transparent") ||
           detail::InWordList(kSystemColors, text);
}

std::u16string CanonicalColorValue(std::u16string_view text) {
    text = detail::Trim(text);
    if (!text.empty() && (text.front() == u'#' || detail::Lower(text.front()) == u'r') && !Named(text))
        if (auto rgb = ParseColor(text))
            return FormatColor(*rgb);
    return detail::ToLower(text);
}

} // namespace qx::html::css
