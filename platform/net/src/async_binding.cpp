// URLOpenStream: the download runs on a worker thread; every callback is posted to the thread
// that started it and runs when that thread pumps its messages.
#include "byte_source.h"
#include "objbase.h"
#include "processthreadsapi.h"
#include "qx/win32/codepage.h"
#include "qx/win32/message_queue.h"
#include "read_only_stream.h"
#include "ref_counted.h"
#include "urlmon.h"
#include "winerror.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

namespace qx::net {
namespace {

constexpr ULONG kChunk = 64 * 1024;
// Unread data above which the worker waits for the owner to take its notification.
constexpr std::size_t kHighWater = 1u << 20;
// Unread data that the owner leaves behind beyond this fails the download.
constexpr std::size_t kMaxUnread = 64u << 20;

// What has arrived and not yet been read by the owner.
struct Pipe {
    std::mutex lock;
    std::condition_variable changed;
    std::string data;
    std::size_t offset = 0;
    ULONGLONG total = 0;
    bool finished = false;

    std::size_t Unread() const { return data.size() - offset; }
};

// The stream of STGMEDIUM: reads what has arrived without waiting.
class PipeStream : public ReadOnlyStream {
public:
    QX_BEGIN_INTERFACES(PipeStream)
    QX_INTERFACE_ENTRY(IStream)
    QX_INTERFACE_ENTRY2(ISequentialStream, IStream)
    QX_END_INTERFACES()

    explicit PipeStream(std::shared_ptr<Pipe> pipe) : pipe_(std::move(pipe)) {}

    STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        ULONG ignored = 0;
        ULONG& count = pcbRead != nullptr ? *pcbRead : ignored;
        count = 0;
        if (pv == nullptr && cb > 0) {
            return STG_E_INVALIDPOINTER;
        }
        std::lock_guard guard(pipe_->lock);
        std::size_t n = std::min<std::size_t>(cb, pipe_->Unread());
        std::memcpy(pv, pipe_->data.data() + pipe_->offset, n);
        pipe_->offset += n;
        if (pipe_->offset == pipe_->data.size()) {
            pipe_->data.clear();
            pipe_->offset = 0;
        }
        count = static_cast<ULONG>(n);
        pipe_->changed.notify_all();
        if (pipe_->Unread() == 0) {
            return pipe_->finished ? S_FALSE : (n > 0 ? S_OK : E_PENDING);
        }
        return S_OK;
    }
    STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return STG_E_INVALIDFUNCTION;
    }

protected:
    ~PipeStream() override = default;

private:
    ULONGLONG Size() override {
        std::lock_guard guard(pipe_->lock);
        return pipe_->total;
    }

    std::shared_ptr<Pipe> pipe_;
};

void ReleaseBindInfo(BINDINFO& info) {
    CoTaskMemFree(info.szExtraInfo);
    CoTaskMemFree(info.szCustomVerb);
    if (info.stgmedData.tymed == TYMED_ISTREAM && info.stgmedData.pstm != nullptr) {
        info.stgmedData.pstm->Release();
    }
    if (info.stgmedData.pUnkForRelease != nullptr) {
        info.stgmedData.pUnkForRelease->Release();
    }
    if (info.pUnk != nullptr) {
        info.pUnk->Release();
    }
}

class UrlBinding : public UrlObject, public IBinding {
public:
    QX_BEGIN_INTERFACES(UrlBinding)
    QX_INTERFACE_ENTRY(IBinding)
    QX_END_INTERFACES()

    UrlBinding(std::string url, IBindStatusCallback* callback, DWORD owner)
        : url_(std::move(url)), wideUrl_(qx::win32::AnsiToWide(url_)), callback_(callback), owner_(owner),
          pipe_(std::make_shared<Pipe>()), stream_(NewUrlObject<PipeStream>(pipe_)) {
        callback_->AddRef();
    }

    STDMETHODIMP Abort() override {
        std::unique_lock guard(state_);
        if (aborted_ || stopped_) {
            return S_FALSE;
        }
        aborted_ = true;
        if (source_ != nullptr) {
            source_->Cancel();
        }
        resumed_.notify_all();
        guard.unlock();
        std::lock_guard pipeGuard(pipe_->lock);
        pipe_->changed.notify_all();
        return S_OK;
    }
    STDMETHODIMP Suspend() override {
        std::lock_guard guard(state_);
        suspended_ = true;
        return S_OK;
    }
    STDMETHODIMP Resume() override {
        std::lock_guard guard(state_);
        suspended_ = false;
        resumed_.notify_all();
        return S_OK;
    }
    STDMETHODIMP SetPriority(LONG nPriority) override {
        priority_ = nPriority;
        return S_OK;
    }
    STDMETHODIMP GetPriority(LONG* pnPriority) override {
        if (pnPriority == nullptr) {
            return E_POINTER;
        }
        *pnPriority = priority_;
        return S_OK;
    }
    STDMETHODIMP GetBindResult(CLSID* pclsidProtocol, DWORD* pdwResult, LPOLESTR* pszResult,
                               DWORD*) override {
        if (pclsidProtocol == nullptr || pdwResult == nullptr || pszResult == nullptr) {
            return E_INVALIDARG;
        }
        std::lock_guard guard(state_);
        *pclsidProtocol = CLSID{};
        *pszResult = nullptr;
        *pdwResult = static_cast<DWORD>(result_);
        return stopped_ ? S_OK : E_UNEXPECTED;
    }

