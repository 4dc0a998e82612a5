// UTF-8 as the parser meets it: checking a document's bytes, and turning gumbo's strings into the
// tree's UTF-16 without a temporary per string.
#pragma once

#include <string>
#include <string_view>

namespace qx::html::dom {

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsWellFormedUtf8(std::string_view bytes);
// Appends the UTF-8 text to `out` as UTF-16; a malformed byte becomes U+FFFD.
void AppendUtf8AsWide(std::u16string& out, std::string_view text);

} // namespace qx::html::dom
