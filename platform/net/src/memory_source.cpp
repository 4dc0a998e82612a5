// Bodies already held in memory.
#include "byte_source.h"
#include "winerror.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace qx::net {
namespace {

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}

    HRESULT Read(BYTE* buffer, ULONG size, ULONG* count) override {
        *count = 0;
        if (cancelled_) {
            return E_ABORT;
        }
        std::size_t n = std::min<std::size_t>(size, bytes_.size() - position_);
        if (n == 0) {
            return size == 0 && !AtEnd() ? S_OK : S_FALSE;
        }
        std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        *count = static_cast<ULONG>(n);
        return S_OK;
    }

    bool AtEnd() const override { return position_ >= bytes_.size(); }
    std::int64_t Length() const override { return static_cast<std::int64_t>(bytes_.size()); }
    void Cancel() override { cancelled_ = true; }

private:
    std::string bytes_;
    std::size_t position_ = 0;
    std::atomic<bool> cancelled_{false};
};

} // namespace

std::unique_ptr<ByteSource> MakeMemorySource(std::string bytes) {
    return std::make_unique<MemorySource>(std::move(bytes));
}

} // namespace qx::net
