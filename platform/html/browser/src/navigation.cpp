#include "navigation.h"

#include "objbase.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/object.h"
#include "qx/net/url_text.h"
#include "shlwapi_url.h"
#include "urlmon.h"

#include <cstring>
#include <filesystem>

namespace qx::html::browser {

// Collects the body as it arrives and hands it over when the binding stops.
struct NavigationRequest::Callback : com::ObjectRoot, IBindStatusCallback, IHttpNegotiate {
    static constexpr bool kCountsInModuleLock = false;
    QX_BEGIN_INTERFACES(Callback)
    QX_INTERFACE_ENTRY(IBindStatusCallback)
    QX_INTERFACE_ENTRY(IHttpNegotiate)
    QX_END_INTERFACES()

    STDMETHODIMP OnStartBinding(DWORD, IBinding* binding) override {
        binding_ = binding;
        return S_OK;
    }
    STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
    STDMETHODIMP OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR) override {
        binding_ = nullptr;
        Done done = std::move(done_);
        done_ = nullptr;
        if (done)
            done(result, std::move(body_));
        return S_OK;
    }
    STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO* info) override {
        if (flags)
            *flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA;
        if (info && post_) {
            // The body stays with this callback, which the binding holds.
            info->dwBindVerb = BINDVERB_POST;
            info->stgmedData.tymed = TYMED_HGLOBAL;
            info->stgmedData.hGlobal = post_->body.data();
            info->cbstgmedData = static_cast<DWORD>(post_->body.size());
        }
        return S_OK;
    }
    STDMETHODIMP BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* added) override {
        if (!added)
            return E_POINTER;
        *added = nullptr;
        if (!post_ || post_->headers.empty())
            return S_OK;
        const std::size_t bytes = (post_->headers.size() + 1) * sizeof(char16_t);
        *added = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
        if (!*added)
            return E_OUTOFMEMORY;
        std::memcpy(*added, post_->headers.c_str(), bytes);
        return S_OK;
    }
    STDMETHODIMP OnResponse(DWORD, LPCWSTR, LPCWSTR, LPWSTR* added) override {
        if (added)
            *added = nullptr;
        return S_OK;
    }
    STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* medium) override {
        if (!medium || medium->tymed != TYMED_ISTREAM || !medium->pstm)
            return S_OK;
        char buffer[16384];
        for (;;) {
            ULONG read = 0;
            const HRESULT hr = medium->pstm->Read(buffer, sizeof buffer, &read);
            body_.append(buffer, read);
            if (hr != S_OK || read == 0)
                break;
        }
        return S_OK;
    }
    STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    void Cancel() {
        done_ = nullptr;
        if (com::ComPtr<IBinding> binding = binding_)
            binding->Abort();
    }

    Done done_;
    std::optional<PostData> post_;
    std::string body_;
    com::ComPtr<IBinding> binding_;
};

bool IsBlankAddress(std::u16string_view url) {
    constexpr std::u16string_view kBlank = u"about:blank";
    if (url.empty())
        return true;
    if (url.size() != kBlank.size())
        return false;
    for (std::size_t i = 0; i < url.size(); ++i)
        if ((url[i] >= u'A' && url[i] <= u'Z' ? url[i] + 32 : url[i]) != kBlank[i])
            return false;
    return true;
}

std::u16string CanonicalAddress(std::u16string_view url) {
    const std::string text = com::Utf16ToUtf8(url);
    if (text.empty() || net::IsDrivePath(text) || text.front() != '/')
        return std::u16string(url);
    std::error_code ec;
    return com::Utf8ToUtf16("file://" + std::filesystem::absolute(text, ec).lexically_normal().string());
}

std::u16string ResolveAddress(std::u16string_view base, std::u16string_view relative) {
    return com::Utf8ToUtf16(net::CombineUrl(com::Utf16ToUtf8(base), com::Utf16ToUtf8(relative), 0));
}

std::optional<std::string> ReadAddress(std::u16string_view url) {
    const std::u16string address(url);
    com::ComPtr<IStream> stream;
    if (IsBlankAddress(url) || FAILED(URLOpenBlockingStreamW(nullptr, address.c_str(), &stream, 0, nullptr)))
        return std::nullopt;
    std::string bytes;
    char buffer[16384];
    for (;;) {
        ULONG read = 0;
        const HRESULT hr = stream->Read(buffer, sizeof buffer, &read);
        if (FAILED(hr))
            return std::nullopt;
        bytes.append(buffer, read);
        if (hr == S_FALSE || read == 0)
            return bytes;
    }
}

NavigationRequest::~NavigationRequest() {
    Cancel();
}

HRESULT NavigationRequest::Start(const std::u16string& url, const PostData* post, Done done,
                                 std::unique_ptr<NavigationRequest>* request) {
    com::ObjectPtr<Callback> callback;
    HRESULT hr = com::CreateObject<Callback>(callback);
    if (FAILED(hr))
        return hr;
    callback->done_ = std::move(done);
    if (post)
        callback->post_ = *post;
    hr = URLOpenStreamW(nullptr, url.c_str(), 0, callback.Get());
    if (FAILED(hr))
        return hr;
    std::unique_ptr<NavigationRequest> made(new NavigationRequest());
    made->callback_ = static_cast<Callback*>(callback.Detach());
    *request = std::move(made);
    return S_OK;
}

void NavigationRequest::Cancel() {
    if (!callback_)
        return;
    callback_->Cancel();
    static_cast<IBindStatusCallback*>(callback_)->Release();
    callback_ = nullptr;
}

} // namespace qx::html::browser
