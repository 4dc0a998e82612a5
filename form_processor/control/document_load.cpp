// The load road: LoadURL with its bind-status callback and download handler, DocumentHTML put,
// and LoadDocumentText, which hands MHT text to the converter before the editor gets it.
#include "ansi_text.h"
#include "dispatch_names.h"
#include "document_io.h"
#include "download_callback.h"
#include "velkor_control.h"

#include <cstring>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

constexpr ULONG kReadChunk = 64 * 1024;

} // namespace

// ---- the bind-status callback ----

void CDownloadCallback::CutOff() {
    owner_ = nullptr;
    if (binding_)
        binding_->Abort();
    binding_ = nullptr;
}

STDMETHODIMP CDownloadCallback::OnStartBinding(DWORD, IBinding* pib) {
    if (!owner_) {
        // Replaced before it began: it is not wanted.
        if (pib)
            pib->Abort();
        return S_OK;
    }
    binding_ = pib;
    return S_OK;
}

STDMETHODIMP CDownloadCallback::GetPriority(LONG* pnPriority) {
    if (!pnPriority)
        return E_POINTER;
    *pnPriority = 0;
    return S_OK;
}

STDMETHODIMP CDownloadCallback::GetBindInfo(DWORD* grfBINDF, BINDINFO* pbindinfo) {
    if (!grfBINDF || !pbindinfo)
        return E_INVALIDARG;
    *grfBINDF = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA | BINDF_GETNEWESTVERSION |
                BINDF_NOWRITECACHE;
    const ULONG size = pbindinfo->cbSize;
    std::memset(pbindinfo, 0, size < sizeof(BINDINFO) ? size : sizeof(BINDINFO));
    pbindinfo->cbSize = size;
    return S_OK;
}

STDMETHODIMP CDownloadCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* pstgmed) {
    if (!pstgmed || pstgmed->tymed != TYMED_ISTREAM || !pstgmed->pstm)
        return S_OK;
    // One byte more than a read fills, for the terminator the handler's contract promises.
    char buffer[kReadChunk + 1];
    for (;;) {
        ULONG read = 0;
        const HRESULT hr = pstgmed->pstm->Read(buffer, kReadChunk, &read);
        if (read > 0 && owner_) {
            buffer[read] = '\0';
            owner_->OnDownloadChunk(generation_, buffer, read);
        }
        if (hr != S_OK || read == 0)
            break;
    }
    return S_OK;
}

STDMETHODIMP CDownloadCallback::OnStopBinding(HRESULT, LPCWSTR) {
    binding_ = nullptr;
    if (CVelkor* owner = owner_) {
        owner_ = nullptr;
        owner->OnDownloadStopped(generation_);
    }
    return S_OK;
}

// ---- the control's side ----

STDMETHODIMP CVelkor::LoadURL(BSTR url) {
    // A download still running is replaced: only the newest document is loaded.
    CancelDownload();
    loadedUrl_ = Bstr(url);
    downloadBuffer_.clear();
    downloadSize_ = 0;
    ++downloadGeneration_;

    qx::com::ObjectPtr<CDownloadCallback> callback;
    HRESULT hr = qx::com::CreateObject<CDownloadCallback>(callback);
    if (FAILED(hr))
        return hr;
    callback->Init(this, downloadGeneration_);
    download_ = callback.Get();
    downloadCallback_ = static_cast<IBindStatusCallback*>(callback.Get());
    hr = URLOpenStreamW(ClientSite(), url ? url : u"", 0, downloadCallback_.Get());
    if (FAILED(hr)) {
        download_ = nullptr;
        downloadCallback_ = nullptr;
    }
    return hr;
}

void CVelkor::CancelDownload() {
    if (download_)
        download_->CutOff();
    download_ = nullptr;
    downloadCallback_ = nullptr;
}

void CVelkor::OnDownloadChunk(ULONG generation, const char* bytes, ULONG size) {
    if (generation != downloadGeneration_ || !bytes)
        return;
    // The chunk counts in full, but only its bytes before a NUL reach the text.
    downloadBuffer_.append(bytes, strnlen(bytes, size));
    downloadSize_ += static_cast<LONG>(size);
    Fire_DownloadedSize(downloadSize_);
}

void CVelkor::OnDownloadStopped(ULONG generation) {
    if (generation != downloadGeneration_)
        return;
    download_ = nullptr;
    downloadCallback_ = nullptr;
    std::string text;
    text.swap(downloadBuffer_);
    downloadSize_ = 0;
    // A failed download loads what arrived, and an empty document when nothing did.
    LoadDocumentText(text);
}

STDMETHODIMP CVelkor::put_DocumentHTML(BSTR newVal) {
    const std::string text = BstrToAnsi(newVal, SysStringLen(newVal));
    return LoadDocumentText(text);
}

HRESULT CVelkor::LoadDocumentText(const std::string& ansi) {
    if (!editor_)
        return E_FAIL;
    Bstr text;
    text = Bstr::Attach(AnsiToBstr(NormaliseLineBreaks(ansi)));
    if (text.Empty())
        return PutPropertyByName(editor_.Get(), u"DocumentHTML", Variant(u""));

    if (converter_) {
        VARIANT_BOOL isMht = VARIANT_FALSE;
        HRESULT hr = converter_->IsMHTML(text.Get(), &isMht);
        if (FAILED(hr))
            return hr;
        if (isMht == VARIANT_TRUE) {
            VARIANT_BOOL converted = VARIANT_FALSE;
            Bstr html;
            if (FAILED(hr = converter_->put_sync(VARIANT_TRUE)) ||
                FAILED(hr = converter_->put_mhtData(text.Get())) ||
                FAILED(hr = converter_->filterIn(&converted)))
                return hr;
            // A busy converter answers false and still holds the previous conversion.
            if (converted != VARIANT_TRUE)
                return E_FAIL;
            if (FAILED(hr = converter_->get_htmlData(&html)))
                return hr;
            text = Bstr::Attach(AnsiToBstr(BstrToAnsi(html.Get(), SysStringLen(html.Get()))));
        }
    }
    return PutPropertyByName(editor_.Get(), u"DocumentHTML", Variant(text.View()));
}
