// Text crossing between script (BSTR, UTF-16) and the ANSI code page that files, the registry
// and base64 work in.
#pragma once

#include <oleauto.h>

#include <string>

// The ANSI bytes of the whole BSTR (a null BSTR is ""); characters without a mapping become '?'.
std::string BstrToAnsi(BSTR text);

// Like BstrToAnsi, but false when the text holds a NUL character or a character that has no
// mapping in the code page: such a name would address some other key or file.
bool BstrToAnsiExact(BSTR text, std::string& ansi);

// A new BSTR of the ANSI text; null when memory runs out.
BSTR AnsiToBstr(const std::string& ansi);
