// The ANSI code page setting and text conversions for the platform's own C++ code (file
// names, message boxes, debug output).
#pragma once

#include <string>
#include <string_view>

#include "wintypes.h"

namespace qx::win32 {

// Chooses the ANSI code page (tests); 0 goes back to QX_ACP or, without it, 949. Returns false
// for a code page that cannot be used.
bool SetAnsiCodePage(UINT codePage);

// Conversions through the ANSI code page. `lossy`, when given, says whether a character had
// no mapping and became '?' (or U+003F on the way to UTF-16).
std::u16string AnsiToWide(std::string_view text, bool* lossy = nullptr);
std::string WideToAnsi(std::u16string_view text, bool* lossy = nullptr);
std::string AnsiToUtf8(std::string_view text, bool* lossy = nullptr);
std::string Utf8ToAnsi(std::string_view text, bool* lossy = nullptr);

// UTF-16 and UTF-8; invalid sequences become U+FFFD.
std::string WideToUtf8(std::u16string_view text);
std::u16string Utf8ToWide(std::string_view text);
// Well-formed UTF-8 only (no overlong forms, surrogates or code points beyond U+10FFFF): false,
// with the result empty, at the first ill-formed sequence.
bool Utf8ToWideStrict(std::string_view text, std::u16string& result);

} // namespace qx::win32
