// Text crossing between BSTRs and the ANSI code page in which the converter scans and composes.
#pragma once

#include <oleauto.h>

#include <string>

// The ANSI form of a BSTR ("" for a null one).
std::string BstrToAnsi(const OLECHAR* text);
std::string BstrToAnsi(const OLECHAR* text, UINT length);

// A new BSTR holding the ANSI text; the caller frees it.
BSTR AnsiToBstr(const std::string& text);
