#include "parse_arena.h"

#include <bit>
#include <cstdlib>
#include <new>

namespace qx::html::dom {

namespace {

// Every block starts with its class (or kLargeClass), keeping the block 16-byte aligned.
constexpr std::size_t kHeader = 16;
constexpr std::size_t kLargeClass = ~std::size_t{0};

// The smallest class whose blocks (16 << class bytes) hold `size`.
std::size_t ClassOf(std::size_t size) {
    return size <= 16 ? 0 : static_cast<std::size_t>(std::bit_width(size - 1)) - 4;
}

// Chunks kept between parses on the thread, so that a parse does not fault in fresh pages.
constexpr std::size_t kKeptChunks = 32;
thread_local std::vector<std::unique_ptr<unsigned char[]>> t_keptChunks;

} // namespace

struct ParseArena::Large {
    Large* previous;
    Large* next;
    std::size_t pad;
    std::size_t cls; // kLargeClass, just before the block
};

ParseArena::~ParseArena() {
    for (auto& chunk : chunks_)
        if (t_keptChunks.size() < kKeptChunks)
            t_keptChunks.push_back(std::move(chunk));
    while (large_) {
        Large* next = large_->next;
        std::free(large_);
        large_ = next;
    }
}

void* ParseArena::Carve(std::size_t bytes) {
    if (left_ < bytes) {
        if (t_keptChunks.empty()) {
            chunks_.push_back(std::make_unique_for_overwrite<unsigned char[]>(kChunk));
        } else {
            chunks_.push_back(std::move(t_keptChunks.back()));
            t_keptChunks.pop_back();
        }
        next_ = chunks_.back().get();
        left_ = kChunk;
    }
    void* block = next_;
    next_ += bytes;
    left_ -= bytes;
    return block;
}

void* ParseArena::Allocate(std::size_t size) {
    const std::size_t cls = ClassOf(size == 0 ? 1 : size);
    if (cls >= kClasses) {
        auto* large = static_cast<Large*>(std::malloc(sizeof(Large) + size));
        if (!large)
            throw std::bad_alloc();
        large->previous = nullptr;
        large->next = large_;
        large->cls = kLargeClass;
        if (large_)
            large_->previous = large;
        large_ = large;
        return large + 1;
    }
    if (void* block = free_[cls]) {
        free_[cls] = *static_cast<void**>(block);
        return block;
    }
    auto* raw = static_cast<unsigned char*>(Carve(kHeader + (std::size_t{16} << cls)));
    *reinterpret_cast<std::size_t*>(raw + kHeader - sizeof(std::size_t)) = cls;
    return raw + kHeader;
}

void ParseArena::Free(void* block) {
    if (!block)
        return;
    const std::size_t cls =
        *reinterpret_cast<std::size_t*>(static_cast<unsigned char*>(block) - sizeof(std::size_t));
    if (cls == kLargeClass) {
        Large* large = static_cast<Large*>(block) - 1;
        (large->previous ? large->previous->next : large_) = large->next;
        if (large->next)
            large->next->previous = large->previous;
        std::free(large);
        return;
    }
    *static_cast<void**>(block) = free_[cls];
    free_[cls] = block;
}

} // namespace qx::html::dom
