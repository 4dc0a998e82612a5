// The clipboard: one per process (the headless desktop), holding one block of data per format.
#pragma once

#include "wintypes.h"

#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_OEMTEXT 7
#define CF_UNICODETEXT 13
#define CF_LOCALE 16

// Opens the clipboard for the calling thread; FALSE while another thread has it open.
BOOL WINAPI OpenClipboard(HWND hWndNewOwner);
// FALSE when the calling thread had not opened it.
BOOL WINAPI CloseClipboard();
// Frees every format's data; the clipboard must be open (else FALSE).
BOOL WINAPI EmptyClipboard();
// Puts a global block (GlobalAlloc) as the format's data; the clipboard owns it from then on and
// frees what the format held before. The clipboard must be open; null on failure.
HANDLE WINAPI SetClipboardData(UINT uFormat, HANDLE hMem);
// The format's block (owned by the clipboard; read it with GlobalLock) or null; the clipboard must
// be open. No format is synthesised from another.
HANDLE WINAPI GetClipboardData(UINT uFormat);
BOOL WINAPI IsClipboardFormatAvailable(UINT format);
int WINAPI CountClipboardFormats();
// The format after `format` in the order they were put (0 starts); 0 after the last.
UINT WINAPI EnumClipboardFormats(UINT format);
// A format number (0xC000 up) for a name; the same name in any case gives the same number. 0 for an
// empty or null name.
UINT WINAPI RegisterClipboardFormatW(LPCWSTR lpszFormat);
UINT WINAPI RegisterClipboardFormatA(LPCSTR lpszFormat);
// The name of a registered format, truncated to cchMaxCount - 1 characters; 0 for a predefined or
// unknown format.
int WINAPI GetClipboardFormatNameW(UINT format, LPWSTR lpszFormatName, int cchMaxCount);
