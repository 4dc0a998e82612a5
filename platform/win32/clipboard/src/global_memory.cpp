// Global memory blocks. Every handle given out is remembered, so that a handle never given (or
// already freed) is refused instead of corrupting the heap.
#include "winbase_global.h"

#include "winerror.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

struct Block {
    std::unique_ptr<std::byte[]> data;
    SIZE_T size = 0;
    bool moveable = false;
    unsigned locks = 0;
};

std::mutex& BlocksLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

// Handle -> block; a fixed block's handle is its data, a moveable block's its Block.
std::unordered_map<void*, std::unique_ptr<Block>>& Blocks() {
    static auto* blocks = new std::unordered_map<void*, std::unique_ptr<Block>>;
    return *blocks;
}

Block* Find(HGLOBAL handle) {
    auto it = Blocks().find(handle);
    return it == Blocks().end() ? nullptr : it->second.get();
}

} // namespace

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
    if ((uFlags & ~(GMEM_MOVEABLE | GMEM_ZEROINIT)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        auto block = std::make_unique<Block>();
        block->data.reset(new std::byte[dwBytes ? dwBytes : 1]());
        block->size = dwBytes;
        block->moveable = (uFlags & GMEM_MOVEABLE) != 0;
        void* handle = block->moveable ? static_cast<void*>(block.get()) : block->data.get();
        std::lock_guard guard(BlocksLock());
        Blocks().emplace(handle, std::move(block));
        return handle;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

LPVOID WINAPI GlobalLock(HGLOBAL hMem) {
    std::lock_guard guard(BlocksLock());
    Block* block = Find(hMem);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (block->moveable)
        ++block->locks;
    return block->data.get();
}

BOOL WINAPI GlobalUnlock(HGLOBAL hMem) {
    std::lock_guard guard(BlocksLock());
    Block* block = Find(hMem);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (block->locks > 0)
        --block->locks;
    if (block->locks == 0) {
        SetLastError(NO_ERROR);
        return FALSE;
    }
    return TRUE;
}

SIZE_T WINAPI GlobalSize(HGLOBAL hMem) {
    std::lock_guard guard(BlocksLock());
    Block* block = Find(hMem);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return block->size;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
    if (!hMem)
        return nullptr;
    std::unique_ptr<Block> freed;
    std::lock_guard guard(BlocksLock());
    auto it = Blocks().find(hMem);
    if (it == Blocks().end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return hMem;
    }
    freed = std::move(it->second);
    Blocks().erase(it);
    return nullptr;
}
