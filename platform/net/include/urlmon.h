// URL monikers: blocking and asynchronous URL streams, the binding that an asynchronous download
// runs under, and the status callback through which its owner hears of it.
//
// Schemes: "file:" (file:///abs/path, file:///c:/x and file://c:/x, %XX unescaped once), plain
// local paths (absolute paths and drive-letter paths, taken as they stand), "http:" and "https:"
// (redirects followed, a status of 400 or more fails), and "res:" (res://<module>[/<type>]/<name>,
// the type being RT_HTML when it is left out).
#pragma once

#include "objidl.h"
#include "objidl_ole.h"
#include "unknwn.h"
#include "wtypes.h"

QX_DECLARE_INTERFACE(IBinding, "{79EAC9C0-BAF9-11CE-8C82-00AA004BA90B}");
QX_DECLARE_INTERFACE(IBindStatusCallback, "{79EAC9C1-BAF9-11CE-8C82-00AA004BA90B}");

// How the owner wants the data bound (GetBindInfo).
enum BINDF : DWORD {
    BINDF_ASYNCHRONOUS = 0x00000001,
    BINDF_ASYNCSTORAGE = 0x00000002,
    BINDF_NOPROGRESSIVERENDERING = 0x00000004,
    BINDF_OFFLINEOPERATION = 0x00000008,
    BINDF_GETNEWESTVERSION = 0x00000010,
    BINDF_NOWRITECACHE = 0x00000020,
    BINDF_NEEDFILE = 0x00000040,
    BINDF_PULLDATA = 0x00000080,
    BINDF_IGNORESECURITYPROBLEM = 0x00000100,
    BINDF_RESYNCHRONIZE = 0x00000200,
    BINDF_HYPERLINK = 0x00000400,
    BINDF_NO_UI = 0x00000800,
    BINDF_SILENTOPERATION = 0x00001000,
    BINDF_PRAGMA_NO_CACHE = 0x00002000
};

enum BINDVERB { BINDVERB_GET = 0, BINDVERB_POST = 1, BINDVERB_PUT = 2, BINDVERB_CUSTOM = 3 };

// What the owner's GetBindInfo fills in. The binding frees the texts with CoTaskMemFree and
// releases the interfaces that it holds once GetBindInfo has returned.
struct BINDINFO {
    ULONG cbSize;
    LPWSTR szExtraInfo;
    STGMEDIUM stgmedData;
    DWORD grfBindInfoF;
    DWORD dwBindVerb;
    LPWSTR szCustomVerb;
    DWORD cbstgmedData;
    DWORD dwOptions;
    DWORD dwOptionsFlags;
    DWORD dwCodePage;
    SECURITY_ATTRIBUTES securityAttributes;
    IID iid;
    IUnknown* pUnk;
    DWORD dwReserved;
};

// Which notification of the data this is (OnDataAvailable).
enum BSCF : DWORD {
    BSCF_FIRSTDATANOTIFICATION = 0x01,
    BSCF_INTERMEDIATEDATANOTIFICATION = 0x02,
    BSCF_LASTDATANOTIFICATION = 0x04,
    BSCF_DATAFULLYAVAILABLE = 0x08,
    BSCF_AVAILABLEDATASIZEUNKNOWN = 0x10
};

// Status codes of OnProgress.
enum BINDSTATUS : ULONG {
    BINDSTATUS_FINDINGRESOURCE = 1,
    BINDSTATUS_CONNECTING = 2,
    BINDSTATUS_REDIRECTING = 3,
    BINDSTATUS_BEGINDOWNLOADDATA = 4,
    BINDSTATUS_DOWNLOADINGDATA = 5,
    BINDSTATUS_ENDDOWNLOADDATA = 6,
    BINDSTATUS_SENDINGREQUEST = 11,
    BINDSTATUS_MIMETYPEAVAILABLE = 13
};

// One running download; its owner gets it in OnStartBinding.
struct IBinding : IUnknown {
    // Stops the download; the owner then gets OnStopBinding with E_ABORT. S_FALSE when it had
    // already stopped.
    STDMETHOD(Abort)() PURE;
    // Holds the transfer until Resume.
    STDMETHOD(Suspend)() PURE;
    STDMETHOD(Resume)() PURE;
    STDMETHOD(SetPriority)(LONG nPriority) PURE;
    STDMETHOD(GetPriority)(LONG* pnPriority) PURE;
    // The result that OnStopBinding gave (pdwResult), with no protocol class and no text.
    STDMETHOD(GetBindResult)
    (CLSID* pclsidProtocol, DWORD* pdwResult, LPOLESTR* pszResult, DWORD* pdwReserved) PURE;

protected:
    ~IBinding() = default;
};
using LPBINDING = IBinding*;

