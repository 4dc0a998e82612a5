// Conversion between the ANSI code page (949) of the "A" functions and UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace qx::registry::detail {

// Bytes that are not valid code page 949 become U+FFFD.
std::u16string AnsiToWide(std::string_view ansi);
// Units that code page 949 cannot show become '?'.
std::string WideToAnsi(std::u16string_view wide);

} // namespace qx::registry::detail
