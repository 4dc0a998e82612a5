// Kestrum.MiscFunc: file, temporary-name, base64 and GUID helpers for page script. No state.
#pragma once

#include "kestrum_interfaces.h"

#include <qx/com/dispatch.h>
#include <qx/com/object.h>

#include <string>

class CMiscFunc : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IMiscFunc> {
public:
    QX_BEGIN_INTERFACES(CMiscFunc)
    QX_INTERFACE_ENTRY(IMiscFunc)
    QX_INTERFACE_ENTRY2(IDispatch, IMiscFunc)
    QX_END_INTERFACES()

    STDMETHODIMP DownloadToBase64(BSTR bstrDownURL, BSTR* encodedText) override;
    STDMETHODIMP ExtractFileName(BSTR fullPath, BSTR* FileName) override;
    STDMETHODIMP GetTemporaryFileName(BSTR* tempFileName) override;
    STDMETHODIMP Base64ToLocalFile(BSTR bstrText, BSTR FileName, LONG* Written) override;
    STDMETHODIMP EncodeBase64(BSTR orgText, BSTR* encodedText) override;
    STDMETHODIMP DecodeBase64(BSTR encodedText, BSTR* decodedText) override;
    STDMETHODIMP GetUniqueFileName(BSTR orgFileName, BSTR ext, BSTR* uniqueName) override;
    STDMETHODIMP FileExists(BSTR filePath, VARIANT_BOOL* bExists) override;
    STDMETHODIMP DebugTrace(BSTR szTraceText) override;
    STDMETHODIMP GetFileSize(BSTR FileName, LONG* fileSize) override;
    STDMETHODIMP GetGUID(BSTR* strGUID) override;

    // The last piece of a path or URL, without its query: "http://h/d/a.gif?x=1" gives "a.gif".
    static std::string ExtractFileNameA(const std::string& path);
};
