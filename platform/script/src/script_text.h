// Text between the engine (CESU-8 inside: every UTF-16 unit is its own 1-3 byte sequence, as
// ECMAScript sees strings) and UTF-16 BSTRs or UTF-8 output.
#pragma once

#include <duktape.h>

#include <string>
#include <string_view>

namespace qx::script {

std::string Utf16ToCesu8(std::u16string_view text);
// Reads the engine's bytes back: 1-3 byte sequences give one unit each (lone surrogates kept),
// 4-byte sequences (text pushed as UTF-8) give a surrogate pair, broken bytes give U+FFFD.
std::u16string Cesu8ToUtf16(std::string_view bytes);
// UTF-8 source text made CESU-8, so that non-BMP characters are two units in script as well.
std::string Utf8ToCesu8(std::string_view text);
// UTF-16 to UTF-8 for output: pairs joined, lone surrogates become U+FFFD.
std::string Utf16ToUtf8Text(std::u16string_view text);

void PushText(duk_context* ctx, std::u16string_view text);
// ToString of the value at index (never throws: errors in toString give their own text).
std::u16string ToText(duk_context* ctx, duk_idx_t index);

} // namespace qx::script