    // Queues a call of this binding on the owner's thread.
    bool Post(void (UrlBinding::*step)()) {
        AddRef();
        return qx::win32::PostThreadCall(
            owner_,
            [this, step] {
                (this->*step)();
                Release();
            },
            [this] {
                Abort();
                Release();
            });
    }

    // On the owner's thread: the owner's bind information and OnStartBinding, then the worker.
    void Begin() {
        DWORD flags = 0;
        BINDINFO info;
        std::memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        callback_->GetBindInfo(&flags, &info);
        request_ = RequestOf(info);
        ReleaseBindInfo(info);
        request_.headers = NegotiatedHeaders();
        HRESULT hr = callback_->OnStartBinding(0, this);
        if ((FAILED(hr) && hr != E_NOTIMPL) || IsAborted()) {
            Stop(E_ABORT);
            return;
        }
        AddRef();
        std::thread([this] {
            Work();
            Release();
        }).detach();
    }

protected:
    ~UrlBinding() override {
        stream_->Release();
        if (callback_ != nullptr) {
            callback_->Release();
        }
    }

private:
    // What the owner's bind information sends: a POST's body from its medium (this platform's
    // global memory is plain memory: cbstgmedData bytes at hGlobal; or a stream read to its end).
    static RequestData RequestOf(const BINDINFO& info) {
        RequestData request;
        if (info.dwBindVerb != BINDVERB_POST) {
            return request;
        }
        request.post = true;
        const STGMEDIUM& data = info.stgmedData;
        if (data.tymed == TYMED_HGLOBAL && data.hGlobal != nullptr) {
            request.body.assign(static_cast<const char*>(data.hGlobal), info.cbstgmedData);
        } else if (data.tymed == TYMED_ISTREAM && data.pstm != nullptr) {
            char buffer[16384];
            for (;;) {
                ULONG read = 0;
                const HRESULT hr = data.pstm->Read(buffer, sizeof buffer, &read);
                request.body.append(buffer, read);
                if (hr != S_OK || read == 0) {
                    break;
                }
            }
        }
        return request;
    }

    // The header lines the owner adds (IHttpNegotiate::BeginningTransaction), as ANSI text.
    std::string NegotiatedHeaders() {
        IHttpNegotiate* negotiate = nullptr;
        if (FAILED(callback_->QueryInterface(IID_IHttpNegotiate, reinterpret_cast<void**>(&negotiate))) ||
            negotiate == nullptr) {
            return {};
        }
        LPWSTR added = nullptr;
        std::string headers;
        if (SUCCEEDED(negotiate->BeginningTransaction(wideUrl_.c_str(), nullptr, 0, &added)) && added) {
            headers = qx::win32::WideToAnsi(added);
        }
        CoTaskMemFree(added);
        negotiate->Release();
        return headers;
    }

    bool IsAborted() {
        std::lock_guard guard(state_);
        return aborted_;
    }

    // On the worker thread: opens the URL and moves its bytes into the pipe.
    void Work() {
        std::unique_ptr<ByteSource> source;
        HRESULT hr = IsAborted() ? E_ABORT : OpenByteSource(url_, source, request_);
        if (SUCCEEDED(hr)) {
            std::lock_guard guard(state_);
            if (aborted_) {
                hr = E_ABORT;
            } else {
                source_ = source.get();
                length_ = source->Length();
            }
        }
        if (SUCCEEDED(hr)) {
            Post(&UrlBinding::BeginData);
            hr = Transfer(*source);
            std::lock_guard guard(state_);
            source_ = nullptr;
        }
        finalResult_ = hr;
        Post(&UrlBinding::Finish);
    }

    HRESULT Transfer(ByteSource& source) {
        std::string chunk(kChunk, '\0');
        for (;;) {
            {
                std::unique_lock guard(state_);
                resumed_.wait(guard, [&] { return !suspended_ || aborted_; });
                if (aborted_) {
                    return E_ABORT;
                }
            }
            ULONG got = 0;
            HRESULT hr = source.Read(reinterpret_cast<BYTE*>(chunk.data()), kChunk, &got);
            if (IsAborted()) {
                return E_ABORT;
            }
            if (FAILED(hr)) {
                return hr;
            }
            bool post = false;
            {
                std::unique_lock guard(pipe_->lock);
                pipe_->data.append(chunk.data(), got);
                pipe_->total += got;
                if (hr == S_FALSE) {
                    pipe_->finished = true;
                    return S_OK;
                }
                if (pipe_->Unread() > kMaxUnread) {
                    return E_OUTOFMEMORY;
                }
                post = got > 0 && !notifyPending_;
                notifyPending_ = notifyPending_ || post;
            }
            if (post) {
                Post(&UrlBinding::DeliverData);
            }
            std::unique_lock guard(pipe_->lock);
            pipe_->changed.wait(guard, [&] {
                return pipe_->Unread() < kHighWater || !notifyPending_ || IsAbortedUnlockedPipe();
            });
        }
    }

