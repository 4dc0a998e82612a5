// Text crossing between BSTRs (UTF-16) and the ANSI code page in which files, the registry,
// base64 and the converter's scanning and composing work.
#pragma once

#include <oleauto.h>

#include <string>

// The ANSI form of a BSTR ("" for a null one); characters without a mapping become '?'.
std::string BstrToAnsi(const OLECHAR* text);
// The ANSI form of the first `length` characters of a text.
std::string BstrToAnsi(const OLECHAR* text, UINT length);

// Like BstrToAnsi, but false when the text holds a NUL character or a character that has no
// mapping in the code page: such a name would address some other key or file.
bool BstrToAnsiExact(BSTR text, std::string& ansi);

// A new BSTR holding the ANSI text (an empty one for ""); null when memory runs out. The caller
// frees it.
BSTR AnsiToBstr(const std::string& text);
