// Conversion between the ANSI code page (949) of the "A" functions and UTF-16, through the
// platform's code page service.
#pragma once

#include <string>
#include <string_view>

namespace qx::registry::detail {

// Bytes without a mapping become '?'; embedded NULs are kept.
std::u16string AnsiToWide(std::string_view ansi);
// Units that the code page cannot show become '?'.
std::string WideToAnsi(std::u16string_view wide);

} // namespace qx::registry::detail
