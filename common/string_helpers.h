// Byte-string helpers for the converter's HTML and MHT scanning and the script utilities. Text
// is ANSI (code page 949): only 'A'-'Z' fold; bytes 0x80 and above, Korean double-byte
// characters included, are never changed.
#pragma once

#include <string>
#include <string_view>

// Replaces every occurrence of find; matchCase 1 searches exactly, any other value ignores case.
// An empty find leaves the text as it is.
std::string ReplaceAll(const std::string& text, const std::string& find, const std::string& replacement,
                       int matchCase);

// Position of the first case-insensitive occurrence at or after start, or -1.
long FindNoCase(const std::string& text, const std::string& pattern, long start);

std::string ToLowerAscii(const std::string& text);
std::string ToUpperAscii(const std::string& text);

// Every line feed not preceded by a carriage return becomes CR LF.
std::string LfToCrLf(std::string_view text);

// Appends text to out the same way, a line feed at its start counting as preceded by the last
// byte of out; false when the text holds a NUL byte, before which it stops.
bool AppendLfToCrLf(std::string& out, std::string_view text);

// Removes leading and trailing blanks (0x20 only).
std::string TrimSpaces(const std::string& text);

// The text without the white space around it (blank, tab, CR, LF, form feed, vertical tab).
std::string_view TrimWhite(std::string_view text);

// True when the texts are equal but for the case of 'A'-'Z'.
bool EqualsNoCase(std::string_view a, std::string_view b);

// The text before its first NUL byte: the case-folding helpers look no further.
std::string BeforeFirstNul(const std::string& text);
