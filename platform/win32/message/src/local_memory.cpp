// Local memory blocks. Every block LocalAlloc gives is remembered, so that LocalFree of a
// pointer it never gave (or gave and took back) is refused instead of corrupting the heap.
#include "winbase_local.h"

#include "winerror.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

namespace {

std::mutex& BlocksLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::unordered_set<void*>& Blocks() {
    static auto* blocks = new std::unordered_set<void*>;
    return *blocks;
}

} // namespace

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
    if ((uFlags & ~LPTR) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* block = std::malloc(uBytes ? uBytes : 1);
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (uFlags & LMEM_ZEROINIT)
        std::memset(block, 0, uBytes ? uBytes : 1);
    try {
        std::lock_guard guard(BlocksLock());
        Blocks().insert(block);
    } catch (...) {
        std::free(block);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return block;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
    if (!hMem)
        return nullptr;
    {
        std::lock_guard guard(BlocksLock());
        if (Blocks().erase(hMem) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return hMem;
        }
    }
    std::free(hMem);
    return nullptr;
}
