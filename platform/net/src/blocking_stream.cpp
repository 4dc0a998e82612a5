// URLOpenBlockingStream: a read fills the whole request unless the body ends first, so callers
// that assemble pieces of a fixed size see the same pieces whatever the network delivers.
#include "qx/win32/codepage.h"
#include "read_only_stream.h"
#include "url_stream.h"
#include "urlmon.h"
#include "winerror.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace qx::net {
namespace {

class BlockingStream : public ReadOnlyStream {
public:
    QX_BEGIN_INTERFACES(BlockingStream)
    QX_INTERFACE_ENTRY(IStream)
    QX_INTERFACE_ENTRY2(ISequentialStream, IStream)
    QX_END_INTERFACES()

    BlockingStream(std::unique_ptr<ByteSource> source, IBindStatusCallback* callback)
        : source_(std::move(source)), callback_(callback) {
        if (callback_ != nullptr) {
            callback_->AddRef();
        }
    }

    STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        ULONG ignored = 0;
        ULONG& total = pcbRead != nullptr ? *pcbRead : ignored;
        total = 0;
        if (pv == nullptr && cb > 0) {
            return STG_E_INVALIDPOINTER;
        }
        std::lock_guard guard(lock_);
        if (FAILED(pendingError_)) {
            return pendingError_;
        }
        auto* out = static_cast<BYTE*>(pv);
        bool ended = ended_;
        while (total < cb && !ended) {
            ULONG got = 0;
            HRESULT hr = source_->Read(out + total, cb - total, &got);
            if (FAILED(hr)) {
                // The bytes before a failure still reach the reader; the failure comes next.
                if (total > 0) {
                    pendingError_ = hr;
                    break;
                }
                return hr;
            }
            total += got;
            ended = hr == S_FALSE;
        }
        ended = ended || source_->AtEnd();
        position_ += total;
        if (HRESULT hr = Progress(ended); FAILED(hr)) {
            pendingError_ = hr;
        }
        ended_ = ended;
        return ended ? S_FALSE : S_OK;
    }

    // Only the position can be asked for: the body is read once, from the start.
    STDMETHODIMP Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override {
        std::lock_guard guard(lock_);
        bool here = (dwOrigin == STREAM_SEEK_CUR && dlibMove.QuadPart == 0) ||
                    (dwOrigin == STREAM_SEEK_SET && static_cast<ULONGLONG>(dlibMove.QuadPart) == position_);
        if (!here) {
            return STG_E_INVALIDFUNCTION;
        }
        if (plibNewPosition != nullptr) {
            plibNewPosition->QuadPart = position_;
        }
        return S_OK;
    }
    STDMETHODIMP CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                        ULARGE_INTEGER* pcbWritten) override {
        if (pstm == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        std::vector<BYTE> buffer(64 * 1024);
        ULONGLONG read = 0;
        ULONGLONG written = 0;
        HRESULT hr = S_OK;
        while (read < cb.QuadPart) {
            ULONG want = static_cast<ULONG>(std::min<ULONGLONG>(buffer.size(), cb.QuadPart - read));
            ULONG got = 0;
            hr = Read(buffer.data(), want, &got);
            if (FAILED(hr)) {
                break;
            }
            read += got;
            ULONG put = 0;
            if (got > 0) {
                HRESULT written_hr = pstm->Write(buffer.data(), got, &put);
                written += put;
                if (FAILED(written_hr)) {
                    hr = written_hr;
                    break;
                }
            }
            if (hr == S_FALSE) {
                hr = S_OK;
                break;
            }
        }
        if (pcbRead != nullptr) {
            pcbRead->QuadPart = read;
        }
        if (pcbWritten != nullptr) {
            pcbWritten->QuadPart = written;
        }
        return hr;
    }

protected:
    ~BlockingStream() override {
        if (callback_ != nullptr) {
            callback_->Release();
        }
    }

private:
    ULONGLONG Size() override {
        std::int64_t length = source_->Length();
        return length >= 0 ? static_cast<ULONGLONG>(length) : 0;
    }

    HRESULT Progress(bool ended) {
        if (callback_ == nullptr || endReported_) {
            return S_OK;
        }
        auto max = static_cast<ULONG>(source_->Length() >= 0 ? source_->Length() : 0);
        auto done = static_cast<ULONG>(position_);
        HRESULT hr = callback_->OnProgress(done, max, BINDSTATUS_DOWNLOADINGDATA, nullptr);
        if (ended && hr != E_ABORT) {
            endReported_ = true;
            hr = callback_->OnProgress(done, max, BINDSTATUS_ENDDOWNLOADDATA, nullptr);
        }
        return hr == E_ABORT ? E_ABORT : S_OK;
    }

    std::mutex lock_;
    std::unique_ptr<ByteSource> source_;
    IBindStatusCallback* callback_;
    ULONGLONG position_ = 0;
    bool ended_ = false;
    bool endReported_ = false;
    HRESULT pendingError_ = S_OK;
};

} // namespace

IStream* MakeBlockingStream(std::unique_ptr<ByteSource> source, IBindStatusCallback* callback) {
    return NewUrlObject<BlockingStream>(std::move(source), callback);
}

} // namespace qx::net

HRESULT URLOpenBlockingStreamA(IUnknown*, LPCSTR szURL, IStream** ppStream, DWORD,
                               IBindStatusCallback* lpfnCB) {
    if (ppStream == nullptr) {
        return E_POINTER;
    }
    *ppStream = nullptr;
    if (szURL == nullptr) {
        return E_INVALIDARG;
    }
    std::string url(szURL);
    std::u16string wideUrl = lpfnCB != nullptr ? qx::win32::AnsiToWide(url) : std::u16string();
    if (lpfnCB != nullptr &&
        lpfnCB->OnProgress(0, 0, BINDSTATUS_SENDINGREQUEST, wideUrl.c_str()) == E_ABORT) {
        return E_ABORT;
    }
    std::unique_ptr<qx::net::ByteSource> source;
    HRESULT hr = qx::net::OpenByteSource(url, source);
    if (FAILED(hr)) {
        return hr;
    }
    if (lpfnCB != nullptr) {
        auto length = static_cast<ULONG>(source->Length() >= 0 ? source->Length() : 0);
        if (lpfnCB->OnProgress(0, length, BINDSTATUS_BEGINDOWNLOADDATA, wideUrl.c_str()) == E_ABORT) {
            return E_ABORT;
        }
    }
    *ppStream = qx::net::MakeBlockingStream(std::move(source), lpfnCB);
    return S_OK;
}

HRESULT URLOpenBlockingStreamW(IUnknown* pCaller, LPCWSTR szURL, IStream** ppStream, DWORD dwReserved,
                               IBindStatusCallback* lpfnCB) {
    if (ppStream == nullptr) {
        return E_POINTER;
    }
    *ppStream = nullptr;
    if (szURL == nullptr) {
        return E_INVALIDARG;
    }
    bool lossy = false;
    std::string url = qx::win32::WideToAnsi(szURL, &lossy);
    if (lossy) {
        return INET_E_INVALID_URL;
    }
    return URLOpenBlockingStreamA(pCaller, url.c_str(), ppStream, dwReserved, lpfnCB);
}
