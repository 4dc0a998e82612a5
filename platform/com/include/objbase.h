// COM base services: GUID text, task memory, memory streams; pulls in the core interfaces.
#pragma once

#include "oaidl.h"
#include "objidl.h"
#include "oleauto.h"
#include "unknwn.h"

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" with upper-case digits; returns the characters written
// including the terminating zero, or 0 when cchMax is below 39.
INT StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, INT cchMax);
// Allocates the text with CoTaskMemAlloc.
HRESULT StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz);
HRESULT StringFromIID(REFIID rclsid, LPOLESTR* lplpsz);
// Parses the braced text form; CO_E_CLASSSTRING (CLSID) or E_INVALIDARG (IID) for other text.
HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid);
HRESULT IIDFromString(LPCOLESTR lpsz, LPIID lpiid);
// A new random (version 4) GUID; E_INVALIDARG for a null pointer, E_FAIL when the system's
// random source cannot be read.
HRESULT CoCreateGuid(GUID* pguid);

LPVOID CoTaskMemAlloc(SIZE_T cb);
LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
void CoTaskMemFree(LPVOID pv);

// A growable in-memory stream. This platform has no movable global memory, so hGlobal must be
// null: the stream allocates and owns its buffer (fDeleteOnRelease is accepted and has no further
// effect). A non-null hGlobal gives E_INVALIDARG.
HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, LPSTREAM* ppstm);
#include "objbase_marshal.h"
