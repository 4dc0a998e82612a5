// Document texts (MHT and HTML read from files and URLs) crossing between bytes and BSTRs. They
// go through the ANSI code page like any text but carry every byte: a NUL byte is a character
// like any other, and a byte that the code page cannot read (a binary part, a stray byte of
// another charset) becomes the character U+DC00 + byte, a lone surrogate that no text holds,
// and comes back as that byte.
#pragma once

#include <oleauto.h>

#include <string>

// A new BSTR holding the bytes; the caller frees it.
BSTR BytesToBstr(const std::string& bytes);

// The bytes of a text made by BytesToBstr, or the ANSI form of any other text ("" for null).
std::string BstrToBytes(const OLECHAR* text, UINT length);
std::string BstrToBytes(BSTR text);
