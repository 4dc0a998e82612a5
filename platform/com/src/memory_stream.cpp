// The memory stream: a growable byte buffer shared by a stream and its clones, each with its own
// seek pointer.
#include "objbase.h"
#include "qx/com/object.h"
#include "qx/com/stream.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

constexpr ULONGLONG kMaxSize = 0x7FFFFFFF;

struct Buffer {
    std::mutex mutex;
    std::vector<BYTE> bytes;
};

// Identifies our own streams to GetMemoryStreamBytes.
QX_DEFINE_GUID(IID_QxMemoryStream, "{6A4E1F9B-52C3-4B7E-9E21-3D8B5C0F7A14}");

class MemoryStream : public qx::com::ObjectRoot, public IStream {
public:
    explicit MemoryStream(std::shared_ptr<Buffer> buffer, ULONGLONG position = 0)
        : buffer_(std::move(buffer)), position_(position) {}

    QX_BEGIN_INTERFACES(MemoryStream)
    QX_INTERFACE_ENTRY(IStream)
    QX_INTERFACE_ENTRY2(ISequentialStream, IStream)
    QX_INTERFACE_ENTRY_IID(IID_QxMemoryStream, IStream)
    QX_END_INTERFACES()

    const std::shared_ptr<Buffer>& SharedBuffer() const { return buffer_; }

    STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        std::lock_guard lock(buffer_->mutex);
        ULONGLONG size = buffer_->bytes.size();
        ULONG n = position_ >= size ? 0 : static_cast<ULONG>(std::min<ULONGLONG>(cb, size - position_));
        if (n)
            std::memcpy(pv, buffer_->bytes.data() + position_, n);
        position_ += n;
        if (pcbRead)
            *pcbRead = n;
        return S_OK;
    }

    STDMETHODIMP Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
        if (pcbWritten)
            *pcbWritten = 0;
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        std::lock_guard lock(buffer_->mutex);
        if (position_ + cb > kMaxSize)
            return STG_E_MEDIUMFULL;
        auto end = static_cast<std::size_t>(position_ + cb);
        if (end > buffer_->bytes.size())
            buffer_->bytes.resize(end, 0);
        if (cb)
            std::memcpy(buffer_->bytes.data() + position_, pv, cb);
        position_ += cb;
        if (pcbWritten)
            *pcbWritten = cb;
        return S_OK;
    }

    STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
        std::lock_guard lock(buffer_->mutex);
        long long base;
        switch (origin) {
        case STREAM_SEEK_SET:
            base = 0;
            break;
        case STREAM_SEEK_CUR:
            base = static_cast<long long>(position_);
            break;
        case STREAM_SEEK_END:
            base = static_cast<long long>(buffer_->bytes.size());
            break;
        default:
            return STG_E_INVALIDFUNCTION;
        }
        if ((move.QuadPart < 0 && base + move.QuadPart < 0) ||
            (move.QuadPart > 0 && static_cast<ULONGLONG>(move.QuadPart) > kMaxSize))
            return STG_E_INVALIDFUNCTION;
        long long target = base + move.QuadPart;
        if (static_cast<ULONGLONG>(target) > kMaxSize)
            return STG_E_INVALIDFUNCTION;
        position_ = static_cast<ULONGLONG>(target);
        if (newPosition)
            newPosition->QuadPart = position_;
        return S_OK;
    }

    STDMETHODIMP SetSize(ULARGE_INTEGER newSize) override {
        if (newSize.QuadPart > kMaxSize)
            return STG_E_MEDIUMFULL;
        std::lock_guard lock(buffer_->mutex);
        buffer_->bytes.resize(static_cast<std::size_t>(newSize.QuadPart), 0);
        return S_OK;
    }

    STDMETHODIMP CopyTo(IStream* target, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                        ULARGE_INTEGER* pcbWritten) override {
        if (!target)
            return STG_E_INVALIDPOINTER;
        std::vector<BYTE> chunk;
        {
            std::lock_guard lock(buffer_->mutex);
            ULONGLONG size = buffer_->bytes.size();
            ULONGLONG n = position_ >= size ? 0 : std::min<ULONGLONG>(cb.QuadPart, size - position_);
            chunk.assign(buffer_->bytes.begin() + static_cast<std::ptrdiff_t>(position_),
                         buffer_->bytes.begin() + static_cast<std::ptrdiff_t>(position_ + n));
            position_ += n;
        }
        ULONG written = 0;
        HRESULT hr = target->Write(chunk.data(), static_cast<ULONG>(chunk.size()), &written);
        if (pcbRead)
            pcbRead->QuadPart = chunk.size();
        if (pcbWritten)
            pcbWritten->QuadPart = written;
        return hr;
    }

    STDMETHODIMP Commit(DWORD) override { return S_OK; }
    STDMETHODIMP Revert() override { return S_OK; }
    // Memory streams offer no region locking.
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }

    STDMETHODIMP Stat(STATSTG* stat, DWORD flags) override {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        if (flags & ~(STATFLAG_NONAME | STATFLAG_NOOPEN))
            return STG_E_INVALIDFLAG;
        std::memset(stat, 0, sizeof *stat);
        std::lock_guard lock(buffer_->mutex);
        stat->pwcsName = nullptr; // a memory stream has no name
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = buffer_->bytes.size();
        stat->grfMode = STGM_READWRITE;
        return S_OK;
    }

    STDMETHODIMP Clone(IStream** out) override {
        if (!out)
            return STG_E_INVALIDPOINTER;
        *out = nullptr;
        qx::com::ObjectPtr<MemoryStream> clone;
        ULONGLONG position;
        {
            std::lock_guard lock(buffer_->mutex);
            position = position_;
        }
        HRESULT hr = qx::com::CreateObject<MemoryStream>(clone, buffer_, position);
        if (FAILED(hr))
            return hr;
        return clone->QueryInterface(IID_IStream, reinterpret_cast<void**>(out));
    }

private:
    std::shared_ptr<Buffer> buffer_;
    ULONGLONG position_;
};

} // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL, LPSTREAM* ppstm) {
    if (!ppstm)
        return E_INVALIDARG;
    *ppstm = nullptr;
    if (hGlobal)
        return E_INVALIDARG;
    return qx::com::CreateMemoryStream(nullptr, 0, ppstm);
}

namespace qx::com {

HRESULT CreateMemoryStream(const void* data, std::size_t size, IStream** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (size > kMaxSize || (size && !data))
        return E_INVALIDARG;
    std::shared_ptr<Buffer> buffer;
    try {
        buffer = std::make_shared<Buffer>();
        buffer->bytes.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    ObjectPtr<MemoryStream> stream;
    HRESULT hr = CreateObject<MemoryStream>(stream, std::move(buffer));
    if (FAILED(hr))
        return hr;
    return stream->QueryInterface(IID_IStream, reinterpret_cast<void**>(out));
}

HRESULT GetMemoryStreamBytes(IStream* stream, std::vector<BYTE>& bytes) {
    if (!stream)
        return E_INVALIDARG;
    IStream* ours = nullptr;
    if (FAILED(stream->QueryInterface(IID_QxMemoryStream, reinterpret_cast<void**>(&ours))))
        return E_INVALIDARG;
    auto* memory = static_cast<MemoryStream*>(ours);
    {
        std::lock_guard lock(memory->SharedBuffer()->mutex);
        bytes = memory->SharedBuffer()->bytes;
    }
    ours->Release();
    return S_OK;
}

} // namespace qx::com
