// URL text functions: combining a relative URL with a base and bringing a URL into its usual
// form. Drive-letter paths ("c:/dir/x", "c:\dir\x") become "file:///c:/dir/x"; an absolute path
// as a base becomes a file URL too. A "%" that starts an escape is never escaped again.
#pragma once

#include "wintypes.h"

// Unescape the URL once ("%3F" and "%23" stay, so "?" and "#" keep their meaning); nothing is
// escaped afterwards unless another flag asks for it.
#define URL_UNESCAPE 0x10000000u
// Escape only the spaces (by default spaces and control characters are escaped).
#define URL_ESCAPE_SPACES_ONLY 0x04000000u
// Also escape a "%" that does not start an escape sequence ("100%" -> "100%25").
#define URL_ESCAPE_PERCENT 0x00001000u
// Leave "." and ".." segments as they are.
#define URL_DONT_SIMPLIFY 0x08000000u
#define URL_NO_META URL_DONT_SIMPLIFY
// Neither escape nor unescape what follows "?" or "#".
#define URL_DONT_ESCAPE_EXTRA_INFO 0x02000000u

// Both return S_OK with *pcch set to the characters written (without the terminating zero), or
// E_POINTER with *pcch set to the size needed (with the zero) when the buffer is too small or
// null; E_INVALIDARG for a null text or size.
HRESULT UrlCombineA(LPCSTR pszBase, LPCSTR pszRelative, LPSTR pszCombined, DWORD* pcchCombined,
                    DWORD dwFlags);
HRESULT UrlCanonicalizeA(LPCSTR pszUrl, LPSTR pszCanonicalized, DWORD* pcchCanonicalized, DWORD dwFlags);
