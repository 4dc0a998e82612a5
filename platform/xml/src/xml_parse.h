// Bounded loading of document bytes: the text is brought to UTF-8 first (byte-order marks, UTF-16,
// the declared encoding through the platform's code pages), then parsed with no entity
// declarations, no DTD loading and no network.
#pragma once

#include "xml_tree.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "wintypes.h"

namespace qx::xml {

// Documents larger than this are refused before parsing.
inline constexpr std::size_t kMaxDocumentBytes = 32u * 1024u * 1024u;

// parseError codes of our own; syntax errors are kSyntaxErrorBase + the parser's error number.
inline constexpr LONG kSyntaxErrorBase = static_cast<LONG>(0xC00CE000u);
inline constexpr LONG kErrorDocumentTooLarge = static_cast<LONG>(0xC00CEF01u);
inline constexpr LONG kErrorEntityDeclaration = static_cast<LONG>(0xC00CEF02u);
inline constexpr LONG kErrorUndefinedEntity = static_cast<LONG>(0xC00CE002u);
inline constexpr LONG kErrorUnsupportedEncoding = static_cast<LONG>(0xC00CE56Eu);
inline constexpr LONG kErrorMissingRoot = static_cast<LONG>(0xC00CE55Eu);
inline constexpr LONG kErrorObjectNotFound = static_cast<LONG>(0x800C0006u);
inline constexpr LONG kErrorAccessDenied = static_cast<LONG>(0x80070005u);

struct ParseFailure {
    LONG errorCode = 0;
    std::u16string reason; // ends with CR LF, as the classic parser's reasons do
    std::u16string srcText;
    LONG line = 0;
    LONG linepos = 0;
    LONG filepos = 0;
};

struct ParseResult {
    TreePtr tree;         // set on success
    ParseFailure failure; // filled on failure
};

// Bytes as read from a file or URL.
ParseResult ParseBytes(std::string_view bytes, bool preserveWhiteSpace);
// Text handed over as UTF-16 (loadXML): its declared encoding is kept but not applied.
ParseResult ParseText(std::u16string_view text, bool preserveWhiteSpace);

// The code page of an encoding name (0 when unknown); UTF-8 is 65001, UTF-16 is 1200.
UINT CodePageOfEncoding(std::string_view name);

} // namespace qx::xml
