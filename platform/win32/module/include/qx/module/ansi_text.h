// Text conversions at the edge of the loader and the resource functions: the ANSI code page
// (949) of the "A" functions, UTF-16 of the "W" functions and UTF-8 of the file system.
// Unmappable characters become '?', as the Win32 conversions do by default.
#pragma once

#include <string>
#include <string_view>

namespace qx::module {

std::u16string AnsiToUtf16(std::string_view ansi);
std::string Utf16ToAnsi(std::u16string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view text);

} // namespace qx::module
