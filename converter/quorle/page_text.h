// A page's bytes in its own code page and the texts made from them.
#pragma once

#include <oleauto.h>

#include <string>

// The page text of bytes in a code page. The ANSI code page (CP_ACP, or the number it has)
// carries every byte as BytesToBstr does.
BSTR PageBytesToBstr(const std::string& bytes, UINT codePage);

// The text recoded from one code page to another; unchanged when the two are the same or the
// text is plain ASCII.
std::string RecodeText(const std::string& text, UINT from, UINT to);

// True when the bytes are well-formed in the code page (nothing would become a default character).
bool IsWellFormed(const std::string& bytes, UINT codePage);

// CP_ACP for the ANSI code page under any of its names, else the code page itself.
UINT NormaliseCodePage(UINT codePage);
