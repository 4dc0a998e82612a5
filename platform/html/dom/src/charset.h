// Choosing and applying a document's charset.
#pragma once

#include "qx/html/dom/html_parser.h"

#include <string>
#include <string_view>

namespace qx::html::dom {

struct DecodedDocument {
    std::u16string text;
    std::string_view utf8; // instead of text: the bytes themselves, when they are well-formed UTF-8
    std::string charset;   // lower case, as named by whichever source decided it
};

// The charset a META in the first 4 KB names (its `charset` attribute or its content's
// "charset="), when the platform knows it; empty otherwise.
std::string MetaCharset(std::string_view bytes);
DecodedDocument DecodeDocumentBytes(const DocumentBytes& source);

} // namespace qx::html::dom
