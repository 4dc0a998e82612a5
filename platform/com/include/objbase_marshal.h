// Marshalling interface pointers between apartments of the process.
#pragma once

#include "objidl.h"

enum MSHLFLAGS { MSHLFLAGS_NORMAL = 0, MSHLFLAGS_TABLESTRONG = 1, MSHLFLAGS_TABLEWEAK = 2 };
enum MSHCTX { MSHCTX_LOCAL = 0, MSHCTX_NOSHAREDMEM = 1, MSHCTX_DIFFERENTMACHINE = 2, MSHCTX_INPROC = 3 };

// Writes a reference to pUnk's riid interface into a new stream, for one unmarshalling on another
// thread. The calling thread must be in an apartment (CO_E_NOTINITIALIZED otherwise).
HRESULT CoMarshalInterThreadInterfaceInStream(REFIID riid, LPUNKNOWN pUnk, LPSTREAM* ppStm);
// Reads the reference and releases the stream. In the object's own apartment the result is the
// object itself; elsewhere a proxy whose calls run on the object's thread while that thread pumps
// messages. CO_E_OBJNOTCONNECTED when the object's apartment has gone away.
HRESULT CoGetInterfaceAndReleaseStream(LPSTREAM pStm, REFIID iid, LPVOID* ppv);

// The same on a stream of the caller's (MSHLFLAGS_NORMAL only; the context is not consulted).
HRESULT CoMarshalInterface(LPSTREAM pStm, REFIID riid, LPUNKNOWN pUnk, DWORD dwDestContext,
                           LPVOID pvDestContext, DWORD mshlflags);
HRESULT CoUnmarshalInterface(LPSTREAM pStm, REFIID riid, LPVOID* ppv);
// Drops a reference written by CoMarshalInterface that will never be unmarshalled.
HRESULT CoReleaseMarshalData(LPSTREAM pStm);
