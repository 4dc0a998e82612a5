// Message texts of the system for Win32 error codes.
#pragma once

#include <cstdarg>

#include "winbase_local.h"
#include "wintypes.h"

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_STRING 0x00000400u
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000u
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FFu

#ifndef LANG_NEUTRAL
#define LANG_NEUTRAL 0x00
#endif
#ifndef LANG_ENGLISH
#define LANG_ENGLISH 0x09
#endif
#ifndef SUBLANG_DEFAULT
#define SUBLANG_DEFAULT 0x01
#endif
#ifndef SUBLANG_SYS_DEFAULT
#define SUBLANG_SYS_DEFAULT 0x02
#endif

// With FORMAT_MESSAGE_FROM_SYSTEM: the system's text for the Win32 error code dwMessageId,
// ending in "\r\n" (English; dwLanguageId 0, the neutral or default languages or any English
// one). The texts hold no inserts, so FORMAT_MESSAGE_IGNORE_INSERTS and Arguments change
// nothing. FORMAT_MESSAGE_MAX_WIDTH_MASK drops the line break, another width in its low byte
// breaks lines at spaces to that width. With FORMAT_MESSAGE_ALLOCATE_BUFFER, lpBuffer is an
// LPSTR* that receives a LocalAlloc block of at least nSize bytes (free it with LocalFree);
// otherwise lpBuffer holds nSize bytes. Returns the characters stored, without the zero.
// Fails (0) with ERROR_MR_MID_NOT_FOUND for a code the system has no text for,
// ERROR_RESOURCE_LANG_NOT_FOUND for another language, ERROR_INSUFFICIENT_BUFFER, or
// ERROR_INVALID_PARAMETER (no buffer; no FORMAT_MESSAGE_FROM_SYSTEM: this platform's modules
// carry no message tables, and texts of the caller's own are not formatted here).
DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                            LPSTR lpBuffer, DWORD nSize, va_list* Arguments);

#define FormatMessage FormatMessageA
