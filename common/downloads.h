// Reading a URL (remote, file: or a plain local path) into memory, as text or as base64.
#pragma once

#include <string>

// The content up to the first NUL byte of each read block is meant for text (style sheets,
// scripts, pages); "" when nothing could be read.
std::string DownloadUrlToString(const char* url);

// The base64 of the whole content; "" when nothing could be read.
std::string DownloadUrlToBase64(const char* url);
// The same appended to out (a document being written); false when nothing could be read.
bool DownloadUrlToBase64(const char* url, std::string& out);

// The length of a local resource (a file: or res: URL, or a plain path) as its stream reports
// it, without reading it; 0 for a remote one, which is not asked twice, and for one that
// cannot be opened.
unsigned long long LocalUrlLength(const char* url);

// Every byte of the content, NUL bytes included (documents that may hold binary parts); ""
// when nothing could be read.
std::string DownloadUrlToBytes(const char* url);
