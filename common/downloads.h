// Reading a URL (remote, file: or a plain local path) into memory, as text or as base64.
#pragma once

#include <string>

// The content up to the first NUL byte of each read block is meant for text (style sheets,
// scripts, pages); "" when nothing could be read.
std::string DownloadUrlToString(const char* url);

// The base64 of the whole content; "" when nothing could be read.
std::string DownloadUrlToBase64(const char* url);
