// Colours as the browser reads them: the CSS colour keywords, #rgb, #rrggbb and rgb(r, g, b).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qx::html::css {

// The colour as 0xRRGGBB; nothing for text that is no colour (system colour names and
// "transparent" included).
std::optional<std::uint32_t> ParseColor(std::u16string_view text);
// "#rrggbb" in lower case; nothing for text that is no colour.
std::optional<std::u16string> NormalizeColor(std::u16string_view text);
std::u16string FormatColor(std::uint32_t rgb);
// Whether an inline style accepts the text as a colour: what ParseColor reads, "transparent" and
// the system colour names (buttonface, window, ...).
bool IsColorValue(std::u16string_view text);
// The form an inline style keeps: keywords in lower case, hexadecimal and rgb() as "#rrggbb".
std::u16string CanonicalColorValue(std::u16string_view text);

} // namespace qx::html::css