    bool IsAbortedUnlockedPipe() {
        std::lock_guard guard(state_);
        return aborted_;
    }

    void BeginData() {
        if (!IsAborted()) {
            callback_->OnProgress(0, static_cast<ULONG>(std::max<std::int64_t>(length_, 0)),
                                  BINDSTATUS_BEGINDOWNLOADDATA, wideUrl_.c_str());
        }
    }

    // One data notification; `last` adds the end mark.
    void Notify(bool last) {
        ULONGLONG total = 0;
        {
            std::lock_guard guard(pipe_->lock);
            notifyPending_ = false;
            total = pipe_->total;
            pipe_->changed.notify_all();
            if (!last && total == notifiedTotal_) {
                return;
            }
        }
        DWORD flags =
            firstSent_ ? DWORD{BSCF_INTERMEDIATEDATANOTIFICATION} : DWORD{BSCF_FIRSTDATANOTIFICATION};
        if (last) {
            flags = (firstSent_ ? DWORD{0} : DWORD{BSCF_FIRSTDATANOTIFICATION}) | BSCF_LASTDATANOTIFICATION |
                    BSCF_DATAFULLYAVAILABLE;
        }
        firstSent_ = true;
        notifiedTotal_ = total;
        auto size = static_cast<DWORD>(std::min<ULONGLONG>(total, 0xFFFFFFFFu));
        auto max = static_cast<ULONG>(std::max<std::int64_t>(length_, 0));
        callback_->OnProgress(size, max, BINDSTATUS_DOWNLOADINGDATA, wideUrl_.c_str());
        if (IsAborted()) {
            return;
        }
        FORMATETC format{0, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
        STGMEDIUM medium;
        std::memset(&medium, 0, sizeof medium);
        medium.tymed = TYMED_ISTREAM;
        medium.pstm = stream_;
        callback_->OnDataAvailable(flags, size, &format, &medium);
        std::lock_guard guard(pipe_->lock);
        pipe_->changed.notify_all();
    }

    void DeliverData() {
        if (!IsAborted()) {
            Notify(false);
        }
    }

    // The end: the last notification on success, then OnStopBinding with the result.
    void Finish() {
        HRESULT hr = IsAborted() ? E_ABORT : finalResult_;
        if (SUCCEEDED(hr)) {
            Notify(true);
            if (!IsAborted()) {
                callback_->OnProgress(static_cast<ULONG>(notifiedTotal_), static_cast<ULONG>(notifiedTotal_),
                                      BINDSTATUS_ENDDOWNLOADDATA, wideUrl_.c_str());
            }
            hr = IsAborted() ? E_ABORT : S_OK;
        } else if (hr != E_ABORT) {
            Notify(false); // what arrived before the failure
        }
        Stop(hr);
    }

    void Stop(HRESULT hr) {
        {
            std::lock_guard guard(state_);
            stopped_ = true;
            result_ = hr;
        }
        IBindStatusCallback* callback = std::exchange(callback_, nullptr);
        callback->OnStopBinding(hr, nullptr);
        callback->Release();
    }

    std::string url_;
    RequestData request_; // set on the owner's thread before the worker starts
    std::u16string wideUrl_;
    IBindStatusCallback* callback_;
    DWORD owner_;
    std::shared_ptr<Pipe> pipe_;
    IStream* stream_;

    std::mutex state_;
    std::condition_variable resumed_;
    bool aborted_ = false;
    bool suspended_ = false;
    bool stopped_ = false;
    HRESULT result_ = S_OK;
    ByteSource* source_ = nullptr;
    std::int64_t length_ = -1;
    std::atomic<LONG> priority_{0};

    // Owner's thread only, or under pipe_->lock.
    bool notifyPending_ = false;
    bool firstSent_ = false;
    ULONGLONG notifiedTotal_ = 0;
    HRESULT finalResult_ = S_OK;
};

} // namespace
} // namespace qx::net

HRESULT URLOpenStreamA(IUnknown*, LPCSTR szURL, DWORD, IBindStatusCallback* lpfnCB) {
    if (szURL == nullptr || lpfnCB == nullptr) {
        return E_INVALIDARG;
    }
    auto* binding =
        qx::net::NewUrlObject<qx::net::UrlBinding>(std::string(szURL), lpfnCB, GetCurrentThreadId());
    bool posted = binding->Post(&qx::net::UrlBinding::Begin);
    binding->Release();
    return posted ? S_OK : E_OUTOFMEMORY;
}

HRESULT URLOpenStreamW(IUnknown* pCaller, LPCWSTR szURL, DWORD dwReserved, IBindStatusCallback* lpfnCB) {
    if (szURL == nullptr || lpfnCB == nullptr) {
        return E_INVALIDARG;
    }
    bool lossy = false;
    std::string url = qx::win32::WideToAnsi(szURL, &lossy);
    if (lossy) {
        return INET_E_INVALID_URL;
    }
    return URLOpenStreamA(pCaller, url.c_str(), dwReserved, lpfnCB);
}