// Implemented by the owner of a download. Every call of an asynchronous download comes on the
// thread that started it, while that thread pumps its messages.
struct IBindStatusCallback : IUnknown {
    STDMETHOD(OnStartBinding)(DWORD dwReserved, IBinding* pib) PURE;
    STDMETHOD(GetPriority)(LONG* pnPriority) PURE;
    STDMETHOD(OnLowResource)(DWORD reserved) PURE;
    STDMETHOD(OnProgress)
    (ULONG ulProgress, ULONG ulProgressMax, ULONG ulStatusCode, LPCWSTR szStatusText) PURE;
    STDMETHOD(OnStopBinding)(HRESULT hresult, LPCWSTR szError) PURE;
    STDMETHOD(GetBindInfo)(DWORD* grfBINDF, BINDINFO* pbindinfo) PURE;
    // pstgmed->pstm reads what has arrived: S_OK with bytes, E_PENDING when nothing more has
    // arrived yet, S_FALSE at the end. dwSize counts every byte since the start.
    STDMETHOD(OnDataAvailable)(DWORD grfBSCF, DWORD dwSize, FORMATETC* pformatetc, STGMEDIUM* pstgmed) PURE;
    STDMETHOD(OnObjectAvailable)(REFIID riid, IUnknown* punk) PURE;

protected:
    ~IBindStatusCallback() = default;
};
using LPBINDSTATUSCALLBACK = IBindStatusCallback*;

QX_DECLARE_INTERFACE(IHttpNegotiate, "{79EAC9D2-BAF9-11CE-8C82-00AA004BA90B}");

// Answered by an owner that adds request headers: an asynchronous download asks its callback for
// it before the request goes out. The added headers ("Name: value" lines, each ending in CR LF)
// are allocated with CoTaskMemAlloc and freed by the binding.
struct IHttpNegotiate : IUnknown {
    STDMETHOD(BeginningTransaction)
    (LPCWSTR szURL, LPCWSTR szHeaders, DWORD dwReserved, LPWSTR* pszAdditionalHeaders) PURE;
    STDMETHOD(OnResponse)
    (DWORD dwResponseCode, LPCWSTR szResponseHeaders, LPCWSTR szRequestHeaders,
     LPWSTR* pszAdditionalRequestHeaders) PURE;

protected:
    ~IHttpNegotiate() = default;
};

// Opens the URL and waits until its body can be read; *ppStream reads the body's bytes as they
// were sent: a read fills the whole request unless the body ends first, S_FALSE comes with the
// last bytes, a failure of the transfer comes as its HRESULT after the bytes before it. The
// callback, when given, hears OnProgress on this thread; pCaller and dwReserved are not used.
HRESULT URLOpenBlockingStreamA(IUnknown* pCaller, LPCSTR szURL, IStream** ppStream, DWORD dwReserved,
                               IBindStatusCallback* lpfnCB);
HRESULT URLOpenBlockingStreamW(IUnknown* pCaller, LPCWSTR szURL, IStream** ppStream, DWORD dwReserved,
                               IBindStatusCallback* lpfnCB);

// Starts an asynchronous download on a worker thread. The callback hears GetBindInfo,
// OnStartBinding, OnProgress, OnDataAvailable and finally OnStopBinding (also when the URL
// cannot be opened), each on the calling thread when it pumps its messages. E_INVALIDARG for a
// null URL or callback. A bind information with BINDVERB_POST sends an http(s) address a POST
// whose body is the medium's (TYMED_HGLOBAL: cbstgmedData bytes at hGlobal, this platform's global
// memory being plain memory; TYMED_ISTREAM: the stream to its end), with the header lines the
// callback's IHttpNegotiate adds; file: and res: addresses are read as they are.
HRESULT URLOpenStreamA(IUnknown* pCaller, LPCSTR szURL, DWORD dwReserved, IBindStatusCallback* lpfnCB);
HRESULT URLOpenStreamW(IUnknown* pCaller, LPCWSTR szURL, DWORD dwReserved, IBindStatusCallback* lpfnCB);
