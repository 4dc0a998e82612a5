// COM activation: apartments, ProgIDs, class objects and CoCreateInstance.
//
// In-process servers are found through HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32 (local
// servers through LocalServer32, see CoGetClassObject) and loaded once per process through the
// module loader; CoFreeUnusedLibraries unloads those whose
// DllCanUnloadNow answers S_OK. A class linked into the program itself is made creatable with
// CoRegisterClassObject (the registered object is asked before the registry).
#pragma once

#include "unknwn.h"
#include "wintypes.h"

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
#define CLSCTX_INPROC (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)
#define CLSCTX_SERVER (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)

using LPUNKNOWN = IUnknown*;

#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_DISABLE_OLE1DDE 0x4
#define COINIT_SPEED_OVER_MEMORY 0x8

#define REGCLS_SINGLEUSE 0
#define REGCLS_MULTIPLEUSE 1
#define REGCLS_MULTI_SEPARATE 2

// Enters the calling thread into an apartment: S_OK the first time, S_FALSE when the thread is
// already in one of the same kind (each success needs its CoUninitialize), RPC_E_CHANGED_MODE
// when it is in the other kind.
HRESULT CoInitialize(LPVOID pvReserved);
HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
void CoUninitialize();

// HKEY_CLASSES_ROOT\<ProgID>\CLSID, following CurVer first; CO_E_CLASSSTRING when unknown.
HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);
// HKEY_CLASSES_ROOT\CLSID\{...}\ProgID, allocated with CoTaskMemAlloc; REGDB_E_CLASSNOTREG.
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID);

// CO_E_NOTINITIALIZED outside an apartment; REGDB_E_CLASSNOTREG without a registered server;
// CO_E_DLLNOTFOUND when the server file does not load; CO_E_ERRORINDLL when it has no
// DllGetClassObject; else what DllGetClassObject returns. With CLSCTX_LOCAL_SERVER a class that
// has no in-process server (or was not asked for one) is looked up under LocalServer32: the
// program its command line names is loaded in this process as a library and asked through its
// DllGetClassObject; no process is started, so a file that does not load or exports no
// DllGetClassObject gives CO_E_SERVER_EXEC_FAILURE.
HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid, LPVOID* ppv);
HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv);

// Unloads every in-process server loaded by CoGetClassObject whose DllCanUnloadNow gives S_OK.
void CoFreeUnusedLibraries();

// Makes pUnk (a class object, normally an IClassFactory) the answer for rclsid in this process,
// until CoRevokeClassObject with the cookie; a program or test uses it for a component it links
// statically. The table holds a reference.
HRESULT CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext, DWORD flags,
                              LPDWORD lpdwRegister);
HRESULT CoRevokeClassObject(DWORD dwRegister);
