// Text at the interface is in the ANSI code page with CR LF line breaks; the book keeps UTF-8
// with "\n".
#pragma once

#include <string>
#include <string_view>

namespace qx::wab {

// False when the bytes are not text of the ANSI code page.
bool TextFromApi(std::string_view ansi, std::string& utf8);
// Characters the code page lacks become '?'.
std::string TextToApi(std::string_view utf8);

} // namespace qx::wab
