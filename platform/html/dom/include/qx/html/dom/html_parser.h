// HTML into the node tree: whole documents from bytes in their charset, and fragments parsed in the
// context of an element (innerHTML, outerHTML, insertAdjacentHTML, pasteHTML). The tree is the one
// browsers build (implicit HTML, HEAD, BODY and TBODY); XML data islands keep their content as text.
#pragma once

#include "qx/html/dom/node_tree.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qx::html::dom {

enum class ParseError { None, TooLarge, TooDeep, TooManyAttributes };

struct ParseLimits {
    std::size_t maxBytes = std::size_t{64} << 20; // of the text, as UTF-8
    int maxDepth = 1024;                          // elements nested in one another
    std::size_t maxAttributes = 1024;             // on one element
};

// What a failure says ("the document nests elements deeper than the limit").
std::u16string_view DescribeParseError(ParseError error);

// Where a document's bytes came from: the HTTP header's charset and the one the caller assumes (both
// may be empty). The header wins, then a byte order mark, then a META in the first bytes, then the
// caller's; with none of them, UTF-8 when the bytes are well-formed UTF-8, else code page 949.
struct DocumentBytes {
    std::string_view bytes;
    std::string_view headerCharset;
    std::string_view callerCharset;
};

// Parses into an empty tree; on failure the tree stays empty. Sets the tree's charset.
ParseError LoadHtmlDocument(NodeTree& tree, const DocumentBytes& source, const ParseLimits& limits = {});
// Parses text that is already decoded.
ParseError ParseHtmlDocument(NodeTree& tree, std::u16string_view text, const ParseLimits& limits = {});
// Parses a fragment as the content of an element of the tag `contextTag`; the new nodes are orphans
// of the tree, in order, in `nodes`.
ParseError ParseHtmlFragment(NodeTree& tree, std::u16string_view html, std::u16string_view contextTag,
                             std::vector<Node*>& nodes, const ParseLimits& limits = {});

// The code page a charset name stands for (65001 for UTF-8, 949 for "ks_c_5601-1987" and "euc-kr",
// 1200/1201 for UTF-16); 0 for one that is not known.
unsigned CodePageOfCharset(std::string_view charset);
// The document's text in its charset: characters the charset cannot hold become numeric character
// references, as the old browser saved them.
std::string EncodeDocumentText(std::u16string_view text, std::string_view charset);

} // namespace qx::html::dom
