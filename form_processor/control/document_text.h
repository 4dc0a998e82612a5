// The texts the document road builds: load URLs of chosen paths, line breaks before the converter
// sees a text, and image sources and backgrounds as they are saved.
#pragma once

#include <string>
#include <string_view>

// "file://" followed by path, with "%", "#" and "?" escaped so that the platform reads them as
// part of the name; any other path is appended unchanged.
std::string FileUrlForPath(std::string_view path);

// Every LF not preceded by CR becomes CR LF; other bytes stay.
std::string NormaliseLineBreaks(std::string_view text);

// An image source or background as it is saved: "file://" (case ignored) not followed by "/"
// gains the third slash, and every backslash becomes a slash.
std::string NormaliseSource(std::string_view source);
